// Test label: unit
// The notes model: edits apply at once and a burst becomes one write after the delay;
// flushes write at once; blank notes are never written; failures keep every edit; and
// nothing is written over notes that could not be loaded.
#include "notes/model/GameMemoLibraryModel.h"
#include "foundation/errors/Error.h"
#include "notes/store/FileGameMemoStore.h"
#include "support/GatedSleeper.h"
#include "support/RecordingGameMemoStore.h"
#include "support/RunTask.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

using namespace veyra;
using veyra::test::GatedSleeper;
using veyra::test::RecordingGameMemoStore;
using veyra::test::SteppingClock;
using veyra::test::waitUntil;

namespace {

// A message as worded now, when there is one.
std::optional<QString> textOf(const std::optional<ErrorMessage> &message)
{
    return message ? std::optional<QString>(message->localized()) : std::nullopt;
}

constexpr std::uint64_t debounce = 400000000;

GameMemoContext context(const QString &title, std::optional<QString> gameName = std::nullopt)
{
    return {{{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")}, title},
        QStringLiteral("Game App"), title, std::move(gameName)};
}

GameMemoEntry storedNote(const GameMemoContext &of, const QString &text, int day)
{
    return {of.key, of.applicationName, of.windowTitle, of.representativeGameName, text,
        QDateTime(QDate(2024, 1, day), QTime(9, 0), Qt::UTC)};
}

QStringList texts(const QVector<GameMemoEntry> &entries)
{
    QStringList result;
    for (const GameMemoEntry &entry : entries) {
        result.append(entry.text);
    }
    return result;
}

// Runs the event loop until nothing is left to do on its next turns.
void settle()
{
    for (int turn = 0; turn < 5; ++turn) {
        QCoreApplication::processEvents();
    }
}

class GameMemoLibraryModelTest : public ::testing::Test
{
protected:
    std::unique_ptr<GameMemoLibraryModel> makeModel(
        QVector<GameMemoEntry> stored = {}, std::exception_ptr loadError = nullptr)
    {
        auto owned = std::make_unique<RecordingGameMemoStore>(std::move(stored), loadError);
        store = owned.get();
        return std::make_unique<GameMemoLibraryModel>(std::move(owned), debounce, sleeper, SteppingClock());
    }

    // Lets the pending delayed save run and waits until it has.
    void elapseDelay(int expectedSaves)
    {
        ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
        sleeper->releaseOne();
        ASSERT_TRUE(waitUntil([this, expectedSaves] { return store->saves.size() == expectedSaves; }));
    }

    std::shared_ptr<GatedSleeper> sleeper = std::make_shared<GatedSleeper>();
    RecordingGameMemoStore *store = nullptr;
};

} // namespace

TEST_F(GameMemoLibraryModelTest, ABurstOfEditsIsOneWriteOfTheLastTextAfterTheDelay)
{
    auto model = makeModel();
    const GameMemoContext game = context(QStringLiteral("Main"), QStringLiteral("Dragon Tale"));
    for (const char *typed : {"D", "Dr", "Dra", "Drag", "Dragon"}) {
        const QString text = QString::fromLatin1(typed);
        model->updateText(text, game);
        EXPECT_EQ(model->entriesByKey().value(game.key).text, text);
    }
    EXPECT_TRUE(model->saveTask().has_value());
    settle();
    EXPECT_TRUE(store->saves.isEmpty());
    // Each edit started the delay again; only the last one is still waiting.
    EXPECT_EQ(sleeper->sleepingCount(), 1);
    const GatedSleeper::Call &last = sleeper->calls().last();
    EXPECT_NEAR(std::chrono::duration<double>(last.deadline - last.startedAt).count(), 0.4, 0.05);

    elapseDelay(1);
    settle();
    ASSERT_EQ(store->saves.size(), 1);
    EXPECT_EQ(texts(store->saves.first()), QStringList{QStringLiteral("Dragon")});
    EXPECT_EQ(store->saves.first().first().representativeGameName, QStringLiteral("Dragon Tale"));
    EXPECT_FALSE(model->saveTask().has_value());
    EXPECT_FALSE(model->isSaving());
}

TEST_F(GameMemoLibraryModelTest, AFlushWritesAtOnceAndSaveNowLeavesThePendingSavePending)
{
    auto model = makeModel();
    const GameMemoContext game = context(QStringLiteral("Main"));
    QSignalSpy saving(model.get(), &GameMemoLibraryModel::isSavingChanged);

    model->updateText(QStringLiteral("first"), game);
    model->flushPendingSave();
    ASSERT_EQ(store->saves.size(), 1);
    EXPECT_EQ(saving.size(), 2);
    EXPECT_FALSE(model->saveTask().has_value());
    settle();
    EXPECT_EQ(sleeper->sleepingCount(), 0);
    EXPECT_EQ(store->saves.size(), 1);

    model->updateText(QStringLiteral("second"), game);
    model->saveNow();
    EXPECT_EQ(store->saves.size(), 2);
    EXPECT_TRUE(model->saveTask().has_value());
    elapseDelay(3);

    // A flush with nothing pending still writes the current notes.
    model->flushPendingSave();
    EXPECT_EQ(store->saves.size(), 4);
    EXPECT_EQ(texts(store->saves.last()), QStringList{QStringLiteral("second")});
}

TEST_F(GameMemoLibraryModelTest, BlankNotesAreListedNorWrittenAndLeaveMemoryAfterASave)
{
    const GameMemoContext older = context(QStringLiteral("Older"));
    auto model = makeModel({storedNote(older, QStringLiteral("kept"), 1)});
    const GameMemoContext popover = context(QStringLiteral("Popover"));
    const GameMemoContext blank = context(QStringLiteral("Blank"));
    const GameMemoContext newest = context(QStringLiteral("Newest"));

    model->ensureEntry(popover);
    ASSERT_TRUE(model->entriesByKey().contains(popover.key));
    EXPECT_EQ(model->entriesByKey().value(popover.key).text, QString());
    model->ensureEntry(popover);
    EXPECT_FALSE(model->saveTask().has_value());
    model->updateText(QStringLiteral("  \n\t "), blank);
    model->updateText(QStringLiteral("text"), newest);
    EXPECT_EQ(texts(model->sortedEntries()), (QStringList{QStringLiteral("text"), QStringLiteral("kept")}));
    EXPECT_TRUE(model->entriesByKey().contains(blank.key));

    elapseDelay(1);
    EXPECT_EQ(texts(store->saves.last()), (QStringList{QStringLiteral("text"), QStringLiteral("kept")}));
    EXPECT_EQ(model->entriesByKey().size(), 2);

    // Clearing a note drops it from the file and from memory.
    model->updateText(QString(), newest.key);
    EXPECT_EQ(texts(model->sortedEntries()), QStringList{QStringLiteral("kept")});
    elapseDelay(2);
    EXPECT_EQ(texts(store->entries()), QStringList{QStringLiteral("kept")});
    EXPECT_FALSE(model->entriesByKey().contains(newest.key));
}

TEST_F(GameMemoLibraryModelTest, EditsThroughAContextTakeItsNamesAndEditsByKeyKeepThem)
{
    const GameMemoContext game = context(QStringLiteral("Main"));
    auto model = makeModel({storedNote(game, QStringLiteral("old"), 1)});

    model->updateText(QStringLiteral("by key"), game.key);
    EXPECT_EQ(model->entriesByKey().value(game.key).representativeGameName, std::nullopt);
    EXPECT_EQ(model->entriesByKey().value(game.key).text, QStringLiteral("by key"));

    const GameMemoContext named = context(QStringLiteral("Main"), QStringLiteral("Dragon Tale"));
    const QDateTime before = model->entriesByKey().value(game.key).updatedAt;
    model->updateText(QStringLiteral("by key"), named);
    EXPECT_EQ(model->entriesByKey().value(game.key).representativeGameName, QStringLiteral("Dragon Tale"));
    EXPECT_GT(model->entriesByKey().value(game.key).updatedAt, before);

    // A key without a note is ignored.
    const GameMemoContext unknown = context(QStringLiteral("Unknown"));
    model->updateText(QStringLiteral("lost"), unknown.key);
    EXPECT_FALSE(model->entriesByKey().contains(unknown.key));

    // Newest first.
    model->updateText(QStringLiteral("other"), unknown);
    EXPECT_EQ(texts(model->sortedEntries()), (QStringList{QStringLiteral("other"), QStringLiteral("by key")}));
}

TEST_F(GameMemoLibraryModelTest, AFailedSaveKeepsEveryEditAndTheNextEditClearsTheMessage)
{
    auto model = makeModel();
    store->setSaveError(std::make_exception_ptr(Error(QStringLiteral("The disk is full."))));
    const GameMemoContext game = context(QStringLiteral("Main"));
    model->ensureEntry(context(QStringLiteral("Empty")));
    model->updateText(QStringLiteral("typed"), game);
    elapseDelay(1);
    EXPECT_EQ(textOf(model->errorMessage()), QStringLiteral("Veyra couldn't save the note: The disk is full."));
    EXPECT_EQ(model->entriesByKey().size(), 2);
    EXPECT_FALSE(model->isSaving());

    model->updateText(QStringLiteral("typed more"), game);
    EXPECT_EQ(model->errorMessage(), std::nullopt);
    store->setSaveError(nullptr);
    model->flushPendingSave();
    EXPECT_EQ(texts(store->entries()), QStringList{QStringLiteral("typed more")});
}

TEST_F(GameMemoLibraryModelTest, WithoutDelayTheSaveStillRunsOnALaterTurn)
{
    auto owned = std::make_unique<RecordingGameMemoStore>();
    RecordingGameMemoStore *memory = owned.get();
    GameMemoLibraryModel model(std::move(owned), 0);
    model.updateText(QStringLiteral("now"), context(QStringLiteral("Main")));
    EXPECT_TRUE(memory->saves.isEmpty());
    EXPECT_TRUE(waitUntil([memory] { return memory->saves.size() == 1; }));
}

TEST_F(GameMemoLibraryModelTest, NothingIsWrittenOverNotesThatCouldNotBeLoaded)
{
    const GameMemoContext stored = context(QStringLiteral("Stored"));
    const GameMemoContext shared = context(QStringLiteral("Shared"));
    auto model = makeModel(
        {storedNote(stored, QStringLiteral("stored note"), 1), storedNote(shared, QStringLiteral("stored text"), 2)},
        std::make_exception_ptr(Error(QStringLiteral("The file couldn't be read."))));
    EXPECT_EQ(textOf(model->errorMessage()), QStringLiteral("The file couldn't be read."));
    EXPECT_TRUE(model->entriesByKey().isEmpty());
    EXPECT_FALSE(model->hasLoaded());

    // An edit clears the message; its save writes nothing and names the load's reason.
    const GameMemoContext typed = context(QStringLiteral("Typed"));
    model->ensureEntry(stored);
    model->updateText(QStringLiteral("typed note"), typed);
    model->updateText(QStringLiteral("typed text"), shared);
    EXPECT_EQ(model->errorMessage(), std::nullopt);
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&model] { return model->errorMessage().has_value(); }));
    model->flushPendingSave();
    model->saveNow();
    EXPECT_TRUE(store->saves.isEmpty());
    EXPECT_EQ(
        textOf(model->errorMessage()), QStringLiteral("Veyra couldn't save the note: The file couldn't be read."));
    EXPECT_EQ(store->entries().size(), 2);

    // Once the notes can be read, they are kept and the notes typed meanwhile join them.
    store->setLoadError(nullptr);
    model->saveNow();
    ASSERT_EQ(store->saves.size(), 1);
    EXPECT_TRUE(model->hasLoaded());
    EXPECT_EQ(model->errorMessage(), std::nullopt);
    EXPECT_EQ(model->entriesByKey().value(stored.key).text, QStringLiteral("stored note"));
    EXPECT_EQ(model->entriesByKey().value(typed.key).text, QStringLiteral("typed note"));
    EXPECT_EQ(model->entriesByKey().value(shared.key).text, QStringLiteral("stored text\n\ntyped text"));
    EXPECT_EQ(store->entries().size(), 3);
}

TEST_F(GameMemoLibraryModelTest, AnUnsupportedFileStaysAsItWasAndTheMessagesSayWhy)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/game-memos.json");
    const QByteArray newer = R"({"schemaVersion": 2, "entries": []})";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(newer);
    }
    GameMemoLibraryModel model(std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), debounce, sleeper);
    EXPECT_TRUE(model.entriesByKey().isEmpty());
    EXPECT_EQ(textOf(model.errorMessage()), QStringLiteral("The saved game notes use an unsupported format."));

    model.updateText(QStringLiteral("note"), context(QStringLiteral("Main")));
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&model] { return model.errorMessage().has_value(); }));
    EXPECT_EQ(textOf(model.errorMessage()),
        QStringLiteral("Veyra couldn't save the note: The saved game notes use an unsupported format."));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), newer);
}

TEST_F(GameMemoLibraryModelTest, StoredNotesUnderOneKeyAreRefusedRatherThanHalfKept)
{
    const GameMemoContext game = context(QStringLiteral("Main"));
    auto model = makeModel({storedNote(game, QStringLiteral("one"), 1), storedNote(game, QStringLiteral("two"), 2)});
    EXPECT_TRUE(model->errorMessage().has_value());
    model->flushPendingSave();
    EXPECT_TRUE(store->saves.isEmpty());
    EXPECT_EQ(texts(store->entries()), (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
}

TEST_F(GameMemoLibraryModelTest, ADiscardedModelNeverSaves)
{
    auto model = makeModel();
    model->updateText(QStringLiteral("text"), context(QStringLiteral("Main")));
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    model.reset();
    settle();
    // The pending delay was cancelled with the model.
    EXPECT_EQ(sleeper->sleepingCount(), 0);
}
