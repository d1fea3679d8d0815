#pragma once

#include "foundation/async/Sleeper.h"
#include "foundation/async/TaskOnActor.h"
#include "foundation/errors/ErrorMessage.h"
#include "notes/model/GameMemoContext.h"
#include "notes/store/GameMemoEntry.h"
#include "notes/store/GameMemoStoring.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QVector>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace veyra {

// Every game note of the process, shared by the overlay's note popover and the notes
// window. Edits apply at once; the whole set of non-blank notes is written through the
// store `debounceNanoseconds` after the last edit, so a burst of typing is one write, and
// at the latest `longestWaitNanoseconds` after the first edit not written yet, so typing
// without a pause is written too.
//
// Nothing is written over notes that could not be loaded: when the load at creation
// fails (the failure is logged with the store's location), every save first tries the
// load again and, while it still fails, reports the load's reason and keeps the notes
// typed meanwhile aside through the store (beside the unreadable file), saying where.
// When a later load succeeds, the stored notes are kept and the notes typed in the
// meantime are added to them.
//
// When the application quits (QCoreApplication::aboutToQuit, whichever way the quit was
// asked for), edits not written yet are written first, or kept aside when they cannot
// be. GUI thread only.
class GameMemoLibraryModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isSaving READ isSaving NOTIFY isSavingChanged)

public:
    using Now = std::function<QDateTime()>;
    using SteadyNow = std::function<Sleeper::Clock::time_point()>;

    // The longest a written note waits while edits go on without a pause.
    static constexpr std::uint64_t longestWaitNanoseconds = 2'000'000'000;

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
    bool isSaving() const { return m_isSaving; }
    GameMemoStoring &store() const { return *m_store; }
    std::uint64_t debounceNanoseconds() const { return m_debounceNanoseconds; }
    // The pending delayed save.
    const std::optional<ActorTask> &saveTask() const { return m_saveTask; }
    // False after a failed load until a load succeeds; nothing is written meanwhile.
    bool hasLoaded() const { return m_hasLoaded; }

    // The non-blank notes, newest first; notes of the same date in the order of their keys.
    QVector<GameMemoEntry> sortedEntries() const;
    // Where the notes typed while the stored ones could not be read were kept last.
    const QString &keptAsidePath() const { return m_keptAsidePath; }

    // Makes sure a note exists for the context's key (an empty one, dated now). Saves
    // nothing and leaves the error message alone.
    void ensureEntry(const GameMemoContext &context);
    // The note editor's edit: creates the note when needed, takes the context's names,
    // sets the text as typed (cut to GameMemoEntry::maximumTextLength) and the date,
    // clears the error and starts the delay again.
    void updateText(const QString &text, const GameMemoContext &context);
    // The notes window's edit of a listed note; the names stay. A key without a note is
    // ignored.
    void updateText(const QString &text, const GameWindowProfileKey &key);

    // Writes at once; a pending delayed save stays pending.
    void saveNow();
    // Cancels the pending delayed save and writes at once (also when nothing was pending).
    void flushPendingSave();
    // Writes what is not written yet (a pending save, or edits whose save failed), and
    // keeps it aside when it cannot be written; does nothing otherwise. Runs on
    // QCoreApplication::aboutToQuit.
    void saveBeforeQuit();

Q_SIGNALS:
    void entriesByKeyChanged();
    void errorMessageChanged();
    void isSavingChanged(bool isSaving);

private:
    void scheduleSave();
    // Reads every note; after an earlier failure, adds the notes typed meanwhile.
    bool load();
    void setErrorMessage(std::optional<ErrorMessage> message);
    void setSaving(bool saving);
    void noteEdited(GameMemoEntry entry);
    // Keeps the non-blank notes aside through the store (their save failed for `reason`)
    // and returns the message to show; logs either way.
    ErrorMessage keepAside(const ErrorMessage &reason);

    std::unique_ptr<GameMemoStoring> m_store;
    std::uint64_t m_debounceNanoseconds;
    std::shared_ptr<Sleeper> m_sleeper;
    Now m_now;
    SteadyNow m_steadyNow;
    // When the first edit not written yet was made.
    std::optional<Sleeper::Clock::time_point> m_firstUnwrittenEditAt;
    QHash<GameWindowProfileKey, GameMemoEntry> m_entriesByKey;
    std::optional<ErrorMessage> m_errorMessage;
    bool m_isSaving = false;
    std::optional<ActorTask> m_saveTask;
    bool m_hasLoaded = false;
    // The reason of the last failed load, while no load has succeeded.
    std::optional<ErrorMessage> m_loadFailure;
    // Edits since the last successful save.
    bool m_hasUnsavedEdits = false;
    // Why the last save failed.
    std::optional<ErrorMessage> m_lastSaveFailure;
    // The copy kept aside last in this session, and whether it holds the latest edits.
    QString m_keptAsidePath;
    bool m_keptAsideIsCurrent = false;
};

} // namespace veyra
