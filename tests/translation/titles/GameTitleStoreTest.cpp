// Test label: unit
#include "foundation/files/FileIO.h"
#include "foundation/identity/ApplicationFolder.h"
#include "support/LogCapture.h"
#include "translation/titles/FileGameTitleStore.h"
#include "translation/titles/GameTitleStoreFactory.h"
#include "translation/titles/InMemoryGameTitleStore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

GameWindowProfileKey bundleKey(const QString &bundle, const QString &title)
{
    return {{GameApplicationIdentity::Kind::bundleIdentifier, bundle}, title};
}

GameWindowProfileKey pathKey(const QString &path, const QString &title)
{
    return {{GameApplicationIdentity::Kind::executablePath, path}, title};
}

GameTitleResolution names(const std::optional<QString> &extracted, const std::optional<QString> &representative)
{
    return GameTitleResolution(extracted, representative);
}

class GameTitleStoreTest : public ::testing::Test
{
protected:
    QString filePath() const { return m_folder.path() + QStringLiteral("/nested/Obrisk/game-titles.json"); }
    FileGameTitleStore store() const { return FileGameTitleStore(QUrl::fromLocalFile(filePath())); }

    QByteArray fileBytes() const { return readWholeFile(filePath()); }
    void writeFile(const QByteArray &bytes) const { writeFileAtomically(filePath(), bytes); }

    // The entries of the file as (identity value, window title) pairs in file order.
    QStringList fileOrder() const
    {
        QStringList order;
        const QJsonArray entries
            = QJsonDocument::fromJson(fileBytes()).object().value(QStringLiteral("entries")).toArray();
        for (const QJsonValue &entry : entries) {
            order << entry[QStringLiteral("applicationIdentity")][QStringLiteral("value")].toString() + QLatin1Char('|')
                    + entry[QStringLiteral("windowTitle")].toString();
        }
        return order;
    }

    QTemporaryDir m_folder;
};

} // namespace

TEST_F(GameTitleStoreTest, SavingIntoAMissingFolderWritesTheDocument)
{
    FileGameTitleStore titles = store();
    EXPECT_FALSE(titles.resolution(bundleKey(QStringLiteral("com.example.game"), QStringLiteral("Main"))));
    EXPECT_FALSE(QFile::exists(filePath()));

    titles.save(names(QStringLiteral("Final Fantasy"), std::nullopt),
        pathKey(QStringLiteral("/opt/ff/run"), QStringLiteral("FINAL FANTASY")));

    // Pretty-printed, keys sorted, a name written only when present, "/" escaped.
    EXPECT_EQ(fileBytes(),
        QByteArray("{\n"
                   "  \"entries\" : [\n"
                   "    {\n"
                   "      \"applicationIdentity\" : {\n"
                   "        \"kind\" : \"executablePath\",\n"
                   "        \"value\" : \"\\/opt\\/ff\\/run\"\n"
                   "      },\n"
                   "      \"extractedGameName\" : \"Final Fantasy\",\n"
                   "      \"windowTitle\" : \"FINAL FANTASY\"\n"
                   "    }\n"
                   "  ],\n"
                   "  \"schemaVersion\" : 1\n"
                   "}"));
    EXPECT_EQ(titles.resolution(pathKey(QStringLiteral("/opt/ff/run"), QStringLiteral("FINAL FANTASY"))),
        names(QStringLiteral("Final Fantasy"), std::nullopt));
    // Another kind, value or title is another key.
    EXPECT_FALSE(titles.resolution(bundleKey(QStringLiteral("/opt/ff/run"), QStringLiteral("FINAL FANTASY"))));
    EXPECT_FALSE(titles.resolution(pathKey(QStringLiteral("/opt/ff/run"), QStringLiteral("Final Fantasy"))));
    // No temporary file stays behind.
    EXPECT_EQ(QDir(QFileInfo(filePath()).absolutePath()).entryList(QDir::Files), QStringList{"game-titles.json"});
}

TEST_F(GameTitleStoreTest, EntriesAreReplacedInPlaceAndSorted)
{
    FileGameTitleStore titles = store();
    titles.save(
        names(QStringLiteral("B"), QStringLiteral("B")), bundleKey(QStringLiteral("beta"), QStringLiteral("one")));
    titles.save(
        names(QStringLiteral("A"), QStringLiteral("A")), bundleKey(QStringLiteral("Alpha"), QStringLiteral("two")));
    titles.save(
        names(QStringLiteral("A1"), QStringLiteral("A1")), pathKey(QStringLiteral("alpha"), QStringLiteral("One")));
    titles.save(
        names(QStringLiteral("G"), QStringLiteral("G")), bundleKey(QStringLiteral("gamma"), QStringLiteral("z")));
    // Upper-case A before lower-case b; one application's entries by title without
    // regard to case; "Alpha" and "alpha" are not equal values, so they keep the order
    // they had (the kind takes no part).
    EXPECT_EQ(fileOrder(),
        QStringList({QStringLiteral("Alpha|two"), QStringLiteral("alpha|One"), QStringLiteral("beta|one"),
            QStringLiteral("gamma|z")}));

    titles.save(
        names(QStringLiteral("B"), QStringLiteral("B")), bundleKey(QStringLiteral("beta"), QStringLiteral("Zed")));
    titles.save(
        names(QStringLiteral("B"), QStringLiteral("B")), bundleKey(QStringLiteral("beta"), QStringLiteral("alpha")));
    EXPECT_EQ(fileOrder().mid(2, 3),
        QStringList({QStringLiteral("beta|alpha"), QStringLiteral("beta|one"), QStringLiteral("beta|Zed")}));

    // Saving again for a key leaves one entry holding the second answer.
    titles.save(
        names(QStringLiteral("Second"), std::nullopt), bundleKey(QStringLiteral("beta"), QStringLiteral("one")));
    EXPECT_EQ(fileOrder().size(), 6);
    EXPECT_EQ(titles.resolution(bundleKey(QStringLiteral("beta"), QStringLiteral("one"))),
        names(QStringLiteral("Second"), std::nullopt));
}

TEST_F(GameTitleStoreTest, HandEditedEntriesAreReadAsTheyStand)
{
    // Two entries for one key, names with blanks, a missing name, and an entry of long ago.
    writeFile(R"({"schemaVersion": 1, "unknown": true, "entries": [
        {"applicationIdentity": {"kind": "bundleIdentifier", "value": "com.game"}, "windowTitle": "Main",
         "extractedGameName": "  Star   Ocean ", "representativeGameName": " STAR OCEAN\n"},
        {"applicationIdentity": {"kind": "bundleIdentifier", "value": "com.game"}, "windowTitle": "Main",
         "extractedGameName": "Second", "representativeGameName": "Second"},
        {"applicationIdentity": {"kind": "executablePath", "value": "/old/game"}, "windowTitle": "",
         "representativeGameName": null}
    ]})");
    FileGameTitleStore titles = store();
    EXPECT_EQ(titles.resolution(bundleKey(QStringLiteral("com.game"), QStringLiteral("Main"))),
        names(QStringLiteral("Star Ocean"), QStringLiteral("STAR OCEAN")));
    EXPECT_EQ(titles.resolution(pathKey(QStringLiteral("/old/game"), QString())), GameTitleResolution());

    // The next save for the key replaces only the first of the two; the entries are
    // sorted ("/" before letters).
    titles.save(names(QStringLiteral("New"), QStringLiteral("NEW")),
        bundleKey(QStringLiteral("com.game"), QStringLiteral("Main")));
    EXPECT_EQ(fileOrder(),
        QStringList({QStringLiteral("/old/game|"), QStringLiteral("com.game|Main"), QStringLiteral("com.game|Main")}));
    const QJsonArray entries = QJsonDocument::fromJson(fileBytes()).object().value(QStringLiteral("entries")).toArray();
    EXPECT_FALSE(entries[0].toObject().contains(QStringLiteral("extractedGameName")));
    EXPECT_FALSE(entries[0].toObject().contains(QStringLiteral("representativeGameName")));
    EXPECT_EQ(entries[1][QStringLiteral("extractedGameName")].toString(), QStringLiteral("New"));
    EXPECT_EQ(entries[2][QStringLiteral("extractedGameName")].toString(), QStringLiteral("Second"));
}

TEST_F(GameTitleStoreTest, AnInvalidFileIsLoggedAndRebuiltAtTheNextSave)
{
    const GameWindowProfileKey key = bundleKey(QStringLiteral("com.game"), QStringLiteral("Main"));
    const QList<QByteArray> invalidFiles{
        R"({"schemaVersion": 2, "entries": [{"applicationIdentity": {"kind": "bundleIdentifier", "value": "com.game"},
            "windowTitle": "Main", "extractedGameName": "Old", "representativeGameName": "Old"}]})",
        "{\"schemaVersion\": 1, \"entr",
        R"({"schemaVersion": 1})",
        R"({"schemaVersion": "1", "entries": []})",
        R"({"schemaVersion": 1, "entries": [{"windowTitle": "Main"}]})",
        R"({"schemaVersion": 1, "entries": [{"applicationIdentity": {"kind": "bundle", "value": "x"}, "windowTitle": ""}]})",
        R"({"schemaVersion": 1, "entries": [{"applicationIdentity": {"kind": "bundleIdentifier", "value": "com.game"},
            "windowTitle": "Main", "extractedGameName": 3}]})",
        "[]",
        "",
    };
    for (const QByteArray &invalid : invalidFiles) {
        writeFile(invalid);
        FileGameTitleStore titles = store();
        LogCapture log;
        EXPECT_FALSE(titles.resolution(key)) << invalid.toStdString();
        const QStringList messages = log.messages(QStringLiteral("GameTitleStore"));
        ASSERT_EQ(messages.size(), 1) << invalid.toStdString();
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Game-title cache is invalid and will be rebuilt: ")));
        // A look-up leaves the file as it was.
        EXPECT_EQ(fileBytes(), invalid);

        titles.save(names(QStringLiteral("Other"), std::nullopt), bundleKey(QStringLiteral("other"), QString()));
        const QJsonObject rebuilt = QJsonDocument::fromJson(fileBytes()).object();
        EXPECT_EQ(rebuilt.value(QStringLiteral("schemaVersion")).toInt(), 1);
        EXPECT_EQ(fileOrder(), QStringList{QStringLiteral("other|")});
    }
    // Through a link to what is no cache (another program's file), the link is moved
    // aside and the cache rebuilt in a file of its own; a link to a cache is written through.
    const QString elsewhere = m_folder.path() + QStringLiteral("/other-program.json");
    for (const QByteArray &target : {QByteArray(R"({"theme": "dark"})"), QByteArray()}) {
        writeFileAtomically(elsewhere, target.isEmpty() ? fileBytes() : target);
        QFile::remove(filePath());
        ASSERT_TRUE(QFile::link(elsewhere, filePath()));
        store().save(names(QStringLiteral("Linked"), std::nullopt), bundleKey(QStringLiteral("linked"), QString()));
        const bool wasCache = target.isEmpty();
        EXPECT_EQ(QFileInfo(filePath()).isSymLink(), wasCache);
        EXPECT_EQ(readWholeFile(elsewhere) == target, !wasCache);
        EXPECT_EQ(fileOrder().last(), QStringLiteral("linked|"));
        EXPECT_EQ(QDir(QFileInfo(filePath()).path())
                      .entryList({QStringLiteral("game-titles.json.damaged-*")}, QDir::System | QDir::Files)
                      .size(),
            1);
    }

    // A link to nothing holds no cache either: it is moved aside the same way, and nothing
    // is made where it led.
    const QString nowhere = m_folder.path() + QStringLiteral("/unmounted/game-titles.json");
    QFile::remove(filePath());
    ASSERT_TRUE(QFile::link(nowhere, filePath()));
    EXPECT_FALSE(store().resolution(key));
    store().save(names(QStringLiteral("Anew"), std::nullopt), bundleKey(QStringLiteral("anew"), QString()));
    EXPECT_FALSE(QFileInfo(filePath()).isSymLink());
    EXPECT_EQ(fileOrder(), QStringList{QStringLiteral("anew|")});
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_EQ(QDir(QFileInfo(filePath()).path())
                  .entryList({QStringLiteral("game-titles.json.damaged-*")}, QDir::System | QDir::Files)
                  .size(),
        2);
    // Moved aside at every start: only the newest are kept.
    for (int start = 0; start < keptDamagedCopies + 2; ++start) {
        QFile::remove(filePath());
        ASSERT_TRUE(QFile::link(nowhere, filePath()));
        store().save(names(QStringLiteral("Anew"), std::nullopt), bundleKey(QStringLiteral("anew"), QString()));
    }
    EXPECT_EQ(QDir(QFileInfo(filePath()).path())
                  .entryList({QStringLiteral("game-titles.json.damaged-*")}, QDir::System | QDir::Files)
                  .size(),
        keptDamagedCopies);

    LogCapture log;
    writeFile(invalidFiles[0]);
    EXPECT_TRUE(store().resolution(key) == std::nullopt);
    EXPECT_TRUE(log.messages(QStringLiteral("GameTitleStore"))[0].contains(
        QStringLiteral("Unsupported game-title cache schema")));
}

TEST_F(GameTitleStoreTest, AnUnreadableFileOrUnwritableFolderIsAnError)
{
    const GameWindowProfileKey key = bundleKey(QStringLiteral("com.game"), QStringLiteral("Main"));
    // A folder where the file should be cannot be read: both operations throw and
    // nothing is written.
    ASSERT_TRUE(QDir().mkpath(filePath()));
    FileGameTitleStore titles = store();
    EXPECT_THROW(titles.resolution(key), FileAccessError);
    EXPECT_THROW(titles.save(names(QStringLiteral("Game"), QStringLiteral("Game")), key), FileAccessError);
    EXPECT_TRUE(QFileInfo(filePath()).isDir());

    // A file where the folder should be: the folder cannot be created.
    const QString blocked = m_folder.path() + QStringLiteral("/blocked");
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FileGameTitleStore nowhere(QUrl::fromLocalFile(blocked + QStringLiteral("/Obrisk/game-titles.json")));
    EXPECT_FALSE(nowhere.resolution(key));
    try {
        nowhere.save(names(QStringLiteral("Game"), QStringLiteral("Game")), key);
        ADD_FAILURE() << "the save succeeded";
    } catch (const FileAccessError &error) {
        EXPECT_EQ(error.kind(), FileAccessError::Kind::folderCreationFailed);
    }
}

TEST_F(GameTitleStoreTest, TheFileIsReplacedNotRewritten)
{
    FileGameTitleStore titles = store();
    titles.save(names(QStringLiteral("One"), QStringLiteral("One")), bundleKey(QStringLiteral("one"), QString()));
    const QByteArray before = fileBytes();

    // A reader that opened the file before a save still reads the whole old document:
    // the new one is written beside it and takes its place.
    QFile reader(filePath());
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    titles.save(names(QStringLiteral("Two"), QStringLiteral("Two")), bundleKey(QStringLiteral("two"), QString()));
    EXPECT_EQ(reader.readAll(), before);
    EXPECT_NE(fileBytes(), before);
    EXPECT_EQ(fileOrder(), QStringList({QStringLiteral("one|"), QStringLiteral("two|")}));
}

TEST(InMemoryGameTitleStoreTest, KeepsAnswersByKey)
{
    const GameWindowProfileKey key = bundleKey(QStringLiteral("com.game"), QStringLiteral("Main"));
    InMemoryGameTitleStore titles({{key, names(QStringLiteral("A"), std::nullopt)}});
    EXPECT_EQ(titles.resolution(key), names(QStringLiteral("A"), std::nullopt));
    titles.save(names(QStringLiteral("B"), QStringLiteral("B")), key);
    EXPECT_EQ(titles.resolution(key), names(QStringLiteral("B"), QStringLiteral("B")));
    EXPECT_FALSE(titles.resolution(bundleKey(QStringLiteral("com.game"), QStringLiteral("Other"))));
}

TEST(GameTitleStoreFactoryTest, ChoosesByMode)
{
    const auto fixture = makeGameTitleStore(true);
    const auto *inMemory = dynamic_cast<InMemoryGameTitleStore *>(fixture.get());
    ASSERT_TRUE(inMemory);
    EXPECT_TRUE(inMemory->resolutions().isEmpty());

    const auto live = makeGameTitleStore(false);
    const auto *file = dynamic_cast<FileGameTitleStore *>(live.get());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->fileURL().toLocalFile(), applicationFolderPath() + QStringLiteral("/game-titles.json"));
}
