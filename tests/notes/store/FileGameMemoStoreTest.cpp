// Test label: unit
// The note file: its exact byte form, the strict date rule, and every damaged, foreign or
// unreadable file refused by load and save alike, the file left byte for byte as it was.
#include "notes/store/FileGameMemoStore.h"
#include "foundation/files/FileIO.h"
#include "foundation/identity/ApplicationFolder.h"
#include "foundation/json/JsonDecoding.h"
#include "foundation/language/ClientLanguage.h"
#include "notes/model/GameMemoContext.h"
#include "notes/store/GameMemoStoreError.h"
#include "notes/store/GameMemoStoreFactory.h"
#include "notes/store/InMemoryGameMemoStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

GameWindowProfileKey bundleKey(const QString &bundle, const QString &title)
{
    return {{GameApplicationIdentity::Kind::bundleIdentifier, bundle}, title};
}

QDateTime utc(int year, int month, int day, int hour, int minute, int second, int millisecond = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond), Qt::UTC);
}

void writeBytes(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One entry of the note file with the given members besides the required ones.
QByteArray entryJson(const QByteArray &members)
{
    return R"({"applicationName": "Game", "key": {"applicationIdentity": {"kind": "bundleIdentifier",
        "value": "com.example.game"}, "windowTitle": "Main"}, "text": "t", "windowTitle": "Main", )"
        + members + "}";
}

QByteArray documentWith(const QByteArrayList &entries)
{
    return R"({"schemaVersion": 1, "entries": [)" + entries.join(", ") + "]}";
}

class FileGameMemoStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir folder;
    QString path() const { return folder.path() + QStringLiteral("/Obrisk/game-memos.json"); }
    FileGameMemoStore store() const { return FileGameMemoStore(QUrl::fromLocalFile(path())); }
};

} // namespace

TEST_F(FileGameMemoStoreTest, FirstStartCreatesTheFolderAndWritesTheExactByteForm)
{
    FileGameMemoStore notes = store();
    EXPECT_TRUE(notes.load().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(path()).absolutePath()));

    const GameMemoEntry named{{{GameApplicationIdentity::Kind::executablePath, QStringLiteral("/opt/games/rpg/run")},
                                  QStringLiteral("Act 1/2 — 第一章")},
        QStringLiteral("RPG"), QStringLiteral("Act 1/2 — 第一章 "), QStringLiteral("Rpg: The \"Game\""),
        QStringLiteral("line one\nline\ttwo"), utc(2024, 5, 6, 7, 8, 9, 750)};
    const GameMemoEntry unnamed{bundleKey(QStringLiteral("com.example.b"), QStringLiteral("B")),
        QStringLiteral("B app"), QStringLiteral("B"), std::nullopt, QStringLiteral("b"), utc(2023, 12, 31, 23, 59, 59)};
    notes.save({named, unnamed});

    const QByteArray expected = R"({
  "entries" : [
    {
      "applicationName" : "RPG",
      "key" : {
        "applicationIdentity" : {
          "kind" : "executablePath",
          "value" : "\/opt\/games\/rpg\/run"
        },
        "windowTitle" : "Act 1\/2 — 第一章"
      },
      "representativeGameName" : "Rpg: The \"Game\"",
      "text" : "line one\nline\ttwo",
      "updatedAt" : "2024-05-06T07:08:09Z",
      "windowTitle" : "Act 1\/2 — 第一章 "
    },
    {
      "applicationName" : "B app",
      "key" : {
        "applicationIdentity" : {
          "kind" : "bundleIdentifier",
          "value" : "com.example.b"
        },
        "windowTitle" : "B"
      },
      "text" : "b",
      "updatedAt" : "2023-12-31T23:59:59Z",
      "windowTitle" : "B"
    }
  ],
  "schemaVersion" : 1
})";
    EXPECT_EQ(QString::fromUtf8(readBytes(path())), QString::fromUtf8(expected));

    // Read back in file order, the fraction of a second dropped.
    const QVector<GameMemoEntry> loaded = notes.load();
    ASSERT_EQ(loaded.size(), 2);
    GameMemoEntry wholeSecond = named;
    wholeSecond.updatedAt = utc(2024, 5, 6, 7, 8, 9);
    EXPECT_EQ(loaded.at(0), wholeSecond);
    EXPECT_EQ(loaded.at(1), unnamed);

    // No notes: still a document, never a deleted file.
    notes.save({});
    EXPECT_EQ(readBytes(path()), QByteArray("{\n  \"entries\" : [\n\n  ],\n  \"schemaVersion\" : 1\n}"));
    EXPECT_TRUE(notes.load().isEmpty());
}

TEST_F(FileGameMemoStoreTest, ReadsDatesStrictlyAndAnAbsentOrNullNameAsAbsent)
{
    FileGameMemoStore notes = store();
    writeBytes(path(),
        documentWith({entryJson(R"("updatedAt": "2024-01-02T12:00:00+09:00", "representativeGameName": null)")}));
    QVector<GameMemoEntry> loaded = notes.load();
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded.first().updatedAt, utc(2024, 1, 2, 3, 0, 0));
    EXPECT_EQ(loaded.first().representativeGameName, std::nullopt);

    // Written back, the name is left out rather than written as null.
    notes.save(loaded);
    EXPECT_FALSE(readBytes(path()).contains("representativeGameName"));

    for (const QByteArray &date : {QByteArray("2024-01-02T12:00:00.5Z"), QByteArray("2024-01-02T12:00:00"),
             QByteArray("2024-01-02 12:00:00Z"), QByteArray("2024-02-30T12:00:00Z"),
             QByteArray("2024-01-02T12:00:00Z\n"), QByteArray("2024-01-02t12:00:00z")}) {
        writeBytes(path(), documentWith({entryJson("\"updatedAt\": \"" + date + "\"")}));
        EXPECT_THROW(notes.load(), DecodingError) << date.toStdString();
    }
}

TEST_F(FileGameMemoStoreTest, RefusesEveryFileItCannotReadWithoutTouchingIt)
{
    const QByteArray valid = entryJson(R"("updatedAt": "2024-01-02T12:00:00Z")");
    const struct
    {
        const char *what;
        QByteArray content;
    } damaged[] = {
        {"zero bytes", QByteArray()},
        {"broken JSON", QByteArray("{\"schemaVersion\": 1, \"entries\": [")},
        {"not an object", QByteArray("[]")},
        {"no schema version", QByteArray(R"({"entries": []})")},
        {"a textual schema version", QByteArray(R"({"schemaVersion": "1", "entries": []})")},
        {"no entries", QByteArray(R"({"schemaVersion": 1})")},
        {"an entry without text", documentWith({QByteArray(valid).replace(R"("text": "t",)", "")})},
        {"a name that is a number", documentWith({entryJson(R"("updatedAt": "2024-01-02T12:00:00Z",
             "representativeGameName": 7)")})},
        {"an unknown identity kind", documentWith({QByteArray(valid).replace("bundleIdentifier", "processName")})},
        {"two notes under one key", documentWith({valid, valid})},
    };
    const GameMemoEntry note{bundleKey(QStringLiteral("x"), QStringLiteral("y")), QStringLiteral("X"),
        QStringLiteral("y"), std::nullopt, QStringLiteral("new"), utc(2024, 1, 1, 0, 0, 0)};
    FileGameMemoStore notes = store();
    writeBytes(path(), documentWith({valid}));
    ASSERT_EQ(notes.load().size(), 1);
    for (const auto &[what, content] : damaged) {
        writeBytes(path(), content);
        EXPECT_THROW(notes.load(), DecodingError) << what;
        EXPECT_THROW(notes.save({note}), DecodingError) << what;
        EXPECT_EQ(readBytes(path()), content) << what;
    }

    // Another schema version: its own message, in the interface language too.
    const QByteArray newer = R"({"schemaVersion": 2, "entries": [{"future": true}]})";
    writeBytes(path(), newer);
    try {
        notes.load();
        ADD_FAILURE() << "a newer schema loaded";
    } catch (const GameMemoStoreError &error) {
        EXPECT_EQ(error.kind(), GameMemoStoreError::Kind::unsupportedSchema);
        EXPECT_EQ(error.localizedDescription(), QStringLiteral("The saved game notes use an unsupported format."));
        setCurrentClientLanguage(ClientLanguage::korean);
        EXPECT_EQ(error.localizedDescription(), QStringLiteral("저장된 게임 메모의 형식이 지원되지 않습니다."));
        setCurrentClientLanguage(ClientLanguage::english);
    }
    EXPECT_THROW(notes.save({note}), GameMemoStoreError);
    EXPECT_EQ(readBytes(path()), newer);

    // A folder where the file should be, and a folder that cannot be made.
    QFile::remove(path());
    QDir().mkpath(path());
    EXPECT_THROW(notes.load(), FileAccessError);
    EXPECT_THROW(notes.save({note}), FileAccessError);
    QDir().rmdir(path());
    writeBytes(folder.path() + QStringLiteral("/blocker"), "a file");
    FileGameMemoStore blocked(QUrl::fromLocalFile(folder.path() + QStringLiteral("/blocker/Obrisk/game-memos.json")));
    try {
        blocked.save({note});
        ADD_FAILURE() << "saved below a file";
    } catch (const FileAccessError &error) {
        EXPECT_EQ(error.kind(), FileAccessError::Kind::folderCreationFailed);
    }
}

TEST(GameMemoStoreFactory, GivesAnEmptyMemoryStoreToUITestsAndTheAppFolderFileOtherwise)
{
    const std::unique_ptr<GameMemoStoring> fixture = makeGameMemoStore(true);
    auto *memory = dynamic_cast<InMemoryGameMemoStore *>(fixture.get());
    ASSERT_NE(memory, nullptr);
    EXPECT_TRUE(memory->load().isEmpty());
    EXPECT_FALSE(memory->loadError());
    EXPECT_FALSE(memory->saveError());

    const std::unique_ptr<GameMemoStoring> live = makeGameMemoStore(false);
    auto *file = dynamic_cast<FileGameMemoStore *>(live.get());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->fileURL().toLocalFile(), applicationFolderPath() + QStringLiteral("/game-memos.json"));
    EXPECT_TRUE(
        file->fileURL().toLocalFile().startsWith(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Obrisk")));
}

TEST(InMemoryGameMemoStore, FailsWithItsErrorsAndKeepsItsListOnAFailedSave)
{
    const GameMemoEntry kept{bundleKey(QStringLiteral("a"), QStringLiteral("A")), QStringLiteral("A"),
        QStringLiteral("A"), std::nullopt, QStringLiteral("kept"), utc(2024, 1, 1, 0, 0, 0)};
    InMemoryGameMemoStore store({kept}, nullptr, std::make_exception_ptr(Error(QStringLiteral("disk full"))));
    EXPECT_THROW(store.save({}), Error);
    EXPECT_EQ(store.entries(), QVector<GameMemoEntry>{kept});
    store.setLoadError(std::make_exception_ptr(Error(QStringLiteral("unreadable"))));
    EXPECT_THROW(store.load(), Error);
    store.setSaveError(nullptr);
    store.save({});
    EXPECT_TRUE(store.entries().isEmpty());
}

TEST(GameMemoContext, TakesTheTargetsNamesAndTrimsTheGameName)
{
    CaptureTarget target;
    target.applicationName = QStringLiteral("Game App");
    target.windowTitle = QStringLiteral("  Chapter 2 ");
    target.bundleIdentifier = QStringLiteral("com.example.game");

    const std::optional<GameMemoContext> named = GameMemoContext::make(target, QStringLiteral(" \n Dragon Tale\t\n"));
    ASSERT_TRUE(named);
    EXPECT_EQ(named->key, bundleKey(QStringLiteral("com.example.game"), QStringLiteral("Chapter 2")));
    EXPECT_EQ(named->windowTitle, QStringLiteral("  Chapter 2 "));
    EXPECT_EQ(named->applicationName, QStringLiteral("Game App"));
    EXPECT_EQ(named->representativeGameName, QStringLiteral("Dragon Tale"));

    // A name of blanks is kept as the empty text; a note made from it shows the window title.
    const std::optional<GameMemoContext> blank = GameMemoContext::make(target, QStringLiteral(" \n "));
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->representativeGameName, QString());
    const GameMemoEntry note{blank->key, blank->applicationName, blank->windowTitle, blank->representativeGameName,
        QString(), QDateTime::currentDateTimeUtc()};
    EXPECT_EQ(note.displayTitle(), QStringLiteral("  Chapter 2 "));
    EXPECT_EQ(GameMemoContext::make(target, std::nullopt)->representativeGameName, std::nullopt);

    target.bundleIdentifier.reset();
    EXPECT_FALSE(GameMemoContext::make(target, QStringLiteral("Dragon Tale")));
}
