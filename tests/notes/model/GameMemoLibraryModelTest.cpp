// Test label: unit
// The notes model: edits apply at once and a burst becomes one write after the delay
// (typing without a pause at least every two seconds); flushes write at once; blank notes
// are never written; notes of one date come in the order of their keys; failures keep
// every edit; and nothing is written over notes that could not be loaded, while the notes
// typed meanwhile are kept beside them.
#include "notes/model/GameMemoLibraryModel.h"
#include "foundation/errors/Error.h"
#include "notes/store/FileGameMemoStore.h"
#include "support/GatedSleeper.h"
#include "support/LogCapture.h"
#include "support/RecordingGameMemoStore.h"
#include "support/RunTask.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

using namespace veyra;
using veyra::test::GatedSleeper;
using veyra::test::LogCapture;
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

TEST_F(GameMemoLibraryModelTest, TypingWithoutAPauseIsWrittenAtTheLatestTwoSecondsAfterItsFirstEdit)
{
    // A steady clock that moves only when the test moves it.
    Sleeper::Clock::time_point steadyNow(std::chrono::hours(100));
    auto owned = std::make_unique<RecordingGameMemoStore>();
    store = owned.get();
    GameMemoLibraryModel model(
        std::move(owned), debounce, sleeper, SteppingClock(), [&steadyNow] { return steadyNow; });
    const GameMemoContext game = context(QStringLiteral("Main"));
    const Sleeper::Clock::time_point start = steadyNow;
    using std::chrono::milliseconds;

    // A key every 0.3 s: each restarts the 0.4 s delay, until it would pass 2 s after the
    // first key.
    QString typed;
    for (int key = 0; key < 8; ++key) {
        typed += QLatin1Char('a');
        model.updateText(typed, game);
        ASSERT_TRUE(waitUntil([this, key] { return sleeper->calls().size() == key + 1; }));
        const Sleeper::Clock::time_point deadline = sleeper->calls().last().deadline;
        EXPECT_EQ(deadline, std::min(steadyNow + milliseconds(400), start + milliseconds(2000))) << key;
        steadyNow += milliseconds(300);
    }
    EXPECT_EQ(sleeper->calls().last().deadline, start + milliseconds(2000));
    settle();
    EXPECT_TRUE(store->saves.isEmpty());
    elapseDelay(1);
    EXPECT_EQ(store->entries().value(0).text, typed);

    // The next key starts a new wait: 0.4 s after it, at most 2 s after it.
    model.updateText(typed + QLatin1Char('b'), game);
    ASSERT_TRUE(waitUntil([this] { return sleeper->calls().size() == 9; }));
    EXPECT_EQ(sleeper->calls().last().deadline, steadyNow + milliseconds(400));
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

    // A note holds no more than a note may hold.
    model->updateText(QString(GameMemoEntry::maximumTextLength + 10, QLatin1Char('x')), game.key);
    EXPECT_EQ(model->entriesByKey().value(game.key).text.size(), GameMemoEntry::maximumTextLength);
}

TEST_F(GameMemoLibraryModelTest, NotesOfOneDateComeInTheOrderOfTheirKeys)
{
    // Saved in the same second: by kind, application and title, whatever the order of
    // the file or of the hash.
    const QDateTime sameSecond(QDate(2024, 2, 1), QTime(9, 0), Qt::UTC);
    const auto noteOf = [&sameSecond](GameApplicationIdentity::Kind kind, const QString &app, const QString &title) {
        return GameMemoEntry{
            {{kind, app}, title}, app, title, std::nullopt, app + QLatin1Char('/') + title, sameSecond};
    };
    using Kind = GameApplicationIdentity::Kind;
    const QVector<GameMemoEntry> stored{noteOf(Kind::executablePath, QStringLiteral("/a"), QStringLiteral("A")),
        noteOf(Kind::bundleIdentifier, QStringLiteral("b"), QStringLiteral("B")),
        noteOf(Kind::bundleIdentifier, QStringLiteral("a"), QStringLiteral("Z")),
        noteOf(Kind::bundleIdentifier, QStringLiteral("a"), QStringLiteral("Y")),
        storedNote(context(QStringLiteral("Older")), QStringLiteral("older"), 1)};
    const QStringList expected{QStringLiteral("a/Y"), QStringLiteral("a/Z"), QStringLiteral("b/B"),
        QStringLiteral("/a/A"), QStringLiteral("older")};
    for (int turn = 0; turn < 4; ++turn) {
        QVector<GameMemoEntry> shuffled = stored;
        std::rotate(shuffled.begin(), shuffled.begin() + turn, shuffled.end());
        auto model = makeModel(shuffled);
        EXPECT_EQ(texts(model->sortedEntries()), expected) << turn;
    }
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
    // What was typed is kept aside, in one copy that takes the latest notes, and the
    // message says where.
    EXPECT_EQ(textOf(model->errorMessage()),
        QStringLiteral("Veyra couldn't save the note: The file couldn't be read. What you typed is kept in "
                       "“memory #1”."));
    EXPECT_EQ(store->keptAside().keys(), QStringList{QStringLiteral("memory #1")});
    EXPECT_EQ(texts(store->keptAside().value(QStringLiteral("memory #1"))),
        (QStringList{QStringLiteral("typed text"), QStringLiteral("typed note")}));
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

TEST_F(GameMemoLibraryModelTest, NotesTypedOverADamagedFileAreKeptBesideItAndTheLogSaysWhere)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/game-memos.json");
    const QByteArray damaged = R"({"schemaVersion": 1, "entries": [)";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    LogCapture log;
    GameMemoLibraryModel model(
        std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), debounce, sleeper, SteppingClock());
    // The failure is logged at once, with the file's path.
    const QStringList warnings = log.messages(QStringLiteral("GameMemoLibrary"), QtWarningMsg);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(QStringLiteral("Veyra couldn't load the game notes from %1: ").arg(path)))
        << warnings[0].toStdString();

    // Typing is kept beside the file, in its format, and the message says where.
    const GameMemoContext game = context(QStringLiteral("Main"));
    model.updateText(QStringLiteral("first words"), game);
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&model] { return model.errorMessage().has_value(); }));
    const QString aside = folder.path() + QStringLiteral("/game-memos.unsaved-20240301-120002.json");
    EXPECT_EQ(model.keptAsidePath(), aside);
    const QString message = textOf(model.errorMessage()).value_or(QString());
    EXPECT_TRUE(message.startsWith(
        QStringLiteral("Veyra couldn't save the note: The game notes file “%1” is damaged, so Veyra left it as it "
                       "is. (")
            .arg(path)))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral(" What you typed is kept in “%1”.").arg(aside)))
        << message.toStdString();
    model.updateText(QStringLiteral("first words and more"), game);
    model.flushPendingSave();
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(aside)).load()),
        QStringList{QStringLiteral("first words and more")});
    EXPECT_TRUE(log.messages(QStringLiteral("GameMemoLibrary"), QtWarningMsg).last().endsWith(aside));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), damaged);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
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
        QStringLiteral("Veyra couldn't save the note: The saved game notes use an unsupported format. What you typed "
                       "is kept in “%1”.")
            .arg(model.keptAsidePath()));
    EXPECT_TRUE(model.keptAsidePath().startsWith(folder.path() + QStringLiteral("/game-memos.unsaved-")));
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
