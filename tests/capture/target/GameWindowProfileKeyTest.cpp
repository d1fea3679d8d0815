// Test label: unit
#include "capture/target/GameWindowProfileKey.h"
#include "capture/target/CaptureTarget.h"
#include "foundation/json/JsonDecoding.h"

#include <QHash>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

CaptureTarget target(std::optional<QString> bundle, std::optional<QUrl> executable, QString title)
{
    CaptureTarget t;
    t.windowID = 7;
    t.processID = 42;
    t.bundleIdentifier = std::move(bundle);
    t.executableURL = std::move(executable);
    t.applicationName = QStringLiteral("Game");
    t.windowTitle = std::move(title);
    t.frame = QRectF(10, 20, 1280, 720);
    return t;
}

QJsonObject parse(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

} // namespace

TEST(GameWindowProfileKey, DerivesTheKeyFromBundleIdentifierOrExecutable)
{
    const QUrl executable = QUrl::fromLocalFile(QStringLiteral("/opt/Game/bin/../bin/./game"));

    auto key = target(QStringLiteral(" \n com.example.game\t "), executable, QStringLiteral("  Title  ")).profileKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key->applicationIdentity.kind, GameApplicationIdentity::Kind::bundleIdentifier);
    EXPECT_EQ(key->applicationIdentity.value, QStringLiteral("com.example.game"));
    EXPECT_EQ(key->windowTitle, QStringLiteral("Title"));

    // Inner blanks of the identifier are kept.
    key = target(QStringLiteral(" a b "), std::nullopt, QString()).profileKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key->applicationIdentity.value, QStringLiteral("a b"));
    EXPECT_EQ(key->windowTitle, QString());

    // A blank identifier falls back to the standardised executable path, percent-decoded.
    key = target(QStringLiteral("   "), executable, QStringLiteral("T")).profileKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key->applicationIdentity.kind, GameApplicationIdentity::Kind::executablePath);
    EXPECT_EQ(key->applicationIdentity.value, QStringLiteral("/opt/Game/bin/game"));

    key = target(std::nullopt, QUrl::fromLocalFile(QStringLiteral("/games/My Game/Contents/MacOS/../MacOS/run")),
        QStringLiteral("T"))
              .profileKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(key->applicationIdentity.value, QStringLiteral("/games/My Game/Contents/MacOS/run"));

    // Neither a usable identifier nor an executable: no key.
    EXPECT_FALSE(target(std::nullopt, std::nullopt, QStringLiteral("T")).profileKey());
    EXPECT_FALSE(target(QStringLiteral("\n"), std::nullopt, QStringLiteral("T")).profileKey());
}

TEST(GameWindowProfileKey, EqualityAndHashFollowCanonicalEquivalence)
{
    const GameApplicationIdentity identity{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("x")};
    // "Pokémon" precomposed and with a combining acute accent.
    const GameWindowProfileKey composed{identity, QString::fromUtf8("Pok\xC3\xA9mon")};
    const GameWindowProfileKey decomposed{identity, QString::fromUtf8("Poke\xCC\x81mon")};
    EXPECT_EQ(composed, decomposed);
    EXPECT_EQ(qHash(composed), qHash(decomposed));

    QHash<GameWindowProfileKey, int> table;
    table.insert(composed, 1);
    EXPECT_EQ(table.value(decomposed), 1);

    // Letter case matters, nothing is trimmed at comparison time, the kind matters.
    EXPECT_NE(composed, (GameWindowProfileKey{identity, QString::fromUtf8("POK\xC3\x89MON")}));
    EXPECT_NE(
        (GameWindowProfileKey{identity, QStringLiteral("a")}), (GameWindowProfileKey{identity, QStringLiteral("a ")}));
    EXPECT_NE(composed,
        (GameWindowProfileKey{
            {GameApplicationIdentity::Kind::executablePath, QStringLiteral("x")}, composed.windowTitle}));
}

TEST(GameWindowProfileKey, JsonFormIsStrict)
{
    const GameWindowProfileKey key{
        {GameApplicationIdentity::Kind::executablePath, QStringLiteral("/bin/game")}, QStringLiteral("Title")};
    const QJsonObject json = key.toJson();
    EXPECT_EQ(json.keys(), (QStringList{QStringLiteral("applicationIdentity"), QStringLiteral("windowTitle")}));
    EXPECT_EQ(json.value(QStringLiteral("applicationIdentity")).toObject().keys(),
        (QStringList{QStringLiteral("kind"), QStringLiteral("value")}));
    EXPECT_EQ(GameWindowProfileKey::fromJson(json), key);

    // Unknown keys are ignored.
    EXPECT_NO_THROW(GameWindowProfileKey::fromJson(parse(
        R"({"applicationIdentity":{"kind":"bundleIdentifier","value":"v","extra":1},"windowTitle":"t","more":true})")));

    const char *invalid[] = {
        R"({"applicationIdentity":{"kind":"bundleIdentifier","value":"v"}})",
        R"({"windowTitle":"t"})",
        R"({"applicationIdentity":{"kind":"BundleIdentifier","value":"v"},"windowTitle":"t"})",
        R"({"applicationIdentity":{"kind":"bundleidentifier","value":"v"},"windowTitle":"t"})",
        R"({"applicationIdentity":{"kind":"path","value":"v"},"windowTitle":"t"})",
        R"({"applicationIdentity":{"value":"v"},"windowTitle":"t"})",
        R"({"applicationIdentity":{"kind":"bundleIdentifier"},"windowTitle":"t"})",
        R"({"applicationIdentity":{"kind":"bundleIdentifier","value":5},"windowTitle":"t"})",
        R"({"applicationIdentity":"bundleIdentifier","windowTitle":"t"})",
        R"({"applicationIdentity":{"kind":"bundleIdentifier","value":"v"},"windowTitle":null})",
    };
    for (const char *document : invalid) {
        EXPECT_THROW(GameWindowProfileKey::fromJson(parse(document)), DecodingError) << document;
    }
}

TEST(CaptureTarget, EqualityComparesEveryFieldAndSizeDescriptionTruncates)
{
    const CaptureTarget a = target(QStringLiteral("id"), std::nullopt, QStringLiteral("T"));
    CaptureTarget moved = a;
    moved.frame.moveLeft(11);
    EXPECT_NE(a, moved);
    EXPECT_EQ(a.profileKey(), moved.profileKey());

    CaptureTarget otherBundle = a;
    otherBundle.bundleIdentifier.reset();
    EXPECT_NE(a, otherBundle);
    EXPECT_EQ(a, a);

    CaptureTarget sized = a;
    sized.frame = QRectF(0, 0, 1280.9, 720.2);
    EXPECT_EQ(sized.sizeDescription(), QString::fromUtf8("1280 \xC3\x97 720"));
    sized.frame = QRectF(0, 0, -3.7, 0.4);
    EXPECT_EQ(sized.sizeDescription(), QString::fromUtf8("-3 \xC3\x97 0"));
}
