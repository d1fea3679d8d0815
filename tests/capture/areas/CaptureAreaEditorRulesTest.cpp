// Test label: unit
#include "capture/areas/CaptureAreaEditorRules.h"
#include "capture/areas/CaptureAreaStoreError.h"
#include "foundation/language/ClientLanguage.h"

#include <gtest/gtest.h>

#include <limits>

using namespace veyra;

namespace {

const GameWindowProfileKey key{
    {GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")}, QStringLiteral("Main")};
const DialogueBackgroundPattern blue{48, 80, 208};

CaptureAreaDraft draft(const QString &id, std::optional<DialogueBackgroundPattern> pattern = blue)
{
    return {id, {100, 100, 400, 140}, pattern, std::nullopt};
}

std::optional<CaptureAreaValidationError> validationErrorOf(const QVector<CaptureAreaDraft> &drafts)
{
    try {
        captureAreaProfileForSaving(key, 1280, 720, drafts);
    } catch (const CaptureAreaValidationError &error) {
        return error;
    }
    return std::nullopt;
}

} // namespace

TEST(CaptureAreaEditorRules, SavingChecksTheRulesInOrder)
{
    const auto noAreas = validationErrorOf({});
    ASSERT_TRUE(noAreas);
    EXPECT_EQ(noAreas->kind(), CaptureAreaValidationError::Kind::noAreas);
    EXPECT_EQ(noAreas->localizedDescription(), QStringLiteral("Add at least one capture area before saving."));

    // An invalid identifier is reported before a duplicate or a missing background.
    const auto invalid = validationErrorOf(
        {draft(QStringLiteral("a"), std::nullopt), draft(QStringLiteral("a")), draft(QStringLiteral("box 2"))});
    ASSERT_TRUE(invalid);
    EXPECT_EQ(invalid->kind(), CaptureAreaValidationError::Kind::invalidIdentifier);
    EXPECT_EQ(invalid->localizedDescription(),
        QStringLiteral("Box IDs may contain only letters, numbers, underscores, and hyphens."));
    for (const QString &bad : {QString(), QStringLiteral("box\n"), QStringLiteral("a.b"), QStringLiteral("ボックス"),
             QStringLiteral("é"), QStringLiteral("box 1")}) {
        EXPECT_FALSE(isValidCaptureAreaIdentifier(bad)) << bad.toStdString();
    }
    EXPECT_TRUE(isValidCaptureAreaIdentifier(QStringLiteral("Box_1-a")));

    const auto duplicate
        = validationErrorOf({draft(QStringLiteral("one"), std::nullopt), draft(QStringLiteral("one"))});
    ASSERT_TRUE(duplicate);
    EXPECT_EQ(duplicate->kind(), CaptureAreaValidationError::Kind::duplicateIdentifier);
    EXPECT_EQ(duplicate->localizedDescription(), QStringLiteral("Each box ID must be unique."));
    // Identifiers differing in case are different identifiers.
    EXPECT_FALSE(validationErrorOf({draft(QStringLiteral("box")), draft(QStringLiteral("Box"))}));

    const auto missing = validationErrorOf({draft(QStringLiteral("first")),
        draft(QStringLiteral("second"), std::nullopt), draft(QStringLiteral("third"), std::nullopt)});
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->kind(), CaptureAreaValidationError::Kind::missingBackground);
    EXPECT_EQ(missing->areaID(), QStringLiteral("second"));
    EXPECT_EQ(missing->localizedDescription(), QStringLiteral("Choose a background for second before saving."));

    setCurrentClientLanguage(ClientLanguage::japanese);
    EXPECT_EQ(missing->localizedDescription(), QStringLiteral("保存する前に、second の背景を選択してください。"));
    setCurrentClientLanguage(ClientLanguage::english);
}

TEST(CaptureAreaEditorRules, TheSavedProfileCarriesTheSnapshotSizeAndTheEditorsOrder)
{
    const CaptureAreaProfile profile
        = captureAreaProfileForSaving(key, 2560, 1440, {draft(QStringLiteral("b")), draft(QStringLiteral("a"))});
    EXPECT_EQ(profile.key(), key);
    EXPECT_EQ(profile.referenceImageWidth, 2560);
    EXPECT_EQ(profile.referenceImageHeight, 1440);
    ASSERT_EQ(profile.areas.size(), 2);
    EXPECT_EQ(profile.areas[0], (CaptureArea{QStringLiteral("b"), {100, 100, 400, 140}, blue}));
    EXPECT_EQ(profile.areas[1].id, QStringLiteral("a"));

    EXPECT_EQ(captureAreaSaveFailureMessage(
                  std::make_exception_ptr(CaptureAreaStoreError(CaptureAreaStoreError::Kind::unsupportedSchema)))
                  .localized(),
        QStringLiteral("Veyra couldn't save the capture areas: The saved capture areas use an unsupported format."));
}

TEST(CaptureAreaEditorRules, StoredRegionsAreScaledThenClampedOntoTheSnapshot)
{
    const CaptureRegion region{100, 300, 400, 140};
    EXPECT_EQ(regionCarriedOntoSnapshot(region, 1280, 720, 2560, 1440), (CaptureRegion{200, 600, 800, 280}));
    EXPECT_EQ(regionCarriedOntoSnapshot(region, 1280, 720, 640, 360), (CaptureRegion{50, 150, 200, 70}));
    // Scaled, then moved inside the snapshot.
    EXPECT_EQ(
        regionCarriedOntoSnapshot({1200, 700, 400, 140}, 1280, 720, 1280, 720), (CaptureRegion{880, 580, 400, 140}));
    // A reference size below 1 is only clamped.
    EXPECT_EQ(regionCarriedOntoSnapshot(region, 0, 720, 2560, 1440), region);
    EXPECT_EQ(regionCarriedOntoSnapshot({-5, 2000, 400, 140}, 1280, -1, 1000, 1000), (CaptureRegion{0, 860, 400, 140}));
    // Values a hand-edited file may hold stay inside the snapshot.
    constexpr auto maxInt = std::numeric_limits<std::int64_t>::max();
    constexpr auto minInt = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(regionCarriedOntoSnapshot({maxInt, minInt, maxInt, maxInt}, 1280, 720, 640, 360),
        (CaptureRegion{0, 0, 640, 360}));
    EXPECT_EQ(
        regionCarriedOntoSnapshot({minInt, maxInt, minInt, -1}, 1, maxInt, 640, 360), (CaptureRegion{0, 356, 4, 4}));
    // A snapshot of 0 x 0 pixels gives a 1 x 1 region at the origin.
    EXPECT_EQ(regionCarriedOntoSnapshot(region, 1280, 720, 0, 0), (CaptureRegion{0, 0, 1, 1}));

    CaptureAreaProfile profile = captureAreaProfileForSaving(key, 1280, 720,
        {{QStringLiteral("one"), {100, 300, 400, 140}, blue, std::nullopt},
            {QStringLiteral("two"), {1000, 600, 400, 140}, blue, std::nullopt}});
    const QVector<CaptureArea> carried = areasCarriedOntoSnapshot(profile, 640, 360);
    ASSERT_EQ(carried.size(), 2);
    EXPECT_EQ(carried[0].searchRegion, (CaptureRegion{50, 150, 200, 70}));
    EXPECT_EQ(carried[1].searchRegion, (CaptureRegion{440, 290, 200, 70}));
    EXPECT_EQ(carried[1].id, QStringLiteral("two"));
    EXPECT_EQ(carried[1].backgroundPattern, blue);
}

TEST(CaptureAreaEditorRules, TheEyedropperSamplesASquareInsideTheSearchRegion)
{
    const CaptureRegion search{0, 0, 1280, 720};
    EXPECT_EQ(eyedropperSampleRegion(QPoint(100, 100), search), (CaptureRegion{93, 93, 15, 15}));
    EXPECT_EQ(eyedropperSampleRegion(QPoint(2, 718), search), (CaptureRegion{0, 705, 15, 15}));
    EXPECT_EQ(eyedropperSampleRegion(QPoint(55, 55), {50, 50, 10, 10}), (CaptureRegion{50, 50, 10, 10}));
    EXPECT_EQ(eyedropperSampleRegion(QPoint(900, 10), {100, 300, 400, 140}), (CaptureRegion{485, 300, 15, 15}));
}
