// Test label: unit
// Quitting the application, whichever way it is asked for, writes the edits that are
// still waiting for the delay, and keeps them beside the notes file (or in the fallback
// folder when the notes folder takes nothing) when they cannot be written; a quit with
// nothing unwritten writes nothing, through a link neither, and a notes file replaced from
// outside keeps its notes: only what was edited here is written into it. A note deleted
// there stays deleted while notes are browsed, edited, cleared or kept aside here; one
// changed on both sides keeps both texts, and the notice says so; a key typed and taken back
// is no change, a name changed here takes the text there. A file caught while another program writes it in place is
// read again before the failure counts, keeps aside only what was changed here with what was read of it, which the next
// start merges three ways; a file replaced between a save's read and its write is merged again, never overwritten.
#include "foundation/files/FileIO.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/FileGameMemoStore.h"
#include "notes/store/GameMemoStoreDocument.h"
#include "support/FileIdentity.h"
#include "support/GameMemoEntries.h"
#include "support/GatedSleeper.h"
#include "support/RecordingGameMemoStore.h"
#include "support/SmallDisk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::GatedSleeper;
using veyra::test::RecordingGameMemoStore;
using veyra::test::releaseUntil;
using veyra::test::SmallDisk;
using veyra::test::storedNote;
using veyra::test::texts;
using veyra::test::waitUntil;

namespace {

const GameMemoContext game{
    {{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")}, QStringLiteral("Main")},
    QStringLiteral("Game App"), QStringLiteral("Main"), std::nullopt};

GameMemoContext gameContext(const QString &title)
{
    return {{{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")}, title},
        QStringLiteral("Game App"), title, std::nullopt};
}

// Another machine's notes take the file's place, as a sync tool writes them: compact, into
// a new file renamed over the old one (a new inode).
void replaceFromOutside(const QString &path, const QVector<GameMemoEntry> &entries)
{
    const QString synced = path + QStringLiteral(".synced");
    FileGameMemoStore(QUrl::fromLocalFile(synced)).save(entries);
    const QByteArray compact = QJsonDocument::fromJson(readWholeFile(synced)).toJson(QJsonDocument::Compact);
    QFile::remove(synced);
    const ino_t before = veyra::test::inodeOf(path);
    writeFileAtomically(path, compact);
    ASSERT_NE(veyra::test::inodeOf(path), before);
}

// Another machine's notes written into the file in place, as a network share or an
// in-place sync writes them: the file emptied, then `part` of their bytes (all when 1).
void writeInPlace(const QString &path, const QVector<GameMemoEntry> &entries, double part)
{
    const QByteArray data
        = GameMemoStoreDocument{GameMemoStoreDocument::currentSchemaVersion, entries, std::nullopt}.encoded();
    const ino_t before = veyra::test::inodeOf(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data.left(static_cast<qsizetype>(static_cast<double>(data.size()) * part)));
    file.close();
    ASSERT_EQ(veyra::test::inodeOf(path), before);
}

// Runs the application's event loop and ends it the way the menu's Quit does.
void runAndQuit()
{
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
}

} // namespace

TEST(GameMemoQuitSave, QuittingWritesAPendingNoteAndOnlyThen)
{
    auto sleeper = std::make_shared<GatedSleeper>();
    auto owned = std::make_unique<RecordingGameMemoStore>();
    RecordingGameMemoStore *store = owned.get();
    GameMemoLibraryModel model(std::move(owned), 400000000, sleeper);

    // Nothing typed: the quit writes nothing.
    model.ensureEntry(game);
    runAndQuit();
    EXPECT_TRUE(store->saves.isEmpty());

    // Typed and still inside the delay: written as the application quits.
    model.updateText(QStringLiteral("last words"), game);
    runAndQuit();
    ASSERT_EQ(store->saves.size(), 1);
    EXPECT_EQ(store->entries().value(0).text, QStringLiteral("last words"));
    EXPECT_FALSE(model.saveTask().has_value());
    EXPECT_EQ(sleeper->sleepingCount(), 0);

    // A save that failed is tried again at the quit.
    store->setSaveError(std::make_exception_ptr(Error(QStringLiteral("The disk is full."))));
    model.updateText(QStringLiteral("unsaved"), game);
    model.flushPendingSave();
    ASSERT_EQ(store->saves.size(), 2);
    store->setSaveError(nullptr);
    runAndQuit();
    ASSERT_EQ(store->saves.size(), 3);
    EXPECT_EQ(store->entries().value(0).text, QStringLiteral("unsaved"));

    runAndQuit();
    EXPECT_EQ(store->saves.size(), 3);
}

TEST(GameMemoQuitSave, WhatCannotBeWrittenAtTheQuitIsKeptBesideTheFile)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("game-memos.json"));
    auto sleeper = std::make_shared<GatedSleeper>();
    GameMemoLibraryModel model(std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), 400000000, sleeper,
        veyra::test::SteppingClock());
    model.updateText(QStringLiteral("written"), game);
    model.flushPendingSave();

    // The notes file turns unreadable (a folder in its way, say) and the last words are
    // still inside the delay at the quit: they go beside it.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));
    model.updateText(QStringLiteral("last words"), game);
    runAndQuit();
    ASSERT_FALSE(model.keptAsidePaths().value(0).isEmpty());
    EXPECT_TRUE(model.keptAsidePaths().value(0).startsWith(folder.filePath(QStringLiteral("game-memos.unsaved-"))));
    const QVector<GameMemoEntry> kept = FileGameMemoStore(QUrl::fromLocalFile(model.keptAsidePaths().value(0))).load();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept.first().text, QStringLiteral("last words"));
    // The cancelled delay ends on the next turn of the event loop.
    QCoreApplication::processEvents();
    EXPECT_EQ(sleeper->sleepingCount(), 0);
}

TEST(GameMemoQuitSave, WhatTheNotesFolderCannotTakeAtTheEndGoesToTheFallbackFolder)
{
    SmallDisk disk(64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "a read-only disk needs a tmpfs of the test's own: " << disk.errorString().toStdString();
    }
    QTemporaryDir fallback;
    const QString path = disk.filePath(QStringLiteral("game-memos.json"));
    auto sleeper = std::make_shared<GatedSleeper>();
    GameMemoLibraryModel model(
        std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path), QStringList{fallback.path()}), 400000000,
        sleeper, veyra::test::SteppingClock());
    model.updateText(QStringLiteral("written"), game);
    model.flushPendingSave();

    // The disk turns read-only with the last words inside the delay; the process ends
    // without a quit (a lost display), through the same call: they go to the fallback
    // folder, once however often it is called.
    ASSERT_TRUE(disk.setReadOnly(true));
    model.updateText(QStringLiteral("last words"), game);
    model.saveBeforeQuit();
    model.saveBeforeQuit();
    ASSERT_EQ(model.keptAsidePaths().size(), 1);
    EXPECT_TRUE(model.keptAsidePaths().first().startsWith(fallback.filePath(QStringLiteral("game-memos.unsaved-"))));
    EXPECT_EQ(QDir(fallback.path()).entryList(QDir::Files).size(), 1);
    const QVector<GameMemoEntry> kept = FileGameMemoStore(QUrl::fromLocalFile(model.keptAsidePaths().first())).load();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept.first().text, QStringLiteral("last words"));
    QCoreApplication::processEvents();
    EXPECT_EQ(sleeper->sleepingCount(), 0);
    ASSERT_TRUE(disk.setReadOnly(false));
}

TEST(GameMemoQuitSave, ANotesFileReachedThroughALinkIsWrittenThroughItOnlyForEdits)
{
    QTemporaryDir folder;
    const QString synced = folder.filePath(QStringLiteral("synced/game-memos.json"));
    const QString path = folder.filePath(QStringLiteral("Obrisk/game-memos.json"));
    const GameMemoContext other{
        {{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.other")}, QStringLiteral("B")},
        QStringLiteral("Other"), QStringLiteral("B"), std::nullopt};
    FileGameMemoStore(QUrl::fromLocalFile(synced))
        .save({{other.key, other.applicationName, other.windowTitle, std::nullopt, QStringLiteral("stored"),
            QDateTime(QDate(2024, 1, 1), QTime(9, 0), Qt::UTC)}});
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    ASSERT_TRUE(QFile::link(synced, path));
    const ino_t before = veyra::test::inodeOf(synced);
    auto sleeper = std::make_shared<GatedSleeper>();
    GameMemoLibraryModel model(std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), 400000000, sleeper,
        veyra::test::SteppingClock());

    // The popover shown and closed (which flushes), then the quit: nothing was edited, so
    // nothing is written through the link.
    model.ensureEntry(game);
    model.flushPendingSave();
    runAndQuit();
    EXPECT_EQ(veyra::test::inodeOf(synced), before);
    EXPECT_EQ(model.errorMessage(), std::nullopt);

    // An edit is written there at the quit, the link left in place.
    model.updateText(QStringLiteral("last words"), game);
    runAndQuit();
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    const QVector<GameMemoEntry> written = FileGameMemoStore(QUrl::fromLocalFile(synced)).load();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written.first().text, QStringLiteral("last words"));
    QCoreApplication::processEvents();
}

TEST(GameMemoQuitSave, ANotesFileReplacedFromOutsideKeepsItsNotesAndTakesOnlyTheEdits)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("game-memos.json"));
    const GameMemoContext other{
        {{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.other")}, QStringLiteral("B")},
        QStringLiteral("Other"), QStringLiteral("B"), std::nullopt};
    const auto note = [&other](const QString &text, int day) {
        return GameMemoEntry{other.key, other.applicationName, other.windowTitle, std::nullopt, text,
            QDateTime(QDate(2024, 1, day), QTime(9, 0), Qt::UTC)};
    };
    FileGameMemoStore(QUrl::fromLocalFile(path)).save({note(QStringLiteral("read at start"), 1)});
    auto sleeper = std::make_shared<GatedSleeper>();
    GameMemoLibraryModel model(std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), 400000000, sleeper,
        veyra::test::SteppingClock());

    // The other machine's notes take the file's place while Veyra runs (a sync tool, which
    // writes them compact).
    const QString synced = folder.filePath(QStringLiteral("synced.json"));
    FileGameMemoStore(QUrl::fromLocalFile(synced)).save({note(QStringLiteral("from the other machine"), 2)});
    const QByteArray replaced = QJsonDocument::fromJson(readWholeFile(synced)).toJson(QJsonDocument::Compact);
    writeFileAtomically(path, replaced);
    const ino_t replacedFile = veyra::test::inodeOf(path);

    // The popover shown and closed, then the quit: nothing was edited, nothing is written.
    model.ensureEntry(game);
    model.flushPendingSave();
    runAndQuit();
    EXPECT_EQ(readWholeFile(path), replaced);
    EXPECT_EQ(veyra::test::inodeOf(path), replacedFile);

    // An edit is written into the notes the file holds then, which keep their text.
    model.updateText(QStringLiteral("last words"), game);
    runAndQuit();
    const QVector<GameMemoEntry> written = FileGameMemoStore(QUrl::fromLocalFile(path)).load();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written[0].text, QStringLiteral("last words"));
    EXPECT_EQ(written[1], note(QStringLiteral("from the other machine"), 2));
    EXPECT_EQ(model.entriesByKey().value(other.key).text, QStringLiteral("from the other machine"));

    // The file removed from outside (a sync tool between its removal and its new copy): the
    // quit writes it anew with every note held, none lost.
    ASSERT_TRUE(QFile::remove(path));
    model.flushPendingSave();
    EXPECT_EQ(FileGameMemoStore(QUrl::fromLocalFile(path)).load().size(), 2);
    QCoreApplication::processEvents();
}

TEST(GameMemoQuitSave, ANoteDeletedOnAnotherMachineStaysDeletedWhileNotesAreBrowsedAndEditedHere)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("game-memos.json"));
    const GameMemoContext deleted = gameContext(QStringLiteral("Deleted"));
    const GameMemoContext edited = gameContext(QStringLiteral("Edited"));
    const GameMemoContext cleared = gameContext(QStringLiteral("Cleared"));
    FileGameMemoStore(QUrl::fromLocalFile(path))
        .save({storedNote(cleared, QStringLiteral("cleared"), 3), storedNote(edited, QStringLiteral("edited"), 2),
            storedNote(deleted, QStringLiteral("deleted"), 1)});
    auto sleeper = std::make_shared<GatedSleeper>();
    GameMemoLibraryModel model(std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), 400000000, sleeper,
        veyra::test::SteppingClock());
    ASSERT_EQ(model.sortedEntries().size(), 3);

    // Here a key typed and taken back in the note that the other machine then deletes.
    model.updateText(QStringLiteral("deleted!"), deleted.key);
    model.updateText(QStringLiteral("deleted"), deleted.key);
    // Deleted on the other machine.
    replaceFromOutside(
        path, {storedNote(cleared, QStringLiteral("cleared"), 3), storedNote(edited, QStringLiteral("edited"), 2)});
    const QByteArray replaced = readWholeFile(path);
    const ino_t replacedFile = veyra::test::inodeOf(path);
    const QDateTime replacedAt = QFileInfo(path).lastModified();

    // Here the notes window is opened and two rows clicked (each flushes), and a popover
    // opened and closed: nothing is written, and the window no longer lists the note.
    model.flushPendingSave();
    model.flushPendingSave();
    model.ensureEntry(gameContext(QStringLiteral("Popover")));
    model.flushPendingSave();
    runAndQuit();
    EXPECT_EQ(readWholeFile(path), replaced);
    EXPECT_EQ(veyra::test::inodeOf(path), replacedFile);
    EXPECT_EQ(QFileInfo(path).lastModified(), replacedAt);
    EXPECT_EQ(texts(model.sortedEntries()), (QStringList{QStringLiteral("cleared"), QStringLiteral("edited")}));

    // Another note edited here, then one cleared: only that is written, the deleted note
    // stays deleted.
    model.updateText(QStringLiteral("edited here"), edited.key);
    model.flushPendingSave();
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()),
        (QStringList{QStringLiteral("edited here"), QStringLiteral("cleared")}));
    model.updateText(QString(), cleared.key);
    runAndQuit();
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()), QStringList{QStringLiteral("edited here")});
    EXPECT_EQ(model.notice(), std::nullopt);
    QCoreApplication::processEvents();
}

TEST(GameMemoQuitSave, ANoteChangedHereAndOnAnotherMachineKeepsBothTextsAndSaysSo)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("game-memos.json"));
    const GameMemoContext boss = gameContext(QStringLiteral("Boss"));
    FileGameMemoStore(QUrl::fromLocalFile(path)).save({storedNote(boss, QStringLiteral("Door code 1234"), 1)});
    auto sleeper = std::make_shared<GatedSleeper>();
    GameMemoLibraryModel model(std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), 400000000, sleeper,
        veyra::test::SteppingClock());

    // Changed only here: written as typed, with nothing to say.
    model.updateText(QStringLiteral("Door code 5678"), boss);
    model.flushPendingSave();
    EXPECT_EQ(
        texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()), QStringList{QStringLiteral("Door code 5678")});
    EXPECT_EQ(model.notice(), std::nullopt);

    // The other machine adds a line; here the window still shows the older text and the
    // player types after it.
    replaceFromOutside(path, {storedNote(boss, QStringLiteral("Door code 5678\nBOSS CODE 4417"), 2)});
    model.updateText(QStringLiteral("Door code 5678 here"), boss);
    model.flushPendingSave();
    const QString joined = QStringLiteral("Door code 5678 here\n\nDoor code 5678\nBOSS CODE 4417");
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()), QStringList{joined});
    EXPECT_EQ(model.entriesByKey().value(boss.key).text, joined);
    const QString notice = QStringLiteral("Your notes were also changed elsewhere (on another computer, say): where "
                                          "the same note was changed on both sides, Veyra kept both texts in it, the "
                                          "newest first.");
    ASSERT_TRUE(model.notice().has_value());
    EXPECT_EQ(model.notice()->localized(), notice);

    // A note the other machine made for a game new here: its popover opened here shows an
    // empty note, and what is typed there joins the other machine's text.
    const GameMemoContext fresh = gameContext(QStringLiteral("Fresh"));
    replaceFromOutside(
        path, {storedNote(fresh, QStringLiteral("from the other machine"), 3), storedNote(boss, joined, 2)});
    model.ensureEntry(fresh);
    model.updateText(QStringLiteral("typed here"), fresh);
    EXPECT_EQ(model.notice(), std::nullopt);
    runAndQuit();
    const QVector<GameMemoEntry> written = FileGameMemoStore(QUrl::fromLocalFile(path)).load();
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written[0].text, QStringLiteral("typed here\n\nfrom the other machine"));
    EXPECT_EQ(written[1].text, joined);
    ASSERT_TRUE(model.notice().has_value());
    EXPECT_EQ(model.notice()->localized(), notice);

    // Changed there only (the notes the player sees follow), then nothing changed here:
    // nothing is written.
    replaceFromOutside(path, {storedNote(fresh, QStringLiteral("the other machine again"), 4)});
    const ino_t replacedFile = veyra::test::inodeOf(path);
    model.flushPendingSave();
    runAndQuit();
    EXPECT_EQ(veyra::test::inodeOf(path), replacedFile);
    EXPECT_EQ(texts(model.sortedEntries()), QStringList{QStringLiteral("the other machine again")});

    // Cleared here but changed there: the text written there stays, and the notice says so.
    replaceFromOutside(path, {storedNote(fresh, QStringLiteral("changed there"), 5)});
    model.updateText(QString(), fresh.key);
    model.flushPendingSave();
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()), QStringList{QStringLiteral("changed there")});
    EXPECT_NE(model.notice(), std::nullopt);

    // Only the name changed there, and the text typed here holds the text there: nothing to say.
    GameMemoEntry renamed = storedNote(fresh, QStringLiteral("changed there"), 6);
    renamed.representativeGameName = QStringLiteral("Fresh Game");
    replaceFromOutside(path, {renamed});
    model.updateText(QStringLiteral("changed there, and here"), fresh.key);
    model.flushPendingSave();
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()),
        QStringList{QStringLiteral("changed there, and here")});
    EXPECT_EQ(model.notice(), std::nullopt);

    // A key typed and taken back here while the text changed there: no change here.
    replaceFromOutside(path, {storedNote(fresh, QStringLiteral("changed there again"), 7)});
    model.updateText(QStringLiteral("changed there, and here!"), fresh.key);
    model.updateText(QStringLiteral("changed there, and here"), fresh.key);
    model.flushPendingSave();
    EXPECT_EQ(texts(model.sortedEntries()), QStringList{QStringLiteral("changed there again")});
    EXPECT_EQ(model.notice(), std::nullopt);

    // Only the game's name changed here (resolved since), the text there: the text there
    // under the name.
    GameMemoContext named = fresh;
    named.representativeGameName = QStringLiteral("Fresh Game II");
    model.updateText(QStringLiteral("changed there again"), named);
    replaceFromOutside(path, {storedNote(fresh, QStringLiteral("changed there once more"), 8)});
    model.flushPendingSave();
    const QVector<GameMemoEntry> renamedHere = FileGameMemoStore(QUrl::fromLocalFile(path)).load();
    EXPECT_EQ(texts(renamedHere), QStringList{QStringLiteral("changed there once more")});
    EXPECT_EQ(renamedHere.value(0).representativeGameName, QStringLiteral("Fresh Game II"));
    EXPECT_EQ(model.notice(), std::nullopt);
    QCoreApplication::processEvents();
}

TEST(GameMemoQuitSave, AFailedSaveKeepsAsideWhatWasChangedHereAndNoNoteDeletedElsewhere)
{
    SmallDisk disk(64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "a read-only disk needs a tmpfs of the test's own: " << disk.errorString().toStdString();
    }
    QTemporaryDir fallback;
    const QString path = disk.filePath(QStringLiteral("game-memos.json"));
    const GameMemoContext deleted = gameContext(QStringLiteral("Deleted"));
    const GameMemoContext kept = gameContext(QStringLiteral("Kept"));
    FileGameMemoStore(QUrl::fromLocalFile(path))
        .save({storedNote(kept, QStringLiteral("kept"), 2), storedNote(deleted, QStringLiteral("deleted"), 1)});
    auto sleeper = std::make_shared<GatedSleeper>();
    GameMemoLibraryModel model(
        std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path), QStringList{fallback.path()}), 400000000,
        sleeper, veyra::test::SteppingClock());

    // Deleted on the other machine, then the disk turns read-only and a note is typed here.
    replaceFromOutside(path, {storedNote(kept, QStringLiteral("kept"), 2)});
    ASSERT_TRUE(disk.setReadOnly(true));
    model.updateText(QStringLiteral("typed here"), game);
    model.saveBeforeQuit();
    ASSERT_EQ(model.keptAsidePaths().size(), 1);
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(model.keptAsidePaths().first())).load()),
        QStringList{QStringLiteral("typed here")});

    // Once the disk takes it, the note typed here is written beside the stored one.
    ASSERT_TRUE(disk.setReadOnly(false));
    model.flushPendingSave();
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()),
        (QStringList{QStringLiteral("typed here"), QStringLiteral("kept")}));
    QCoreApplication::processEvents();
}

TEST(GameMemoQuitSave, NotesOfOneSecondStayNewestFirstWhenASaveHasNothingToWrite)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("game-memos.json"));
    QDateTime now(QDate(2024, 3, 1), QTime(12, 0, 0, 100), Qt::UTC);
    GameMemoLibraryModel model(std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), 400000000,
        std::make_shared<GatedSleeper>(), [&now] { return now; });
    model.updateText(QStringLiteral("earlier"), gameContext(QStringLiteral("A")));
    now = now.addMSecs(500);
    model.updateText(QStringLiteral("later"), gameContext(QStringLiteral("Z")));
    model.flushPendingSave();

    // The file holds whole seconds; the notes held as they are stored keep their own dates.
    model.flushPendingSave();
    EXPECT_EQ(texts(model.sortedEntries()), (QStringList{QStringLiteral("later"), QStringLiteral("earlier")}));
    QCoreApplication::processEvents();
}

TEST(GameMemoQuitSave, AFileCaughtWhileWrittenInPlaceIsReadAgainAndOnlyWhatChangedHereIsKeptAside)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("game-memos.json"));
    FileGameMemoStore file(QUrl::fromLocalFile(path));
    const GameMemoContext alpha = gameContext(QStringLiteral("Alpha"));
    const GameMemoContext beta = gameContext(QStringLiteral("Beta"));
    const auto notes = [&](const QString &alphaText, const QString &betaText, bool withGamma) {
        QVector<GameMemoEntry> list{storedNote(beta, betaText, 2), storedNote(alpha, alphaText, 1)};
        if (withGamma) {
            list.append(storedNote(gameContext(QStringLiteral("Gamma")), QStringLiteral("gamma"), 1));
        }
        return list;
    };
    file.save({});
    auto sleeper = std::make_shared<GatedSleeper>();
    {
        // Veyra starts while the other machine writes: the file is read again shortly, and
        // nothing is said until that did not help; the next look reads it whole.
        writeInPlace(path, notes(QStringLiteral("alpha"), QStringLiteral("beta"), true), 0.5);
        GameMemoLibraryModel model(std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), 400000000, sleeper,
            veyra::test::SteppingClock());
        EXPECT_EQ(model.errorMessage(), std::nullopt);
        ASSERT_TRUE(releaseUntil(*sleeper, [&model] { return model.errorMessage().has_value(); }));
        writeInPlace(path, notes(QStringLiteral("alpha"), QStringLiteral("beta"), true), 1);
        model.flushPendingSave();
        EXPECT_TRUE(model.hasLoaded());
        EXPECT_EQ(model.errorMessage(), std::nullopt);

        // Caught half-written while rows are clicked (each flushes): nothing is kept or said.
        writeInPlace(path, notes(QStringLiteral("alpha rev 47"), QStringLiteral("beta"), true), 0.5);
        model.flushPendingSave();
        model.flushPendingSave();
        EXPECT_FALSE(model.retryTask().has_value());
        // With a note changed here, the save waits for the file to be whole.
        model.updateText(QStringLiteral("beta here"), beta.key);
        model.flushPendingSave();
        EXPECT_EQ(model.errorMessage(), std::nullopt);
        EXPECT_TRUE(file.loadKeptAside().isEmpty());
        writeInPlace(path, notes(QStringLiteral("alpha rev 47"), QStringLiteral("beta"), true), 1);
        const QStringList merged{QStringLiteral("beta here"), QStringLiteral("alpha rev 47"), QStringLiteral("gamma")};
        ASSERT_TRUE(releaseUntil(*sleeper, [&file, &merged] { return texts(file.load()) == merged; }));
        EXPECT_EQ(model.errorMessage(), std::nullopt);

        // Half-written for longer, the other machine deleting Gamma: only the note changed
        // here is kept aside, with what was read of it.
        writeInPlace(path, notes(QStringLiteral("alpha rev 48"), QStringLiteral("beta here"), false), 0.3);
        model.updateText(QStringLiteral("beta rewritten"), beta.key);
        model.flushPendingSave();
        ASSERT_TRUE(releaseUntil(*sleeper, [&model] { return model.errorMessage().has_value(); }));
        const QVector<KeptGameMemoCopy> kept = file.loadKeptAside();
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(texts(kept.first().entries), QStringList{QStringLiteral("beta rewritten")});
        EXPECT_EQ(
            texts(kept.first().lastRead.value_or(QVector<GameMemoEntry>())), QStringList{QStringLiteral("beta here")});
    }

    // The next start, the file whole again: the note changed here comes back as typed, the
    // other machine's texts come once, and the note it deleted stays deleted.
    writeInPlace(path, notes(QStringLiteral("alpha rev 48"), QStringLiteral("beta here"), false), 1);
    GameMemoLibraryModel model(std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), 400000000, sleeper,
        veyra::test::SteppingClock());
    EXPECT_EQ(texts(file.load()), (QStringList{QStringLiteral("beta rewritten"), QStringLiteral("alpha rev 48")}));
    EXPECT_TRUE(file.loadKeptAside().isEmpty());
    QCoreApplication::processEvents();
}

namespace {

// A notes file store that lets a test act just before a save replaces the file.
class InterruptedGameMemoStore : public FileGameMemoStore
{
public:
    using FileGameMemoStore::FileGameMemoStore;

    bool saveIfUnchanged(const QVector<GameMemoEntry> &entries, const QByteArray &revision) override
    {
        if (beforeWrite) {
            std::exchange(beforeWrite, {})();
        }
        return FileGameMemoStore::saveIfUnchanged(entries, revision);
    }

    std::function<void()> beforeWrite;
};

} // namespace

TEST(GameMemoQuitSave, AFileReplacedBetweenTheSavesReadAndItsWriteIsMergedAgain)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("game-memos.json"));
    const GameMemoContext alpha = gameContext(QStringLiteral("Alpha"));
    const GameMemoContext beta = gameContext(QStringLiteral("Beta"));
    FileGameMemoStore(QUrl::fromLocalFile(path))
        .save({storedNote(beta, QStringLiteral("beta"), 2), storedNote(alpha, QStringLiteral("alpha"), 1)});
    auto owned = std::make_unique<InterruptedGameMemoStore>(QUrl::fromLocalFile(path));
    InterruptedGameMemoStore *store = owned.get();
    GameMemoLibraryModel model(
        std::move(owned), 400000000, std::make_shared<GatedSleeper>(), veyra::test::SteppingClock());

    // The other machine's notes take the file's place while the save merges.
    model.updateText(QStringLiteral("beta here"), beta.key);
    store->beforeWrite = [&] {
        replaceFromOutside(
            path, {storedNote(beta, QStringLiteral("beta"), 2), storedNote(alpha, QStringLiteral("alpha there"), 3)});
    };
    model.flushPendingSave();
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()),
        (QStringList{QStringLiteral("beta here"), QStringLiteral("alpha there")}));

    // Removed from outside, and a new copy put there while the notes are written back: that
    // copy is merged too.
    ASSERT_TRUE(QFile::remove(path));
    model.updateText(QStringLiteral("beta rewritten"), beta.key);
    store->beforeWrite
        = [&] { replaceFromOutside(path, {storedNote(alpha, QStringLiteral("alpha from the new copy"), 4)}); };
    model.flushPendingSave();
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()),
        (QStringList{QStringLiteral("beta rewritten"), QStringLiteral("alpha from the new copy")}));
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    QCoreApplication::processEvents();
}
