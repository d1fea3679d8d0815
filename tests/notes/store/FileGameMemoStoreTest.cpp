// Test label: unit
// The note file: its exact byte form, the strict date rule, every damaged, foreign,
// oversized or unreadable file (and whatever is not a regular file) refused by load and
// save alike, the file left byte for byte as it was, nothing rewritten without a change, a
// link followed only to notes, and the copy of typed notes kept beside it or, when its
// folder takes nothing (a full or read-only disk), in the fallback folders.
#include "notes/store/FileGameMemoStore.h"
#include "foundation/files/FileIO.h"
#include "foundation/identity/ApplicationFolder.h"
#include "foundation/json/JsonDecoding.h"
#include "foundation/language/ClientLanguage.h"
#include "notes/model/GameMemoContext.h"
#include "notes/store/GameMemoStoreError.h"
#include "notes/store/GameMemoStoreFactory.h"
#include "notes/store/InMemoryGameMemoStore.h"
#include "support/FileIdentity.h"
#include "support/LogCapture.h"
#include "support/NamedPipe.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::inodeOf;
using veyra::test::LogCapture;
using veyra::test::SmallDisk;

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
    // No file: nothing stored at all, which is not a file of no notes.
    EXPECT_EQ(notes.read().entries, std::nullopt);
    EXPECT_TRUE(notes.read().revision.isEmpty());
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
    EXPECT_EQ(notes.read().entries, loaded);
    GameMemoEntry wholeSecond = named;
    wholeSecond.updatedAt = utc(2024, 5, 6, 7, 8, 9);
    EXPECT_EQ(loaded.at(0), wholeSecond);
    EXPECT_EQ(loaded.at(1), unnamed);

    // No notes: still a document, never a deleted file.
    notes.save({});
    EXPECT_EQ(readBytes(path()), QByteArray("{\n  \"entries\" : [\n\n  ],\n  \"schemaVersion\" : 1\n}"));
    EXPECT_TRUE(notes.load().isEmpty());
    EXPECT_EQ(notes.read().entries, QVector<GameMemoEntry>());
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
        EXPECT_THROW(notes.load(), GameMemoStoreError) << date.toStdString();
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
        {"a note longer than a note may hold",
            documentWith({QByteArray(valid).replace(
                R"("text": "t")", "\"text\": \"" + QByteArray(GameMemoEntry::maximumTextLength + 1, 'x') + "\"")})},
    };
    const GameMemoEntry note{bundleKey(QStringLiteral("x"), QStringLiteral("y")), QStringLiteral("X"),
        QStringLiteral("y"), std::nullopt, QStringLiteral("new"), utc(2024, 1, 1, 0, 0, 0)};
    FileGameMemoStore notes = store();
    writeBytes(path(), documentWith({valid}));
    ASSERT_EQ(notes.load().size(), 1);
    for (const auto &[what, content] : damaged) {
        writeBytes(path(), content);
        // The message names the file and says what is wrong with it.
        try {
            notes.load();
            ADD_FAILURE() << what << " loaded";
        } catch (const GameMemoStoreError &error) {
            EXPECT_EQ(error.kind(), GameMemoStoreError::Kind::damaged) << what;
            EXPECT_TRUE(error.localizedDescription().startsWith(
                QStringLiteral("The game notes file “%1” is damaged, so Veyra left it as it is. (").arg(path())))
                << error.localizedDescription().toStdString();
        }
        EXPECT_THROW(notes.save({note}), GameMemoStoreError) << what;
        EXPECT_EQ(readBytes(path()), content) << what;
    }
    // A rule of the notes themselves that the file breaks is said in the interface
    // language too.
    writeBytes(path(), damaged[std::size(damaged) - 1].content);
    try {
        notes.load();
        ADD_FAILURE() << "a note too long loaded";
    } catch (const GameMemoStoreError &error) {
        setCurrentClientLanguage(ClientLanguage::korean);
        EXPECT_EQ(error.localizedDescription(),
            QStringLiteral(
                "게임 메모 파일 “%1”이(가) 손상되어 Veyra가 그대로 두었습니다. (메모가 20001자로, 메모 하나에 "
                "담을 수 있는 20000자를 넘습니다.)")
                .arg(path()));
        setCurrentClientLanguage(ClientLanguage::english);
        EXPECT_TRUE(error.localizedDescription().endsWith(
            QStringLiteral("(A note holds 20001 characters, more than the 20000 a note may hold.)")));
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

    // A file larger than a notes file may be (a 5 MB note on one line) is refused before it
    // is decoded, and a save that would write one is refused too.
    const QByteArray huge = documentWith(
        {QByteArray(valid).replace(R"("text": "t")", "\"text\": \"" + QByteArray(5 * 1024 * 1024, 'x') + "\"")});
    writeBytes(path(), huge);
    try {
        notes.load();
        ADD_FAILURE() << "a 5 MB file loaded";
    } catch (const FileAccessError &error) {
        EXPECT_EQ(error.localizedDescription(),
            QStringLiteral("The file “%1” couldn't be read. (It is larger than 4 MB.)").arg(path()));
    }
    EXPECT_THROW(notes.save({note}), FileAccessError);
    EXPECT_EQ(readBytes(path()).size(), huge.size());
    writeBytes(path(), documentWith({}));
    QVector<GameMemoEntry> many;
    for (int i = 0; i < 300; ++i) {
        GameMemoEntry full = note;
        full.key.windowTitle = QString::number(i);
        full.text = QString(GameMemoEntry::maximumTextLength, QLatin1Char('y'));
        many.append(full);
    }
    try {
        notes.save(many);
        ADD_FAILURE() << "a document over the limit was written";
    } catch (const FileAccessError &error) {
        EXPECT_EQ(error.kind(), FileAccessError::Kind::writeFailed);
        EXPECT_TRUE(error.localizedDescription().endsWith(QStringLiteral("(The notes would take more than 4 MB.)")));
        // The reason is worded in the interface language like the sentence before it.
        setCurrentClientLanguage(ClientLanguage::japanese);
        EXPECT_EQ(error.localizedDescription(),
            QStringLiteral("ファイル「%1」を保存できませんでした。 (メモが 4 MBを超えてしまいます。)").arg(path()));
        setCurrentClientLanguage(ClientLanguage::english);
    }
    EXPECT_EQ(readBytes(path()), documentWith({}));

    // A folder where the file should be, a named pipe (refused at once: opening it would
    // wait for a writer), a link to nothing (whose target is not created), and a folder
    // that cannot be made.
    QFile::remove(path());
    QDir().mkpath(path());
    EXPECT_THROW(notes.load(), FileAccessError);
    EXPECT_THROW(notes.save({note}), FileAccessError);
    QDir().rmdir(path());
    {
        veyra::test::NamedPipe pipe(path());
        ASSERT_TRUE(pipe.isValid());
        try {
            notes.load();
            ADD_FAILURE() << "a pipe loaded";
        } catch (const FileAccessError &error) {
            EXPECT_EQ(error.localizedDescription(),
                QStringLiteral("The file “%1” couldn't be read. (It is a named pipe, a device or a socket, not a "
                               "regular file.)")
                    .arg(path()));
        }
        EXPECT_THROW(notes.save({note}), FileAccessError);
        EXPECT_FALSE(pipe.readerWasStuck());
    }
    const QString target = folder.path() + QStringLiteral("/elsewhere/notes.json");
    ASSERT_TRUE(QFile::link(target, path()));
    try {
        notes.save({note});
        ADD_FAILURE() << "saved through a link to nothing";
    } catch (const FileAccessError &error) {
        EXPECT_TRUE(error.localizedDescription().endsWith(
            QStringLiteral("(It is a link to “%1”, which doesn't exist.)").arg(target)));
    }
    EXPECT_THROW(notes.load(), FileAccessError);
    EXPECT_FALSE(QFileInfo::exists(target));
    QFile::remove(path());
    writeBytes(folder.path() + QStringLiteral("/blocker"), "a file");
    FileGameMemoStore blocked(QUrl::fromLocalFile(folder.path() + QStringLiteral("/blocker/Obrisk/game-memos.json")));
    try {
        blocked.save({note});
        ADD_FAILURE() << "saved below a file";
    } catch (const FileAccessError &error) {
        EXPECT_EQ(error.kind(), FileAccessError::Kind::folderCreationFailed);
    }
}

TEST_F(FileGameMemoStoreTest, KeepsNotesAsideBesideTheFileInCopiesItReadsBack)
{
    const QByteArray damaged = "{\"schemaVersion\": 1, \"entries\": [";
    writeBytes(path(), damaged);
    FileGameMemoStore notes = store();
    const GameMemoEntry typed{bundleKey(QStringLiteral("x"), QStringLiteral("y")), QStringLiteral("X"),
        QStringLiteral("y"), std::nullopt, QStringLiteral("typed"), utc(2024, 1, 1, 0, 0, 0)};
    const QDateTime at = utc(2024, 3, 1, 12, 0, 5);
    const QString aside = folder.path() + QStringLiteral("/Obrisk/game-memos.unsaved-20240301-120005.json");
    EXPECT_EQ(notes.keepAside({typed}, std::nullopt, at, {}), QStringList{aside});
    EXPECT_EQ(FileGameMemoStore(QUrl::fromLocalFile(aside)).load(), QVector<GameMemoEntry>{typed});
    // The same copy takes later notes; a new one never takes a name in use.
    GameMemoEntry more = typed;
    more.text = QStringLiteral("typed more");
    EXPECT_EQ(notes.keepAside({more}, std::nullopt, at.addSecs(60), {aside}), QStringList{aside});
    EXPECT_EQ(FileGameMemoStore(QUrl::fromLocalFile(aside)).load().value(0).text, QStringLiteral("typed more"));
    const QString second = folder.path() + QStringLiteral("/Obrisk/game-memos.unsaved-20240301-120005-2.json");
    EXPECT_EQ(notes.keepAside({typed}, std::nullopt, at, {}), QStringList{second});
    EXPECT_EQ(readBytes(path()), damaged);
    EXPECT_EQ(notes.location(), path());

    // Notes past what a file may hold go to as many new copies as they need, each one
    // read back whole; the earlier copy goes once they are written. When they fit one
    // file again, the first copy takes them and the others go.
    QVector<GameMemoEntry> many;
    for (int i = 0; i < 300; ++i) {
        GameMemoEntry full = typed;
        full.key.windowTitle = QString::number(i);
        full.text = QString(GameMemoEntry::maximumTextLength, QLatin1Char('y'));
        many.append(full);
    }
    const QStringList split = notes.keepAside(many, std::nullopt, at.addSecs(120), {aside});
    ASSERT_EQ(split.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(aside));
    QVector<GameMemoEntry> readBack;
    for (const QString &copy : split) {
        EXPECT_LE(QFileInfo(copy).size(), FileGameMemoStore::maximumFileSize);
        readBack += FileGameMemoStore(QUrl::fromLocalFile(copy)).load();
    }
    EXPECT_EQ(readBack, many);
    EXPECT_EQ(notes.keepAside({more}, std::nullopt, at, split), QStringList{split.first()});
    EXPECT_FALSE(QFileInfo::exists(split.last()));

    // Every copy beside the file is listed in the order of its name, one that cannot be
    // read with its reason, files of other names left out; a copy goes on request.
    const QString unreadable = folder.path() + QStringLiteral("/Obrisk/game-memos.unsaved-20240101-000000.json");
    writeBytes(unreadable, damaged);
    writeBytes(folder.path() + QStringLiteral("/Obrisk/game-memos.unsaved.json"), damaged);
    writeBytes(folder.path() + QStringLiteral("/Obrisk/other.unsaved-20240101-000000.json"), damaged);
    const QVector<KeptGameMemoCopy> copies = notes.loadKeptAside();
    ASSERT_EQ(copies.size(), 3);
    EXPECT_EQ(copies[0].location, unreadable);
    EXPECT_THROW(std::rethrow_exception(copies[0].error), GameMemoStoreError);
    EXPECT_EQ(copies[1].location, second);
    EXPECT_EQ(copies[1].entries, QVector<GameMemoEntry>{typed});
    EXPECT_FALSE(copies[1].error);
    EXPECT_EQ(copies[2].location, split.first());
    EXPECT_EQ(copies[2].entries, QVector<GameMemoEntry>{more});
    notes.removeKeptAside(second);
    notes.removeKeptAside(second);
    EXPECT_FALSE(QFileInfo::exists(second));
    EXPECT_TRUE(FileGameMemoStore(QUrl::fromLocalFile(folder.path() + QStringLiteral("/none/game-memos.json")))
                    .loadKeptAside()
                    .isEmpty());

    // Should the copy have become a link to nothing or a named pipe meanwhile, it is
    // refused: no target is created, and nothing waits for a reader; listed, it cannot be
    // read.
    const QString link = split.first();
    ASSERT_TRUE(QFile::remove(link));
    const QString target = folder.path() + QStringLiteral("/elsewhere/kept.json");
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_THROW(notes.keepAside({typed}, std::nullopt, at, {link}), FileAccessError);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(target).absolutePath()));
    ASSERT_TRUE(QFile::remove(link));
    veyra::test::NamedPipe pipe(link);
    ASSERT_TRUE(pipe.isValid());
    EXPECT_THROW(notes.keepAside({typed}, std::nullopt, at, {link}), FileAccessError);
    EXPECT_TRUE(notes.loadKeptAside().value(1).error);
    EXPECT_FALSE(pipe.readerWasStuck());
}

TEST_F(FileGameMemoStoreTest, ALinkIsFollowedOnlyToNotesAndNothingIsWrittenAgainWithoutAChange)
{
    const GameMemoEntry note{bundleKey(QStringLiteral("x"), QStringLiteral("y")), QStringLiteral("X"),
        QStringLiteral("y"), std::nullopt, QStringLiteral("linked"), utc(2024, 1, 1, 0, 0, 0)};
    FileGameMemoStore notes = store();
    QDir().mkpath(QFileInfo(path()).absolutePath());

    // A link to a notes file elsewhere (a synced folder, say) is read and written through,
    // but the same notes saved again (the popover's close, the quit) leave it alone.
    const QString synced = folder.filePath(QStringLiteral("synced/game-memos.json"));
    FileGameMemoStore(QUrl::fromLocalFile(synced)).save({note});
    ASSERT_TRUE(QFile::link(synced, path()));
    EXPECT_EQ(notes.load(), QVector<GameMemoEntry>{note});
    const ino_t before = inodeOf(synced);
    notes.save({note});
    EXPECT_EQ(inodeOf(synced), before);
    GameMemoEntry edited = note;
    edited.text = QStringLiteral("linked, edited");
    notes.save({edited});
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_NE(inodeOf(synced), before);
    EXPECT_EQ(FileGameMemoStore(QUrl::fromLocalFile(synced)).load(), QVector<GameMemoEntry>{edited});

    // Notes of Veyra's own that it cannot read (another version, a damaged note) are
    // refused through a link as in a file: the link stays, the file as it was.
    const QByteArray newer = R"({"schemaVersion": 2, "entries": []})";
    const QByteArray tooLong = documentWith({entryJson("\"updatedAt\": \"2024-01-02\"")});
    for (const QByteArray &ours : {newer, tooLong}) {
        writeBytes(synced, ours);
        EXPECT_THROW(notes.load(), GameMemoStoreError) << ours.toStdString();
        EXPECT_THROW(notes.save({note}), GameMemoStoreError) << ours.toStdString();
        EXPECT_TRUE(QFileInfo(path()).isSymLink());
        EXPECT_EQ(readBytes(synced), ours);
    }

    // A link to another program's file (JSON or not) is itself moved aside at the first
    // look, what it leads to untouched, and the notes go to a file of their own.
    const QString theirs = folder.filePath(QStringLiteral("other-program/settings.json"));
    for (const QByteArray &foreign :
        {QByteArray(R"({"theme": "dark", "entries": []})"), QByteArray("[1, 2]"), QByteArray("key = value\n")}) {
        LogCapture log;
        writeBytes(theirs, foreign);
        QFile::remove(path());
        ASSERT_TRUE(QFile::link(theirs, path()));
        EXPECT_TRUE(notes.load().isEmpty()) << foreign.toStdString();
        EXPECT_EQ(fileNodeKind(path()), FileNodeKind::missing) << foreign.toStdString();
        const QStringList aside
            = QDir(QFileInfo(path()).absolutePath())
                  .entryList({QStringLiteral("game-memos.json.damaged-*")}, QDir::Files | QDir::System);
        ASSERT_EQ(aside.size(), 1) << foreign.toStdString();
        const QString asidePath = QFileInfo(path()).absolutePath() + QLatin1Char('/') + aside.first();
        EXPECT_EQ(QFileInfo(asidePath).symLinkTarget(), theirs);
        EXPECT_EQ(readBytes(theirs), foreign);
        const QStringList warnings = log.messages(QStringLiteral("GameMemoStore"), QtWarningMsg);
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_EQ(warnings.first(),
            QStringLiteral("The game notes file %1 was a link to %2, which holds no game notes: the link was moved "
                           "to %3, and the notes are kept in a file of their own.")
                .arg(path(), theirs, asidePath));
        ASSERT_TRUE(QFile::remove(asidePath));
    }
    // However often that happens, only the newest copies moved aside are kept.
    QStringList older;
    for (int day = 1; day <= keptDamagedCopies; ++day) {
        older.append(QStringLiteral("game-memos.json.damaged-202001%1-000000").arg(day, 2, 10, QLatin1Char('0')));
        writeBytes(QFileInfo(path()).absolutePath() + QLatin1Char('/') + older.last(), "older");
    }
    ASSERT_TRUE(QFile::link(theirs, path()));
    EXPECT_TRUE(notes.load().isEmpty());
    const QStringList kept = QDir(QFileInfo(path()).absolutePath())
                                 .entryList({QStringLiteral("game-memos.json.damaged-*")}, QDir::Files | QDir::System);
    ASSERT_EQ(kept.size(), keptDamagedCopies);
    EXPECT_EQ(kept.mid(0, keptDamagedCopies - 1), older.mid(1));
    EXPECT_EQ(QFileInfo(QFileInfo(path()).absolutePath() + QLatin1Char('/') + kept.last()).symLinkTarget(), theirs);

    // Through a link met by a save, the same; the notes are then written to a file.
    ASSERT_TRUE(QFile::link(theirs, path()));
    notes.save({note});
    EXPECT_FALSE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(notes.load(), QVector<GameMemoEntry>{note});
    EXPECT_EQ(readBytes(theirs), QByteArray("key = value\n"));

    // A file of its own is not written again without a change either.
    const ino_t own = inodeOf(path());
    notes.save({note});
    EXPECT_EQ(inodeOf(path()), own);
}

TEST_F(FileGameMemoStoreTest, NotesGoToTheFallbackFoldersWhenTheFilesFolderTakesNone)
{
    SmallDisk disk(64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "a full or read-only disk needs a tmpfs of the test's own: "
                     << disk.errorString().toStdString();
    }
    const QString notesPath = disk.filePath(QStringLiteral("notes/game-memos.json"));
    // The first fallback is on the same disk and fails with it; the second takes the notes.
    const QString sameDisk = disk.filePath(QStringLiteral("state"));
    const QString elsewhere = folder.filePath(QStringLiteral("runtime"));
    FileGameMemoStore notes(QUrl::fromLocalFile(notesPath), {sameDisk, elsewhere});
    const GameMemoEntry typed{bundleKey(QStringLiteral("x"), QStringLiteral("y")), QStringLiteral("X"),
        QStringLiteral("y"), std::nullopt, QStringLiteral("typed"), utc(2024, 1, 1, 0, 0, 0)};
    GameMemoEntry more = typed;
    more.text = QStringLiteral("typed more");
    const QDateTime at = utc(2024, 3, 1, 12, 0, 5);
    notes.save({});

    // A read-only disk, then a full one: the copy goes to the folder that takes it, and is
    // read back with those beside the file.
    const QString kept = elsewhere + QStringLiteral("/game-memos.unsaved-20240301-120005.json");
    ASSERT_TRUE(disk.setReadOnly(true));
    EXPECT_THROW(notes.save({typed}), FileAccessError);
    EXPECT_EQ(notes.keepAside({typed}, std::nullopt, at, {}), QStringList{kept});
    ASSERT_TRUE(disk.setReadOnly(false));
    ASSERT_TRUE(disk.fill());
    EXPECT_EQ(notes.keepAside({more}, std::nullopt, at, {kept}), QStringList{kept});
    const QVector<KeptGameMemoCopy> copies = notes.loadKeptAside();
    ASSERT_EQ(copies.size(), 1);
    EXPECT_EQ(copies.first().location, kept);
    EXPECT_EQ(copies.first().entries, QVector<GameMemoEntry>{more});
    EXPECT_TRUE(QDir(disk.filePath(QStringLiteral("notes"))).entryList({QStringLiteral("*.unsaved-*")}).isEmpty());

    // Room again: the next copy goes beside the file, and the one in the fallback goes.
    disk.empty();
    const QString beside = disk.filePath(QStringLiteral("notes/game-memos.unsaved-20240301-120005.json"));
    EXPECT_EQ(notes.keepAside({typed}, std::nullopt, at, {kept}), QStringList{beside});
    EXPECT_FALSE(QFileInfo::exists(kept));
    EXPECT_EQ(notes.loadKeptAside().value(0).entries, QVector<GameMemoEntry>{typed});

    // No folder takes them: the failure is the one of the file's folder (where the copy
    // kept before was to take them), and that copy stays as it was.
    ASSERT_TRUE(disk.setReadOnly(true));
    FileGameMemoStore nowhere(QUrl::fromLocalFile(notesPath), {sameDisk});
    try {
        nowhere.keepAside({more}, std::nullopt, at.addSecs(60), {beside});
        ADD_FAILURE() << "kept aside on a read-only disk";
    } catch (const FileAccessError &error) {
        EXPECT_EQ(error.path(), beside) << error.path().toStdString();
    }
    EXPECT_EQ(nowhere.loadKeptAside().value(0).entries, QVector<GameMemoEntry>{typed});
    ASSERT_TRUE(disk.setReadOnly(false));
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
    // The notes kept aside go, when the application folder takes none, to the state
    // folder, then to the runtime folder when there is one.
    const QString folderName = QFileInfo(applicationFolderPath()).fileName();
    const QString state = qEnvironmentVariable("XDG_STATE_HOME") + QLatin1Char('/') + folderName;
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    const bool hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EXPECT_EQ(FileGameMemoStore::defaultFallbackFolders(),
        (QStringList{state, runtime.path() + QLatin1Char('/') + folderName}));
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(FileGameMemoStore::defaultFallbackFolders(), QStringList{state});
    EXPECT_EQ(dynamic_cast<FileGameMemoStore *>(makeGameMemoStore(false).get())->fallbackFolders(), QStringList{state});
    if (hadRuntime) {
        qputenv("XDG_RUNTIME_DIR", runtimeBefore);
    }
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
