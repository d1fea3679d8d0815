// Test label: unit
// Quitting the application, whichever way it is asked for, writes the edits that are
// still waiting for the delay, and keeps them beside the notes file when they cannot be
// written; a quit with nothing unwritten writes nothing.
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/FileGameMemoStore.h"
#include "support/GatedSleeper.h"
#include "support/RecordingGameMemoStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::GatedSleeper;
using veyra::test::RecordingGameMemoStore;

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
