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
// store `debounceNanoseconds` after the last edit, so a burst of typing is one write.
//
// Nothing is written until a load has succeeded: when the load at creation fails, every
// save first tries the load again and, while it still fails, writes nothing and reports
// the load's reason (the notes on disk stay as they are). When a later load succeeds,
// the stored notes are kept and the notes typed in the meantime are added to them.
//
// When the application quits (QCoreApplication::aboutToQuit, whichever way the quit was
// asked for), edits not written yet are written first. GUI thread only.
class GameMemoLibraryModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isSaving READ isSaving NOTIFY isSavingChanged)

public:
    using Now = std::function<QDateTime()>;

    // Loads every note from the store at once. `sleeper` runs the delay and `now` dates
    // the edits (both replaceable in tests).
    GameMemoLibraryModel(std::unique_ptr<GameMemoStoring> store, std::uint64_t debounceNanoseconds,
        std::shared_ptr<Sleeper> sleeper = std::make_shared<TimerSleeper>(), Now now = {}, QObject *parent = nullptr);
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

    // The non-blank notes, newest first (stable; equal dates keep no defined order).
    QVector<GameMemoEntry> sortedEntries() const;

    // Makes sure a note exists for the context's key (an empty one, dated now). Saves
    // nothing and leaves the error message alone.
    void ensureEntry(const GameMemoContext &context);
    // The note editor's edit: creates the note when needed, takes the context's names,
    // sets the text as typed and the date, clears the error and starts the delay again.
    void updateText(const QString &text, const GameMemoContext &context);
    // The notes window's edit of a listed note; the names stay. A key without a note is
    // ignored.
    void updateText(const QString &text, const GameWindowProfileKey &key);

    // Writes at once; a pending delayed save stays pending.
    void saveNow();
    // Cancels the pending delayed save and writes at once (also when nothing was pending).
    void flushPendingSave();
    // Writes what is not written yet (a pending save, or edits whose save failed); does
    // nothing otherwise. Runs on QCoreApplication::aboutToQuit.
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

    std::unique_ptr<GameMemoStoring> m_store;
    std::uint64_t m_debounceNanoseconds;
    std::shared_ptr<Sleeper> m_sleeper;
    Now m_now;
    QHash<GameWindowProfileKey, GameMemoEntry> m_entriesByKey;
    std::optional<ErrorMessage> m_errorMessage;
    bool m_isSaving = false;
    std::optional<ActorTask> m_saveTask;
    bool m_hasLoaded = false;
    // The reason of the last failed load, while no load has succeeded.
    std::optional<ErrorMessage> m_loadFailure;
    // Edits since the last successful save.
    bool m_hasUnsavedEdits = false;
};

} // namespace veyra
