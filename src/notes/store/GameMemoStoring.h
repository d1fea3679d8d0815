#pragma once

#include "notes/store/GameMemoEntry.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

#include <exception>
#include <optional>

namespace veyra {

// One copy of notes kept apart from the stored ones, as keepAside() wrote it: its notes,
// or the reason it cannot be read.
struct KeptGameMemoCopy
{
    QString location;
    QVector<GameMemoEntry> entries;
    // Those notes as the run that kept them had last read them from the store (a note it
    // had not read is missing), so that they can be merged three ways; none in a copy that
    // does not say (made by an earlier version).
    std::optional<QVector<GameMemoEntry>> lastRead;
    // Set when the copy cannot be read; `entries` is then empty.
    std::exception_ptr error;
};

// The stored notes as one reading found them, and a mark of exactly what it read.
struct StoredGameMemos
{
    // None when nothing is stored at all (no notes file: none written yet, or one removed
    // from outside), as opposed to no notes.
    std::optional<QVector<GameMemoEntry>> entries;
    // Tells apart every content the store may hold (not its date nor its size), for
    // saveIfUnchanged().
    QByteArray revision;
};

// Keeps every game note. Called on the GUI thread only by the notes model; every
// operation finishes before it returns and throws on failure (a veyra::Error, or another
// std::exception).
class GameMemoStoring
{
public:
    virtual ~GameMemoStoring() = default;

    // Every stored note.
    virtual QVector<GameMemoEntry> load() = 0;

    // Every stored note as load() gives them, or none when nothing is stored at all, with
    // the revision of what was read.
    virtual StoredGameMemos read() = 0;

    // Replaces everything stored by exactly these notes, in this order (when it holds
    // exactly them already, nothing need be written).
    virtual void save(const QVector<GameMemoEntry> &entries) = 0;

    // As save(), but only while the store still holds what read() found as `revision`:
    // false, with nothing written, when it holds anything else by then (written, replaced
    // or removed from outside since, or no longer readable), so that nothing written
    // elsewhere in between is lost.
    virtual bool saveIfUnchanged(const QVector<GameMemoEntry> &entries, const QByteArray &revision) = 0;

    // Whether save() would take this many notes: a store may hold only so much.
    virtual bool canHold(const QVector<GameMemoEntry> &entries) const = 0;

    // Keeps these notes apart from the stored ones, when the stored ones cannot be
    // replaced, with `lastRead` (what the store held of them before they were changed, when
    // that is known): beside them, under names made from `at`, or again in `previous` when
    // those name earlier copies of the same session (copies of `previous` no longer needed
    // are removed once the notes are written); where nothing can be written beside them, in
    // another place that loadKeptAside() reads too. Every copy stays readable by the
    // store, so the notes may take several. Returns where the copies are, for the player
    // to be told; throws when no place took them.
    virtual QStringList keepAside(const QVector<GameMemoEntry> &entries,
        const std::optional<QVector<GameMemoEntry>> &lastRead, const QDateTime &at, const QStringList &previous)
        = 0;

    // Every copy kept aside (beside the stored notes or in the other places), by this
    // session or an earlier one, read; one that cannot be read comes with its reason.
    // Throws when the copies cannot be looked for.
    virtual QVector<KeptGameMemoCopy> loadKeptAside() = 0;

    // Removes a copy that loadKeptAside() or keepAside() named, once its notes are stored.
    virtual void removeKeptAside(const QString &location) = 0;

    // Where the notes are kept, for messages and the log.
    virtual QString location() const = 0;
};

} // namespace veyra
