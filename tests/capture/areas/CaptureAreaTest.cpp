// Test label: unit
#include "capture/areas/CaptureArea.h"
#include "foundation/json/JsonDecoding.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <limits>

using namespace veyra;

namespace {
constexpr std::int64_t maxInt = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t minInt = std::numeric_limits<std::int64_t>::min();
const CaptureRegion image1280{0, 0, 1280, 720};

CaptureAreaProfile sampleProfile()
{
    return {{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")},
        QStringLiteral("Title"), 1280, 720,
        {{QStringLiteral("box_1"), {100, 100, 400, 140}, {48, 80, 16}},
            {QStringLiteral("box-2"), {100, 300, 400, 140}, {300, -1, 0}}}};
}
} // namespace

TEST(CaptureRegion, ClampedKeepsRegionsInsideWithAMinimumOfFourPixels)
{
    EXPECT_EQ((CaptureRegion{100, 100, 2, 2}.clamped(image1280)), (CaptureRegion{100, 100, 4, 4}));
    EXPECT_EQ((CaptureRegion{1200, 700, 400, 140}.clamped(image1280)), (CaptureRegion{880, 580, 400, 140}));
    EXPECT_EQ((CaptureRegion{-50, -20, 2000, 900}.clamped(image1280)), image1280);
    EXPECT_EQ((CaptureRegion{10, 10, -30, 5}.clamped(image1280)), (CaptureRegion{10, 10, 4, 5}));
    // Bounds narrower than 4 pixels: the region takes the whole extent.
    EXPECT_EQ((CaptureRegion{2, 0, 10, 10}.clamped({0, 0, 3, 720})), (CaptureRegion{0, 0, 3, 10}));
    // Bounds of width 0 count as width 1.
    EXPECT_EQ((CaptureRegion{5, 5, 10, 10}.clamped({0, 0, 0, 0})), (CaptureRegion{0, 0, 1, 1}));
    // Bounds with an offset.
    EXPECT_EQ((CaptureRegion{0, 0, 10, 10}.clamped({50, 60, 100, 100})), (CaptureRegion{50, 60, 10, 10}));

    // Values a hand-edited file may hold never overflow.
    EXPECT_EQ((CaptureRegion{maxInt, maxInt, maxInt, maxInt}.clamped(image1280)), image1280);
    EXPECT_EQ((CaptureRegion{minInt, minInt, minInt, minInt}.clamped(image1280)), (CaptureRegion{0, 0, 4, 4}));
    EXPECT_EQ((CaptureRegion{0, 0, 10, 10}.clamped({maxInt - 5, minInt, maxInt, maxInt})),
        (CaptureRegion{maxInt - 10, -11, 10, 10}));
}

TEST(CaptureRegion, ScaledRoundsHalvesAwayFromZeroAndSaturates)
{
    EXPECT_EQ((CaptureRegion{100, 300, 400, 140}.scaled(0.5, 0.5)), (CaptureRegion{50, 150, 200, 70}));
    EXPECT_EQ((CaptureRegion{1, 1, 1, 1}.scaled(0.5, 0.5)), (CaptureRegion{1, 1, 1, 1}));
    EXPECT_EQ((CaptureRegion{3, 3, 1, 1}.scaled(0.1, 0.1)), (CaptureRegion{0, 0, 1, 1}));
    EXPECT_EQ((CaptureRegion{-3, -1, 5, 5}.scaled(0.5, 0.5)), (CaptureRegion{-2, -1, 3, 3}));
    EXPECT_EQ((CaptureRegion{100, 300, 400, 140}.scaled(2.0, 2.0)), (CaptureRegion{200, 600, 800, 280}));

    EXPECT_EQ((CaptureRegion{maxInt, minInt, maxInt, maxInt}.scaled(4.0, 4.0)),
        (CaptureRegion{maxInt, minInt, maxInt, maxInt}));
    EXPECT_EQ((CaptureRegion{10, 10, 10, 10}.scaled(
                  std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN())),
        (CaptureRegion{0, 0, 1, 1}));
    EXPECT_EQ((CaptureRegion{10, 10, 10, 10}.scaled(1e300, -1e300)), (CaptureRegion{maxInt, minInt, maxInt, 1}));
}

TEST(CaptureAreaProfile, JsonRoundTripAndStrictDecoding)
{
    const CaptureAreaProfile profile = sampleProfile();
    const QJsonObject json = profile.toJson();
    EXPECT_EQ(json.keys(),
        (QStringList{QStringLiteral("applicationIdentity"), QStringLiteral("areas"),
            QStringLiteral("referenceImageHeight"), QStringLiteral("referenceImageWidth"),
            QStringLiteral("windowTitle")}));
    const CaptureAreaProfile decoded
        = CaptureAreaProfile::fromJson(QJsonDocument::fromJson(QJsonDocument(json).toJson()).object());
    EXPECT_EQ(decoded, profile);
    EXPECT_EQ(decoded.areas[1].backgroundPattern.red, 300); // no range limit

    CaptureAreaProfile reordered = profile;
    std::swap(reordered.areas[0], reordered.areas[1]);
    EXPECT_NE(reordered, profile);

    auto withoutKey = [&json](const QString &areaKey) {
        QJsonObject copy = json;
        QJsonArray areas = copy.value(QStringLiteral("areas")).toArray();
        QJsonObject first = areas[0].toObject();
        first.remove(areaKey);
        areas[0] = first;
        copy.insert(QStringLiteral("areas"), areas);
        return copy;
    };
    EXPECT_THROW(CaptureAreaProfile::fromJson(withoutKey(QStringLiteral("backgroundPattern"))), DecodingError);
    EXPECT_THROW(CaptureAreaProfile::fromJson(withoutKey(QStringLiteral("id"))), DecodingError);

    QJsonObject fractional = json;
    fractional.insert(QStringLiteral("referenceImageWidth"), 12.5);
    EXPECT_THROW(CaptureAreaProfile::fromJson(fractional), DecodingError);
    QJsonObject stringly = json;
    stringly.insert(QStringLiteral("referenceImageWidth"), QStringLiteral("1280"));
    EXPECT_THROW(CaptureAreaProfile::fromJson(stringly), DecodingError);
    QJsonObject notArray = json;
    notArray.insert(QStringLiteral("areas"), QJsonObject{});
    EXPECT_THROW(CaptureAreaProfile::fromJson(notArray), DecodingError);
    QJsonObject extra = json;
    extra.insert(QStringLiteral("comment"), QStringLiteral("ignored"));
    EXPECT_EQ(CaptureAreaProfile::fromJson(extra), profile);
}
