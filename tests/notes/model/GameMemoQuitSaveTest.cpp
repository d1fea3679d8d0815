// Test label: unit
// Quitting the application, whichever way it is asked for, writes the edits that are
// still waiting for the delay, and keeps them beside the notes file (or in the fallback
// folder when the notes folder takes nothing) when they cannot be written; a quit with
// nothing unwritten writes nothing, through a link neither, and a notes file replaced from
// outside keeps its notes: only what was edited here is written into it.
#include "foundation/files/FileIO.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/FileGameMemoStore.h"
#include "support/FileIdentity.h"
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
using veyra::test::SmallDisk;

namespace {

const GameMemoContext game{
    {{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")}, QStringLiteral("Main")},
    QStringLiteral("Game App"), QStringLiteral("Main"), std::nullopt};

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
