// Test label: unit
// Layouts per game window in the user defaults: the stored document, replacement in
// place, distinct keys, unreadable records and values kept, and the in-memory store of
// fixture mode.
#include "foundation/files/FileIO.h"
#include "foundation/settings/UserDefaults.h"
#include "overlay/layout/InMemoryOverlayLayoutStore.h"
#include "overlay/layout/OverlayLayoutStoreFactory.h"
#include "overlay/layout/UserDefaultsOverlayLayoutStore.h"
#include "support/LogRecorder.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

const QString key = QStringLiteral("overlay_layouts");

GameWindowProfileKey profileKey(GameApplicationIdentity::Kind kind, const QString &value, const QString &title)
{
    return {{kind, value}, title};
}

const GameWindowProfileKey gameA = profileKey(
    GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game"), QStringLiteral("A"));

class OverlayLayoutStoreTest : public ::testing::Test
{
protected:
    QJsonArray storedRecords() const
    {
        const std::optional<QByteArray> data = defaults.data(key);
        EXPECT_TRUE(data);
        return QJsonDocument::fromJson(data.value_or(QByteArray())).object().value(QStringLiteral("layouts")).toArray();
    }

    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    UserDefaultsOverlayLayoutStore store{defaults};
};

} // namespace

TEST_F(OverlayLayoutStoreTest, RecordsArePerKeyReplacedInPlaceAndStoredAsCompactBytes)
{
    EXPECT_EQ(store.layout(gameA), std::nullopt);
    store.save({0.25, 0.5, 400, 200}, gameA);
    const QByteArray bytes = *defaults.data(key);
    EXPECT_FALSE(bytes.contains('\n'));
    EXPECT_EQ(QJsonDocument::fromJson(bytes).object(),
        (QJsonObject{{QStringLiteral("layouts"),
            QJsonArray{QJsonObject{{QStringLiteral("key"), gameA.toJson()},
                {QStringLiteral("layout"),
                    QJsonObject{{QStringLiteral("normalizedX"), 0.25}, {QStringLiteral("normalizedY"), 0.5},
                        {QStringLiteral("width"), 400}, {QStringLiteral("height"), 200}}}}}}}));

    // Same bundle-identifier text as a path, and another title: two more records.
    const GameWindowProfileKey asPath = profileKey(
        GameApplicationIdentity::Kind::executablePath, QStringLiteral("com.example.game"), QStringLiteral("A"));
    const GameWindowProfileKey otherTitle = profileKey(
        GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game"), QStringLiteral("B"));
    store.save({1, 1, 320, 120}, asPath);
    store.save({0, 0, 500, 300}, otherTitle);
    store.save({0.75, 0.1, 640, 240}, gameA);
    const QJsonArray records = storedRecords();
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(GameWindowProfileKey::fromJson(records[0].toObject().value(QStringLiteral("key")).toObject()), gameA);
    EXPECT_EQ(
        GameWindowProfileKey::fromJson(records[2].toObject().value(QStringLiteral("key")).toObject()), otherTitle);
    EXPECT_EQ(store.layout(gameA), (OverlayLayout{0.75, 0.1, 640, 240}));
    EXPECT_EQ(store.layout(asPath), (OverlayLayout{1, 1, 320, 120}));
    EXPECT_EQ(store.layout(otherTitle), (OverlayLayout{0, 0, 500, 300}));

    // The values survive a new database over the same file.
    defaults.sync();
    UserDefaults reopened(dir.filePath(QStringLiteral("defaults.json")));
    EXPECT_EQ(UserDefaultsOverlayLayoutStore(reopened).layout(gameA), (OverlayLayout{0.75, 0.1, 640, 240}));
}

TEST_F(OverlayLayoutStoreTest, WhatCannotBeReadIsKeptAndEveryOtherWindowKeepsItsLayout)
{
    test::LogRecorder log(QStringLiteral(".OverlayLayout"));
    const GameWindowProfileKey gameB = profileKey(
        GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game"), QStringLiteral("B"));
    const auto record = [](const QJsonObject &recordKey, const QJsonObject &layout) {
        return QJsonObject{{QStringLiteral("key"), recordKey}, {QStringLiteral("layout"), layout}};
    };
    // A's layout lacks "height" (a hand edit); the last record's key is of a kind a later
    // version writes.
    QJsonObject noHeight = OverlayLayout{0.5, 0.5, 400, 200}.toJson();
    noHeight.remove(QStringLiteral("height"));
    QJsonObject laterKind = gameB.toJson();
    laterKind[QStringLiteral("applicationIdentity")] = QJsonObject{
        {QStringLiteral("kind"), QStringLiteral("flatpakIdentifier")}, {QStringLiteral("value"), QStringLiteral("x")}};
    const QJsonObject layoutB = OverlayLayout{0.1, 0.2, 400, 200}.toJson();
    const QJsonArray stored{
        record(gameA.toJson(), noHeight), record(gameB.toJson(), layoutB), record(laterKind, layoutB)};
    defaults.setValue(key, QJsonDocument(QJsonObject{{QStringLiteral("layouts"), stored}}).toJson());
    EXPECT_EQ(store.layout(gameA), std::nullopt);
    EXPECT_EQ(store.layout(gameB), (OverlayLayout{0.1, 0.2, 400, 200}));
    EXPECT_FALSE(log.messages().isEmpty());

    // A's save replaces its own record and keeps every other as it stands.
    store.save({0.5, 0.5, 400, 300}, gameA);
    EXPECT_EQ(storedRecords(),
        (QJsonArray{record(gameA.toJson(), OverlayLayout{0.5, 0.5, 400, 300}.toJson()), stored[1], stored[2]}));
    EXPECT_EQ(store.layout(gameB), (OverlayLayout{0.1, 0.2, 400, 200}));

    // Bytes that are no document of layouts read as none, and are kept aside by the save
    // that puts a new document in their place.
    defaults.setValue(key, QByteArray("not json"));
    EXPECT_EQ(store.layout(gameA), std::nullopt);
    store.save({0.5, 0.5, 400, 300}, gameA);
    EXPECT_EQ(storedRecords().size(), 1);
    defaults.sync();
    QFile file(dir.filePath(QStringLiteral("defaults.json")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList names = QJsonDocument::fromJson(file.readAll()).object().keys();
    const auto aside = std::find_if(names.begin(), names.end(),
        [](const QString &name) { return name.startsWith(QStringLiteral("overlay_layouts.damaged-")); });
    ASSERT_NE(aside, names.end());
    EXPECT_EQ(defaults.data(*aside), QByteArray("not json"));

    // A value that is not bytes at all (a hand edit: the document as a string or as an
    // object, or "data" of the wrong type) reads as none, is logged, and is kept aside as it
    // is by the save that replaces it.
    const QString handEdited = QString::fromUtf8(
        QJsonDocument(QJsonObject{{QStringLiteral("layouts"), QJsonArray{record(gameA.toJson(), layoutB)}}})
            .toJson(QJsonDocument::Compact));
    const QList<QVariant> notBytes{QVariant(handEdited),
        QVariant::fromValue(QJsonValue(QJsonDocument::fromJson(handEdited.toUtf8()).object())),
        QVariant::fromValue(QJsonValue(QJsonObject{{QStringLiteral("data"), 7}}))};
    for (const QVariant &value : notBytes) {
        defaults.setValue(key, value);
        log.clear();
        EXPECT_EQ(store.layout(gameA), std::nullopt);
        EXPECT_FALSE(log.messages().isEmpty());
        const QStringList before = defaults.keys();
        store.save({0, 1, 320, 120}, gameA);
        EXPECT_EQ(store.layout(gameA), (OverlayLayout{0, 1, 320, 120}));
        QStringList added = defaults.keys();
        added.removeIf([&before](const QString &name) { return before.contains(name); });
        ASSERT_EQ(added.size(), 1);
        EXPECT_TRUE(added[0].startsWith(QStringLiteral("overlay_layouts.damaged-")));
        EXPECT_EQ(defaults.object(added[0]), value);
    }
}

TEST_F(OverlayLayoutStoreTest, OnlyTheNewestUnreadableValuesAreKeptTwoInOneSecondIncluded)
{
    QDateTime now(QDate(2024, 3, 1), QTime(12, 0, 0), Qt::UTC);
    UserDefaultsOverlayLayoutStore clocked(defaults, [&now] { return now; });
    const auto damagedKeys = [this] {
        QStringList names = defaults.keys();
        names.removeIf(
            [](const QString &name) { return !name.startsWith(QStringLiteral("overlay_layouts.damaged-")); });
        return names;
    };
    // Twenty damaged starts: ten in one second, then ten a second apart.
    for (int start = 1; start <= 20; ++start) {
        if (start > 10) {
            now = now.addSecs(1);
        }
        defaults.setValue(key, QByteArray("damaged ") + QByteArray::number(start));
        clocked.save({0, 1, 320, 120}, gameA);
        if (start == 2) {
            EXPECT_EQ(damagedKeys(),
                (QStringList{QStringLiteral("overlay_layouts.damaged-20240301-120000"),
                    QStringLiteral("overlay_layouts.damaged-20240301-120000-2")}));
        }
        if (start == 10) {
            // The newest five of that second, the latest under the highest number.
            ASSERT_EQ(damagedKeys().size(), keptDamagedCopies);
            EXPECT_EQ(defaults.data(QStringLiteral("overlay_layouts.damaged-20240301-120000-10")), "damaged 10");
            EXPECT_EQ(defaults.data(QStringLiteral("overlay_layouts.damaged-20240301-120000-6")), "damaged 6");
        }
    }
    QList<QByteArray> kept;
    for (const QString &name : damagedKeys()) {
        kept.append(*defaults.data(name));
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (QList<QByteArray>{"damaged 16", "damaged 17", "damaged 18", "damaged 19", "damaged 20"}));
}

TEST(InMemoryOverlayLayoutStore, DefaultLayoutAnswersEveryKeyWithoutItsOwn)
{
    QTemporaryDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("defaults.json")));
    const GameWindowProfileKey gameB = profileKey(
        GameApplicationIdentity::Kind::executablePath, QStringLiteral("/usr/games/b"), QStringLiteral("B"));

    auto editorLayout = makeOverlayLayoutStore(true, true, defaults);
    EXPECT_EQ(editorLayout->layout(gameA), (OverlayLayout{1.0, 0.5, 320, 220}));
    editorLayout->save({0, 0, 400, 400}, gameA);
    EXPECT_EQ(editorLayout->layout(gameA), (OverlayLayout{0, 0, 400, 400}));
    EXPECT_EQ(editorLayout->layout(gameB), (OverlayLayout{1.0, 0.5, 320, 220}));

    auto fixture = makeOverlayLayoutStore(true, false, defaults);
    EXPECT_EQ(fixture->layout(gameA), std::nullopt);
    EXPECT_NE(dynamic_cast<InMemoryOverlayLayoutStore *>(fixture.get()), nullptr);

    auto live = makeOverlayLayoutStore(false, true, defaults);
    ASSERT_NE(dynamic_cast<UserDefaultsOverlayLayoutStore *>(live.get()), nullptr);
    live->save({0.5, 0.5, 400, 300}, gameB);
    EXPECT_TRUE(defaults.data(key));
}
