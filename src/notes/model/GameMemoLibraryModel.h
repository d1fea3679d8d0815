#pragma once

#include "foundation/async/Sleeper.h"
#include "foundation/async/TaskOnActor.h"
#include "foundation/errors/ErrorMessage.h"
#include "notes/model/GameMemoContext.h"
#include "notes/model/GameMemoMerge.h"
#include "notes/store/GameMemoEntry.h"
#include "notes/store/GameMemoStoring.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace veyra {

// Every game note of the process, shared by the overlay's note popover and the notes
// window. Edits apply at once; the notes edited are written through the store (merged
// into the notes it holds then, see saveNow()) `debounceNanoseconds` after
// the last edit, so a burst of typing is one write, and
// at the latest `longestWaitNanoseconds` after the first edit not written yet, so typing
// without a pause is written too.
//
// Nothing is written over notes that could not be loaded: when the load at creation
// fails (the failure is logged with the store's location), it is tried again shortly on
// its own (the file may have been caught while written), and every save first tries the
// load again. When a load succeeds (at creation or later), the stored notes are kept and
// the notes typed meanwhile and every copy kept aside by the store (by this run or an
// earlier one) are added to them without losing any text (mergedGameMemos), the notice
// says so, and they are written at once; a copy goes only once its notes are written,
// and one that cannot be read stays where it is (logged, and named by the notice). The
// copies come back only as far as the store can hold the notes with them (all at once,
// as a rule): a copy that would take the notes past that stays for a later start, keeping
// only the notes the stored ones do not hold as they are, and the notice says so.
//
// A stored file that cannot be read is not yet a verdict (it may be caught while another
// program writes it in place): with nothing changed here, nothing is kept nor said; with
// changes, it is read again every `rereadNanoseconds` for `readSettleNanoseconds`, and only
// then is the save a failure. A save replaces the stored notes only if they are still
// the ones its merge read (GameMemoStoring::saveIfUnchanged); otherwise it merges again
// with what is there.
//
// A failed save keeps aside, through the store, what was changed here (text or names; a
// date alone is no change), when it would otherwise be lost (or the stored notes can no
// longer be read), with what this run last read of those notes, so that bringing them
// back merges three ways; never a note that was not changed here. Its message says where.
// When nothing can take them, the message says that they are only in the window. The
// failure is logged once, not at every save. While edits are not written, a failed save is
// tried again every `retryNanoseconds` on its own.
//
// When the application quits (QCoreApplication::aboutToQuit, whichever way the quit was
// asked for), edits not written yet are written first, or kept aside when they cannot
// be (saveBeforeQuit()). GUI thread only.
class GameMemoLibraryModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isSaving READ isSaving NOTIFY isSavingChanged)

public:
    using Now = std::function<QDateTime()>;
    using SteadyNow = std::function<Sleeper::Clock::time_point()>;

    // The longest a written note waits while edits go on without a pause.
    static constexpr std::uint64_t longestWaitNanoseconds = 2'000'000'000;
    // How long after a failed save it is tried again, while edits are not written.
    static constexpr std::uint64_t retryNanoseconds = 5'000'000'000;
    // How long a stored file that fails to be read is read again before that counts, and
    // how often.
    static constexpr std::uint64_t readSettleNanoseconds = 2'000'000'000;
    static constexpr std::uint64_t rereadNanoseconds = 250'000'000;
    // How often one save merges again with notes written from outside meanwhile.
    static constexpr int maximumMergeRounds = 4;

    // Loads every note from the store at once. `sleeper` runs the delay, `now` dates the
    // edits and `steadyNow` times the delay (all replaceable in tests).
    GameMemoLibraryModel(std::unique_ptr<GameMemoStoring> store, std::uint64_t debounceNanoseconds,
        std::shared_ptr<Sleeper> sleeper = std::make_shared<TimerSleeper>(), Now now = {}, SteadyNow steadyNow = {},
        QObject *parent = nullptr);
    ~GameMemoLibraryModel() override;

    // All notes in memory, empty ones not saved yet included.
    const QHash<GameWindowProfileKey, GameMemoEntry> &entriesByKey() const { return m_entriesByKey; }
    // The message of the last failed load or save.
    const std::optional<ErrorMessage> &errorMessage() const { return m_errorMessage; }
    // What else the player is told: that notes kept aside came back, or could not. The
    // next edit clears it.
    const std::optional<ErrorMessage> &notice() const { return m_notice; }
    bool isSaving() const { return m_isSaving; }
    GameMemoStoring &store() const { return *m_store; }
    std::uint64_t debounceNanoseconds() const { return m_debounceNanoseconds; }
    // The pending delayed save.
    const std::optional<ActorTask> &saveTask() const { return m_saveTask; }
    // The pending new try of a failed save.
    const std::optional<ActorTask> &retryTask() const { return m_retryTask; }
    // False after a failed load until a load succeeds; nothing is written meanwhile.
    bool hasLoaded() const { return m_hasLoaded; }

    // The non-blank notes, newest first; notes of the same date in the order of their keys.
    QVector<GameMemoEntry> sortedEntries() const;
    // Where the notes were kept aside last in this run, until a save writes them.
    const QStringList &keptAsidePaths() const { return m_keptAsidePaths; }

    // Makes sure a note exists for the context's key (an empty one, dated now). Saves
    // nothing and leaves the error message alone.
    void ensureEntry(const GameMemoContext &context);
    // The note editor's edit: creates the note when needed, takes the context's names,
    // sets the text as typed (cut to GameMemoEntry::maximumTextLength) and the date,
    // clears the error and the notice and starts the delay again.
    void updateText(const QString &text, const GameMemoContext &context);
    // The notes window's edit of a listed note; the names stay. A key without a note is
    // ignored.
    void updateText(const QString &text, const GameWindowProfileKey &key);

    // Writes at once what is not written yet; a pending delayed save stays pending. The
    // notes are merged three ways into what the store holds at that moment (replaced from
    // outside, by a sync tool or another machine, say), against what this run last read or
    // wrote of each: a note changed only there stays as stored (deleted included), one
    // changed only here is written from memory, one changed on both sides keeps both texts
    // and the notice says so. With nothing of this run's to add, nothing is written, and
    // memory takes the stored notes. The store is replaced only while it holds what the
    // merge read; a read that fails is tried again shortly before it counts.
    void saveNow();
    // Cancels the pending delayed save and writes at once as saveNow() does (also when
    // nothing was pending).
    void flushPendingSave();
    // Writes what is not written yet (a pending save, or edits whose save failed), and
    // keeps it aside when it cannot be written (in the store's other places when the
    // notes' own folder takes nothing); does nothing otherwise. Synchronous, and may run
    // more than once: on QCoreApplication::aboutToQuit, and on any way the process ends
    // without it (a lost display, say) before the process goes.
    void saveBeforeQuit();

Q_SIGNALS:
    void entriesByKeyChanged();
    void errorMessageChanged();
    void noticeChanged();
    void isSavingChanged(bool isSaving);

private:
    // How a failed read of the stored notes counts.
    enum class FailedRead { mayBeRetried, isAVerdict };

    void save(FailedRead failedRead);
    void scheduleSave();
    void scheduleRetry();
    // The retry's save, when edits are still unsaved.
    void retry();
    // Reads again (saves) shortly after a failed read; the grace ends at `settledAt`.
    void scheduleReread(Sleeper::Clock::time_point settledAt);
    void forgetFailedReads();
    // A read of the stored notes failed: nothing when nothing was changed here; else read
    // again shortly, unless the failure counts by now (saveFailed()).
    void readFailed(const ErrorMessage &reason, FailedRead failedRead);
    // Starts a task that, at `deadline` unless it is cancelled first, clears `task` (the
    // member that holds it) and runs `action`.
    ActorTask startAt(Sleeper::Clock::time_point deadline, std::optional<ActorTask> GameMemoLibraryModel::*task,
        void (GameMemoLibraryModel::*action)());
    void cancelRetry();
    // Reads every note; after an earlier failure, or when copies were kept aside, adds
    // the notes typed meanwhile and the copies' notes.
    bool load();
    // Brings the notes of the copies kept aside (but this run's own) into `notes`, the
    // stored ones (withKeptGameMemos), as far as the store holds them with the notes typed
    // meanwhile (`versions`); logs each copy and sets the notice; true when any came back.
    bool bringBackKeptCopies(const QVector<GameMemoEntry> &stored, const QVector<GameMemoEntry> &versions,
        QHash<GameWindowProfileKey, GameMemoEntry> &notes);
    // Rewrites a copy left for later with only the notes `stored` does not hold as they
    // are, when it holds others too.
    void keepOnlyWhatIsNotStored(const KeptGameMemoCopy &copy, const QVector<GameMemoEntry> &stored);
    // The notes to write over `stored` (the store's notes now, none when nothing is stored
    // at all): merged three ways with what this run last read or wrote and what changed here
    // (mergedWithChangesElsewhere).
    GameMemoChangesMerge mergedWithStored(const std::optional<QVector<GameMemoEntry>> &stored) const;
    // The notes whose text or names differ from what this run last read or wrote, as they
    // are here (blank where cleared), newest first.
    QVector<GameMemoEntry> changedHereNotes() const;
    void saveFailed(const ErrorMessage &reason);
    // Memory and the base take the notes the store holds now.
    void saveSucceeded(QHash<GameWindowProfileKey, GameMemoEntry> saved);
    ErrorMessage keptAsideMessage(const ErrorMessage &reason) const;
    // Logs the line unless the same failure (`failure`, at `type`) was logged last.
    void logFailureOnce(QtMsgType type, const QString &failure, const QString &line);
    void setErrorMessage(std::optional<ErrorMessage> message);
    void setNotice(std::optional<ErrorMessage> notice);
    void setSaving(bool saving);
    void noteEdited(GameMemoEntry entry);

    std::unique_ptr<GameMemoStoring> m_store;
    std::uint64_t m_debounceNanoseconds;
    std::shared_ptr<Sleeper> m_sleeper;
    Now m_now;
    SteadyNow m_steadyNow;
    // When the first edit not written yet was made.
    std::optional<Sleeper::Clock::time_point> m_firstUnwrittenEditAt;
    QHash<GameWindowProfileKey, GameMemoEntry> m_entriesByKey;
    std::optional<ErrorMessage> m_errorMessage;
    std::optional<ErrorMessage> m_notice;
    bool m_isSaving = false;
    std::optional<ActorTask> m_saveTask;
    std::optional<ActorTask> m_retryTask;
    bool m_hasLoaded = false;
    // The reason of the last failed load, while no load has succeeded.
    std::optional<ErrorMessage> m_loadFailure;
    // The notes in memory differ from the stored ones (edits, or notes brought back).
    bool m_hasUnsavedEdits = false;
    // Edits that are neither stored nor kept aside.
    bool m_hasUnkeptEdits = false;
    // The notes that differ from the stored ones: edited, or brought back, since the last
    // save that succeeded.
    QSet<GameWindowProfileKey> m_unsavedKeys;
    // The notes as this run last read or wrote them (the blank ones too): what the store
    // held before anything changed on either side since.
    QHash<GameWindowProfileKey, GameMemoEntry> m_baseByKey;
    // The copies this run kept aside, and whether they hold the notes in memory.
    QStringList m_keptAsidePaths;
    bool m_keptAsideIsCurrent = false;
    // Copies of earlier runs whose notes were brought back and are not written yet.
    QStringList m_broughtBackPaths;
    // The failure logged last, while saves fail.
    QString m_loggedFailure;
    // Since when reads of the stored notes fail, while changes wait to be written, and how
    // often they were read again since: as often as they may be once the failure counts.
    std::optional<Sleeper::Clock::time_point> m_readsFailingSince;
    std::uint64_t m_rereads = 0;
};

} // namespace veyra
