// Test label: unit
// The notes model: edits apply at once and a burst becomes one write after the delay
// (typing without a pause at least every two seconds); flushes write at once; blank notes
// are never written; notes of one date come in the order of their keys; failures keep
// every edit; nothing is written over notes that could not be loaded, while the notes
// typed meanwhile are kept beside them; notes kept aside come back, without a text lost
// or doubled, once the file can be read, and only as far as the file holds them; a failed
// save keeps the notes aside in copies the store can read (through a kill, in a fallback
// folder when the notes folder takes nothing, and says so when nothing takes them), is
// logged once and is tried again on its own until a full disk has room. Texts of both
// sides that one note cannot hold go beside it.
#include "notes/model/GameMemoLibraryModel.h"
#include "foundation/errors/Error.h"
#include "notes/store/FileGameMemoStore.h"
#include "notes/store/GameMemoStoreDocument.h"
#include "support/GameMemoEntries.h"
#include "support/GatedSleeper.h"
#include "support/LogCapture.h"
#include "support/RecordingGameMemoStore.h"
#include "support/RunTask.h"
#include "support/SmallDisk.h"
#include "support/TimeLimits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>

using namespace veyra;
using veyra::test::GatedSleeper;
using veyra::test::LogCapture;
using veyra::test::RecordingGameMemoStore;
using veyra::test::releaseUntil;
using veyra::test::scaledMs;
using veyra::test::SmallDisk;
using veyra::test::SteppingClock;
using veyra::test::storedNote;
using veyra::test::texts;
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

void writeBytes(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(data);
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A notes file (or a copy kept aside) as the store writes it.
void writeNotes(const QString &path, const QVector<GameMemoEntry> &entries)
{
    GameMemoStoreDocument document;
    document.entries = entries;
    writeBytes(path, document.encoded());
}

std::unique_ptr<FileGameMemoStore> fileStore(const QString &path)
{
    return std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path));
}

// The copies kept aside in a folder, by name.
QStringList keptCopies(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("game-memos.unsaved-*")}, QDir::AllEntries, QDir::Name);
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
    // Written already, the notes are not written again when the delay ends, nor by a flush.
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&model] { return !model->saveTask().has_value(); }));
    model->flushPendingSave();
    EXPECT_EQ(store->saves.size(), 2);
    EXPECT_EQ(texts(store->entries()), QStringList{QStringLiteral("second")});
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

    // A note holds no more than a note may hold, cut between whole characters: never
    // half of an emoji (two code units) or an emoji without its skin tone (four).
    model->updateText(QString(GameMemoEntry::maximumTextLength + 10, QLatin1Char('x')), game.key);
    EXPECT_EQ(model->entriesByKey().value(game.key).text.size(), GameMemoEntry::maximumTextLength);
    const QString thumb = QStringLiteral("\U0001F44D\U0001F3FD");
    model->updateText(QString(GameMemoEntry::maximumTextLength - 3, QLatin1Char('x')) + thumb, game.key);
    EXPECT_EQ(
        model->entriesByKey().value(game.key).text, QString(GameMemoEntry::maximumTextLength - 3, QLatin1Char('x')));
    model->updateText(QString(GameMemoEntry::maximumTextLength - 4, QLatin1Char('x')) + thumb + thumb, game.key);
    EXPECT_TRUE(model->entriesByKey().value(game.key).text.endsWith(QLatin1Char('x') + thumb));
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
    // The store took no copy either: the text is only in the window, and the message says so.
    EXPECT_EQ(textOf(model->errorMessage()),
        QStringLiteral("Veyra couldn't save the note: The disk is full. Nor could it keep what you typed anywhere "
                       "else, so for now it is only in this window."));
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
    // Read again for a moment before the player is told.
    EXPECT_EQ(model->errorMessage(), std::nullopt);
    ASSERT_TRUE(releaseUntil(*sleeper, [&model] { return model->errorMessage().has_value(); }));
    EXPECT_EQ(textOf(model->errorMessage()), QStringLiteral("The file couldn't be read."));
    EXPECT_TRUE(model->entriesByKey().isEmpty());
    EXPECT_FALSE(model->hasLoaded());

    // An edit clears the message; its save, once the load has failed again for a moment,
    // writes nothing and names the load's reason.
    const GameMemoContext typed = context(QStringLiteral("Typed"));
    model->ensureEntry(stored);
    model->updateText(QStringLiteral("typed note"), typed);
    model->updateText(QStringLiteral("typed text"), shared);
    EXPECT_EQ(model->errorMessage(), std::nullopt);
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(releaseUntil(*sleeper, [&model] { return model->errorMessage().has_value(); }));
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

    // Once the notes can be read, they are kept and the notes typed meanwhile join them,
    // the newer text first; the copy goes once they are written.
    store->setLoadError(nullptr);
    model->saveNow();
    ASSERT_EQ(store->saves.size(), 1);
    EXPECT_TRUE(model->hasLoaded());
    EXPECT_EQ(model->errorMessage(), std::nullopt);
    EXPECT_EQ(model->entriesByKey().value(stored.key).text, QStringLiteral("stored note"));
    EXPECT_EQ(model->entriesByKey().value(typed.key).text, QStringLiteral("typed note"));
    EXPECT_EQ(model->entriesByKey().value(shared.key).text, QStringLiteral("typed text\n\nstored text"));
    EXPECT_EQ(store->entries().size(), 3);
    EXPECT_TRUE(store->keptAside().isEmpty());
    EXPECT_EQ(textOf(model->notice()), QStringLiteral("The notes kept aside earlier are back in your notes."));
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

    // Typing is kept beside the file once reading it again did not help, in its format,
    // and the message says where.
    const GameMemoContext game = context(QStringLiteral("Main"));
    model.updateText(QStringLiteral("first words"), game);
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(releaseUntil(*sleeper, [&model] { return model.errorMessage().has_value(); }));
    const QString aside = folder.path() + QStringLiteral("/game-memos.unsaved-20240301-120002.json");
    EXPECT_EQ(model.keptAsidePaths(), QStringList{aside});
    const QString message = textOf(model.errorMessage()).value_or(QString());
    EXPECT_TRUE(message.startsWith(
        QStringLiteral("Veyra couldn't save the note: The game notes file “%1” is damaged, so Veyra left it as it "
                       "is. (")
            .arg(path)))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral(" What you typed is kept in “%1”.").arg(aside)))
        << message.toStdString();
    // Every save rewrites the copy; the failure is logged once, not at every save.
    for (const char *more : {"first words and", "first words and more"}) {
        model.updateText(QString::fromLatin1(more), game);
        model.flushPendingSave();
        model.saveNow();
    }
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(aside)).load()),
        QStringList{QStringLiteral("first words and more")});
    const QStringList logged = log.messages(QStringLiteral("GameMemoLibrary"), QtWarningMsg);
    ASSERT_EQ(logged.size(), 2);
    EXPECT_TRUE(logged.last().endsWith(aside)) << logged.last().toStdString();
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
    ASSERT_TRUE(releaseUntil(*sleeper, [&model] { return model.errorMessage().has_value(); }));
    EXPECT_EQ(textOf(model.errorMessage()), QStringLiteral("The saved game notes use an unsupported format."));

    model.updateText(QStringLiteral("note"), context(QStringLiteral("Main")));
    EXPECT_EQ(model.errorMessage(), std::nullopt);
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(releaseUntil(*sleeper, [&model] { return model.errorMessage().has_value(); }));
    EXPECT_EQ(textOf(model.errorMessage()),
        QStringLiteral("Veyra couldn't save the note: The saved game notes use an unsupported format. What you typed "
                       "is kept in “%1”.")
            .arg(model.keptAsidePaths().value(0)));
    EXPECT_TRUE(model.keptAsidePaths().value(0).startsWith(folder.path() + QStringLiteral("/game-memos.unsaved-")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), newer);
}

TEST_F(GameMemoLibraryModelTest, StoredNotesUnderOneKeyAreRefusedRatherThanHalfKept)
{
    const GameMemoContext game = context(QStringLiteral("Main"));
    auto model = makeModel({storedNote(game, QStringLiteral("one"), 1), storedNote(game, QStringLiteral("two"), 2)});
    EXPECT_TRUE(releaseUntil(*sleeper, [&model] { return model->errorMessage().has_value(); }));
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

TEST_F(GameMemoLibraryModelTest, TextsOfBothSidesThatOneNoteCannotHoldGoBesideItAndTheNoticeSaysSo)
{
    const GameMemoContext game = context(QStringLiteral("Main"));
    auto model = makeModel({storedNote(game, QStringLiteral("old"), 1)});
    const QString there(15000, QLatin1Char('t'));
    const QString here(15000, QLatin1Char('h'));
    store->setEntries({storedNote(game, there, 2)});
    model->updateText(here, game.key);
    model->flushPendingSave();
    EXPECT_EQ(texts(store->entries()), (QStringList{here, there}));
    EXPECT_EQ(store->entries().value(1).windowTitle, QStringLiteral("Main (2)"));
    EXPECT_NE(model->notice(), std::nullopt);
}

TEST_F(GameMemoLibraryModelTest, OnlyTheNotesMadeBesideANoteForItsOverflowCountAsItsOwn)
{
    const GameMemoContext alpha = context(QStringLiteral("Alpha"));
    const GameMemoEntry remastered
        = storedNote(context(QStringLiteral("Alpha (Remastered)")), QStringLiteral("Boss: use fire, then run"), 1);
    GameMemoEntry overflow = storedNote(context(QStringLiteral("Alpha (2)")), QStringLiteral("Boss: use ice"), 1);
    auto model = makeModel({storedNote(alpha, QStringLiteral("old"), 1), remastered, overflow});

    // Changed on both sides: the text typed here stays, although another game's note holds it.
    store->setEntries({storedNote(alpha, QStringLiteral("new there"), 2), remastered, overflow});
    model->updateText(QStringLiteral("Boss: use fire"), alpha.key);
    model->flushPendingSave();
    EXPECT_EQ(model->entriesByKey().value(alpha.key).text, QStringLiteral("Boss: use fire\n\nnew there"));
    EXPECT_NE(model->notice(), std::nullopt);

    // A text that the note's own overflow holds adds nothing.
    store->setEntries({storedNote(alpha, QStringLiteral("newer there"), 3), remastered, overflow});
    model->updateText(QStringLiteral("Boss: use ice"), alpha.key);
    model->flushPendingSave();
    EXPECT_EQ(model->entriesByKey().value(alpha.key).text, QStringLiteral("newer there"));
}

TEST_F(GameMemoLibraryModelTest, KeptNotesComeBackOnceTheFileCanBeReadAndGoOnlyOnceWritten)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("game-memos.json"));
    const QString kept = folder.filePath(QStringLiteral("game-memos.unsaved-%1.json"));
    const GameMemoContext game = context(QStringLiteral("Main"));
    const GameMemoContext other = context(QStringLiteral("Other"));
    const GameMemoContext journal = context(QStringLiteral("Journal"));
    // What two earlier runs kept beside a damaged file, a copy that cannot be read, and a
    // file that only looks alike.
    const QString first = kept.arg(QStringLiteral("20240110-090000"));
    const QString second = kept.arg(QStringLiteral("20240120-090000"));
    const QString unreadable = kept.arg(QStringLiteral("20240125-090000"));
    const QString foreign = folder.filePath(QStringLiteral("other.unsaved-20240110-090000.json"));
    const QByteArray unreadableBytes = R"({"schemaVersion": 1, "entries": [)";
    writeNotes(first, {storedNote(game, QStringLiteral("first run"), 10)});
    writeNotes(second,
        {storedNote(game, QStringLiteral("second run"), 20), storedNote(other, QStringLiteral("other game"), 20)});
    writeBytes(unreadable, unreadableBytes);
    writeNotes(foreign, {storedNote(game, QStringLiteral("not ours"), 10)});
    writeBytes(path, "damaged");
    LogCapture log;
    {
        GameMemoLibraryModel model(fileStore(path), debounce, sleeper, SteppingClock());
        // Nothing comes back while the file cannot be read.
        EXPECT_FALSE(model.hasLoaded());
        EXPECT_EQ(model.notice(), std::nullopt);
        EXPECT_TRUE(model.entriesByKey().isEmpty());
        model.updateText(QStringLiteral("typed now"), game);
        model.flushPendingSave();
        ASSERT_TRUE(releaseUntil(*sleeper, [&model] { return !model.keptAsidePaths().isEmpty(); }));
        ASSERT_EQ(model.keptAsidePaths().size(), 1);
        const QString own = model.keptAsidePaths().first();

        // A readable file again: every text comes back into its note, the newest first,
        // the file is written, and only then do the copies go.
        writeNotes(
            path, {storedNote(game, QStringLiteral("stored"), 5), storedNote(journal, QStringLiteral("untouched"), 6)});
        model.saveNow();
        EXPECT_EQ(model.errorMessage(), std::nullopt);
        EXPECT_EQ(model.entriesByKey().value(game.key).text,
            QStringLiteral("typed now\n\nsecond run\n\nfirst run\n\nstored"));
        EXPECT_EQ(model.entriesByKey().value(other.key).text, QStringLiteral("other game"));
        EXPECT_EQ(model.entriesByKey().value(journal.key).text, QStringLiteral("untouched"));
        EXPECT_EQ(FileGameMemoStore(QUrl::fromLocalFile(path)).load(), model.sortedEntries());
        EXPECT_EQ(textOf(model.notice()),
            QStringLiteral("The notes kept aside earlier are back in your notes, but some kept beside “%1” couldn't be "
                           "brought back, so Veyra left their files as they are.")
                .arg(path));
        for (const QString &gone : {first, second, own}) {
            EXPECT_FALSE(QFileInfo::exists(gone)) << gone.toStdString();
        }
        EXPECT_EQ(readBytes(unreadable), unreadableBytes);
        EXPECT_TRUE(QFileInfo::exists(foreign));
        const QStringList warnings = log.messages(QStringLiteral("GameMemoLibrary"), QtWarningMsg);
        EXPECT_TRUE(std::any_of(warnings.begin(), warnings.end(),
            [&unreadable](const QString &line) { return line.contains(unreadable); }));
        // The next edit clears the notice.
        model.updateText(QStringLiteral("typed now, then more"), game);
        EXPECT_EQ(model.notice(), std::nullopt);
        model.flushPendingSave();
    }

    // A run that ended between writing the notes and removing a copy left one whose texts
    // the file holds, or holds and goes on from: nothing comes twice. A text the note
    // cannot hold beside the newer one goes to a note beside it.
    const QString leftOver = kept.arg(QStringLiteral("20240302-090000"));
    const QVector<GameMemoEntry> stored = FileGameMemoStore(QUrl::fromLocalFile(path)).load();
    const auto storedOf = [&stored](const GameMemoContext &of) {
        return *std::find_if(
            stored.begin(), stored.end(), [&of](const GameMemoEntry &entry) { return entry.key == of.key; });
    };
    const QString full(GameMemoEntry::maximumTextLength - 10, QLatin1Char('j'));
    writeNotes(leftOver,
        {storedOf(game), storedNote(other, QStringLiteral("other game, and what followed"), 25),
            storedNote(journal, full, 28)});
    GameMemoLibraryModel again(fileStore(path), debounce, sleeper, SteppingClock());
    EXPECT_EQ(again.entriesByKey().value(game.key).text, QStringLiteral("typed now, then more"));
    EXPECT_EQ(again.entriesByKey().value(other.key).text, QStringLiteral("other game, and what followed"));
    EXPECT_EQ(again.entriesByKey().value(journal.key).text, full);
    const GameWindowProfileKey beside{journal.key.applicationIdentity, QStringLiteral("Journal (2)")};
    EXPECT_EQ(again.entriesByKey().value(beside).text, QStringLiteral("untouched"));
    EXPECT_EQ(again.entriesByKey().value(beside).windowTitle, QStringLiteral("Journal (2)"));
    EXPECT_EQ(again.entriesByKey().size(), 4);
    EXPECT_EQ(FileGameMemoStore(QUrl::fromLocalFile(path)).load(), again.sortedEntries());
    EXPECT_EQ(keptCopies(folder.path()), QStringList{QFileInfo(unreadable).fileName()});

    // The file damaged from outside while Veyra runs: with nothing typed, a save keeps
    // nothing aside and says nothing, and the file is left.
    writeBytes(path, "damaged from outside");
    const QVector<GameMemoEntry> held = again.sortedEntries();
    again.flushPendingSave();
    EXPECT_EQ(keptCopies(folder.path()), QStringList{QFileInfo(unreadable).fileName()});
    EXPECT_EQ(again.errorMessage(), std::nullopt);
    EXPECT_EQ(again.sortedEntries(), held);
    EXPECT_EQ(readBytes(path), QByteArray("damaged from outside"));
}

TEST_F(GameMemoLibraryModelTest, AFailedSaveIsTriedAgainOnItsOwnUntilTheFullDiskHasRoom)
{
    SmallDisk disk(64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "a full disk needs a tmpfs of the test's own: " << disk.errorString().toStdString();
    }
    const QString path = disk.filePath(QStringLiteral("game-memos.json"));
    const GameMemoContext game = context(QStringLiteral("Main"));
    FileGameMemoStore(QUrl::fromLocalFile(path)).save({storedNote(game, QStringLiteral("stored"), 1)});
    Sleeper::Clock::time_point steadyNow(std::chrono::hours(100));
    LogCapture log;
    GameMemoLibraryModel model(fileStore(path), debounce, sleeper, SteppingClock(), [&steadyNow] { return steadyNow; });
    ASSERT_TRUE(disk.fill());

    const QString typed = QStringLiteral("the boss is weak to fire ").repeated(40);
    model.updateText(typed, game);
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&model] { return model.errorMessage().has_value(); }));
    EXPECT_TRUE(
        textOf(model.errorMessage())
            ->startsWith(QStringLiteral("Veyra couldn't save the note: The file “%1” couldn't be saved.").arg(path)))
        << textOf(model.errorMessage())->toStdString();
    // Tried again every five seconds while it fails; the failure is logged once.
    for (int attempt = 1; attempt <= 3; ++attempt) {
        ASSERT_TRUE(waitUntil([this, attempt] { return sleeper->calls().size() == 1 + attempt; }));
        ASSERT_EQ(sleeper->sleepingCount(), 1);
        EXPECT_EQ(sleeper->calls().last().deadline, steadyNow + std::chrono::seconds(5));
        EXPECT_TRUE(model.retryTask().has_value());
        if (attempt < 3) {
            steadyNow += std::chrono::seconds(5);
            sleeper->releaseOne();
        }
    }
    EXPECT_EQ(log.messages(QStringLiteral("GameMemoLibrary"), QtCriticalMsg).size(), 1);
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()), QStringList{QStringLiteral("stored")});

    // Room again: the next try writes the note without a key pressed, and none follows.
    disk.empty();
    sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&model] { return !model.errorMessage().has_value(); }));
    EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()), QStringList{typed});
    settle();
    EXPECT_EQ(sleeper->sleepingCount(), 0);
    EXPECT_FALSE(model.retryTask().has_value());
    EXPECT_EQ(log.messages(QStringLiteral("GameMemoLibrary"), QtInfoMsg).value(0),
        QStringLiteral("Veyra wrote the game notes to %1 again.").arg(path));
    EXPECT_TRUE(keptCopies(disk.path()).isEmpty());
}

namespace {

const char *const killedRunFileVariable = "VEYRA_TEST_NOTES_FILE";

// Notes of 20,000 characters each, as many as the notes file can hold.
QVector<GameMemoEntry> notesFillingTheFile()
{
    const auto noteOf = [](int index) {
        return storedNote(context(QStringLiteral("Game %1").arg(index)),
            QString(GameMemoEntry::maximumTextLength, QLatin1Char('a' + index % 26)), 1);
    };
    const auto size = [](const QVector<GameMemoEntry> &entries) {
        return GameMemoStoreDocument{GameMemoStoreDocument::currentSchemaVersion, entries, std::nullopt}
            .encoded()
            .size();
    };
    const qsizetype noteSize = size({noteOf(0), noteOf(1)}) - size({noteOf(0)});
    QVector<GameMemoEntry> notes;
    for (qsizetype index = 0; index < FileGameMemoStore::maximumFileSize / noteSize; ++index) {
        notes.append(noteOf(static_cast<int>(index)));
    }
    while (size(notes) > FileGameMemoStore::maximumFileSize) {
        notes.removeLast();
    }
    return notes;
}

// What starts the line a killed run prints.
const char *const killedRunMarker = "killed run: ";

// Starts the test `name` of this program in a child process with `environment` added,
// waits until it prints its line, kills it as kill -9 does and gives the line.
QByteArray killedRunLine(const char *name, const QHash<QString, QString> &environment)
{
    QProcess child;
    QProcessEnvironment childEnvironment = QProcessEnvironment::systemEnvironment();
    for (auto variable = environment.cbegin(); variable != environment.cend(); ++variable) {
        childEnvironment.insert(variable.key(), variable.value());
    }
    child.setProcessEnvironment(childEnvironment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral("--gtest_also_run_disabled_tests"),
            QStringLiteral("--gtest_filter=GameMemoKilledRun.%1").arg(QLatin1String(name))});
    if (!child.waitForStarted(scaledMs(10000))) {
        ADD_FAILURE() << child.errorString().toStdString();
        return {};
    }
    QByteArray output;
    const auto said = [&output]() -> std::optional<QByteArray> {
        const qsizetype start = output.indexOf(killedRunMarker);
        const qsizetype end = start < 0 ? -1 : output.indexOf('\n', start);
        if (end < 0) {
            return std::nullopt;
        }
        const qsizetype from = start + qsizetype(std::strlen(killedRunMarker));
        return output.mid(from, end - from);
    };
    waitUntil(
        [&] {
            child.waitForReadyRead(100);
            output += child.readAllStandardOutput();
            return said() || child.state() == QProcess::NotRunning;
        },
        120000);
    child.kill();
    child.waitForFinished(scaledMs(10000));
    EXPECT_TRUE(said()) << output.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    return said().value_or(QByteArray());
}

// Prints a line for the test that runs this one in a child process, then waits to be
// killed.
[[noreturn]] void printAndWaitForTheKill(const QString &line)
{
    std::printf("%s%s\n", killedRunMarker, line.toUtf8().constData());
    std::fflush(stdout);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1000);
    }
}

const char *const fallbackFolderVariable = "VEYRA_TEST_NOTES_FALLBACK";
const char *const typedTextVariable = "VEYRA_TEST_NOTES_TYPED";

} // namespace

// Run in a child process of the test below, which kills it: notes past what the file may
// hold are typed over a file that holds all it may.
TEST(GameMemoKilledRun, DISABLED_TypesPastWhatTheFileHolds)
{
    const QString path = qEnvironmentVariable(killedRunFileVariable);
    ASSERT_FALSE(path.isEmpty());
    GameMemoLibraryModel model(fileStore(path), 0);
    model.updateText(QString(GameMemoEntry::maximumTextLength, QLatin1Char('z')), context(QStringLiteral("Typed")));
    ASSERT_TRUE(waitUntil([&model] { return !model.keptAsidePaths().isEmpty(); }, 120000));
    printAndWaitForTheKill(QStringLiteral("kept aside"));
}

TEST(GameMemoKilledRun, NotesPastWhatTheFileHoldsComeBackOnceThereIsRoomForThem)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("game-memos.json"));
    const QVector<GameMemoEntry> stored = notesFillingTheFile();
    FileGameMemoStore(QUrl::fromLocalFile(path)).save(stored);
    const QByteArray storedBytes = readBytes(path);

    EXPECT_EQ(killedRunLine("DISABLED_TypesPastWhatTheFileHolds", {{QString::fromLatin1(killedRunFileVariable), path}}),
        QByteArray("kept aside"));

    // The file is as it was; beside it, a copy the store reads holds what the file lacks:
    // the typed note, no more.
    EXPECT_EQ(readBytes(path), storedBytes);
    const QStringList copies = keptCopies(folder.path());
    ASSERT_EQ(copies.size(), 1);
    FileGameMemoStore store(QUrl::fromLocalFile(path));
    const QVector<KeptGameMemoCopy> kept = store.loadKeptAside();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_FALSE(kept.first().error);
    ASSERT_EQ(kept.first().entries.size(), 1);
    const GameMemoEntry typed = kept.first().entries.first();
    EXPECT_EQ(typed.windowTitle, QStringLiteral("Typed"));

    // Beside it, a copy an earlier version made of every note when the file was full: a
    // note the file lacks, and half of those it holds.
    const GameMemoEntry legacy
        = storedNote(context(QStringLiteral("Legacy")), QString(GameMemoEntry::maximumTextLength, QLatin1Char('l')), 2);
    const QString legacyCopy = folder.filePath(QStringLiteral("game-memos.unsaved-20240101-000000.json"));
    writeNotes(legacyCopy, QVector<GameMemoEntry>{legacy} + stored.first(stored.size() / 2));

    // The next start cannot write them with the stored notes: it leaves both copies for
    // later, the earlier one holding only what the file lacks, says so, and is not stuck:
    // an edit is written, with no new copy.
    LogCapture log;
    const QString noRoom = QStringLiteral(
        "Some notes kept aside couldn't be brought back: with them, your notes would take more than the notes file "
        "may hold. Veyra left their files as they are; once you delete notes you no longer need, it brings them back "
        "at its next start.");
    {
        GameMemoLibraryModel model(fileStore(path), debounce, std::make_shared<GatedSleeper>());
        EXPECT_EQ(model.entriesByKey().size(), stored.size());
        EXPECT_FALSE(model.entriesByKey().contains(typed.key));
        EXPECT_FALSE(model.entriesByKey().contains(legacy.key));
        EXPECT_EQ(model.errorMessage(), std::nullopt);
        EXPECT_EQ(textOf(model.notice()), noRoom);
        EXPECT_EQ(readBytes(path), storedBytes);
        EXPECT_EQ(FileGameMemoStore(QUrl::fromLocalFile(legacyCopy)).load(), QVector<GameMemoEntry>{legacy});
        const QStringList warnings = log.messages(QStringLiteral("GameMemoLibrary"), QtWarningMsg);
        ASSERT_EQ(warnings.size(), 2);
        EXPECT_TRUE(
            warnings.at(0).startsWith(QStringLiteral("Veyra left the notes kept in %1 for later: ").arg(legacyCopy)));
        EXPECT_TRUE(warnings.at(1).startsWith(
            QStringLiteral("Veyra left the notes kept in %1 for later: ").arg(kept.first().location)));
        // The player makes room for two notes, deleting two that the earlier copy held.
        model.updateText(QString(), stored.at(0).key);
        model.updateText(QString(), stored.at(1).key);
        model.flushPendingSave();
        EXPECT_EQ(model.errorMessage(), std::nullopt);
        EXPECT_EQ(FileGameMemoStore(QUrl::fromLocalFile(path)).load().size(), stored.size() - 2);
        EXPECT_EQ(keptCopies(folder.path()), QStringList{QFileInfo(legacyCopy).fileName()} + copies);
    }
    // The start after that finds room: the notes come back, are written, and their copies
    // go; the notes deleted stay deleted.
    {
        GameMemoLibraryModel model(fileStore(path), debounce, std::make_shared<GatedSleeper>());
        EXPECT_EQ(model.entriesByKey().value(typed.key).text, typed.text);
        EXPECT_EQ(model.entriesByKey().value(legacy.key).text, legacy.text);
        EXPECT_FALSE(model.entriesByKey().contains(stored.at(0).key));
        EXPECT_FALSE(model.entriesByKey().contains(stored.at(1).key));
        EXPECT_EQ(model.errorMessage(), std::nullopt);
        EXPECT_EQ(textOf(model.notice()), QStringLiteral("The notes kept aside earlier are back in your notes."));
        EXPECT_EQ(FileGameMemoStore(QUrl::fromLocalFile(path)).load(), model.sortedEntries());
        EXPECT_EQ(model.sortedEntries().size(), stored.size());
        EXPECT_TRUE(keptCopies(folder.path()).isEmpty());
    }
    settle();
}

// Run in a child process of the test below, which kills it: a note typed key by key over
// a notes folder that takes nothing.
TEST(GameMemoKilledRun, DISABLED_TypesOverAFolderThatTakesNothing)
{
    const QString path = qEnvironmentVariable(killedRunFileVariable);
    const QString typed = qEnvironmentVariable(typedTextVariable);
    ASSERT_FALSE(path.isEmpty());
    GameMemoLibraryModel model(std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path),
                                   QStringList{qEnvironmentVariable(fallbackFolderVariable)}),
        0);
    for (qsizetype length = 1; length <= typed.size(); ++length) {
        model.updateText(typed.left(length), context(QStringLiteral("Typed")));
    }
    ASSERT_TRUE(waitUntil([&model] { return model.errorMessage().has_value(); }, 120000));
    printAndWaitForTheKill(textOf(model.errorMessage()).value_or(QString()));
}

TEST(GameMemoKilledRun, WhatIsTypedOverAFullOrReadOnlyNotesFolderComesBackAfterAKill)
{
    SmallDisk disk(64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "a full or read-only disk needs a tmpfs of the test's own: "
                     << disk.errorString().toStdString();
    }
    QTemporaryDir fallback;
    const QString path = disk.filePath(QStringLiteral("game-memos.json"));
    const auto storeOf = [&path](const QStringList &fallbacks) {
        return std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path), fallbacks);
    };
    const GameMemoEntry storedOne = storedNote(context(QStringLiteral("Stored")), QStringLiteral("stored"), 1);
    const GameWindowProfileKey typedKey = context(QStringLiteral("Typed")).key;
    const QString typed = QStringLiteral("the boss in the east tower is weak to fire; ").repeated(3).left(120);
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "full");
        FileGameMemoStore(QUrl::fromLocalFile(path)).save({storedOne});
        const QByteArray storedBytes = readBytes(path);
        ASSERT_TRUE(readOnly ? disk.setReadOnly(true) : disk.fill());

        // The notes folder takes nothing: the typed text goes to the fallback folder, and
        // the message says where.
        const QByteArray said = killedRunLine("DISABLED_TypesOverAFolderThatTakesNothing",
            {{QString::fromLatin1(killedRunFileVariable), path},
                {QString::fromLatin1(fallbackFolderVariable), fallback.path()},
                {QString::fromLatin1(typedTextVariable), typed}});
        const QStringList copies = keptCopies(fallback.path());
        ASSERT_EQ(copies.size(), 1);
        EXPECT_TRUE(QString::fromUtf8(said).endsWith(
            QStringLiteral(" What you typed is kept in “%1”.").arg(fallback.filePath(copies.first()))))
            << said.toStdString();
        EXPECT_EQ(readBytes(path), storedBytes);

        // The next start on the same disk shows it again; the copy stays while nothing is
        // written.
        {
            GameMemoLibraryModel model(storeOf({fallback.path()}), debounce, std::make_shared<GatedSleeper>());
            EXPECT_EQ(model.entriesByKey().value(typedKey).text, typed);
            EXPECT_EQ(model.entriesByKey().value(storedOne.key).text, QStringLiteral("stored"));
            EXPECT_TRUE(model.errorMessage().has_value());
            EXPECT_EQ(keptCopies(fallback.path()), copies);
        }
        settle();

        // Room again: the next start writes it beside the stored note, and the copy goes.
        if (readOnly) {
            ASSERT_TRUE(disk.setReadOnly(false));
        } else {
            disk.empty();
        }
        {
            GameMemoLibraryModel model(storeOf({fallback.path()}), debounce, std::make_shared<GatedSleeper>());
            EXPECT_EQ(model.errorMessage(), std::nullopt);
            EXPECT_EQ(texts(FileGameMemoStore(QUrl::fromLocalFile(path)).load()),
                (QStringList{typed, QStringLiteral("stored")}));
            EXPECT_TRUE(keptCopies(fallback.path()).isEmpty());
        }
        settle();
    }

    // Nothing takes the text, the fallback being on the same read-only disk: the message
    // says that it is only in the window.
    ASSERT_TRUE(disk.setReadOnly(true));
    {
        GameMemoLibraryModel model(storeOf({disk.filePath(QStringLiteral("state"))}), debounce,
            std::make_shared<GatedSleeper>(), SteppingClock());
        // More typed into the note (the same text again would be no change).
        model.updateText(typed + QStringLiteral(" Then the west."), context(QStringLiteral("Typed")));
        model.flushPendingSave();
        EXPECT_TRUE(model.keptAsidePaths().isEmpty());
        const QString message = textOf(model.errorMessage()).value_or(QString());
        EXPECT_TRUE(message.startsWith(
            QStringLiteral("Veyra couldn't save the note: The file “%1” couldn't be saved.").arg(path)))
            << message.toStdString();
        EXPECT_TRUE(message.endsWith(
            QStringLiteral(" Nor could it keep what you typed anywhere else, so for now it is only in this window.")))
            << message.toStdString();
    }
    settle();
    ASSERT_TRUE(disk.setReadOnly(false));
}
