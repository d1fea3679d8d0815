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
    // Set when the copy cannot be read; `entries` is then empty.
    std::exception_ptr error;
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

    // Every stored note as load() gives them, or none when nothing is stored at all (no
    // notes file: none written yet, or one removed from outside), as opposed to no notes.
    virtual std::optional<QVector<GameMemoEntry>> loadIfStored() = 0;

    // Replaces everything stored by exactly these notes, in this order (when it holds
    // exactly them already, nothing need be written).
    virtual void save(const QVector<GameMemoEntry> &entries) = 0;

    // Whether save() would take this many notes: a store may hold only so much.
    virtual bool canHold(const QVector<GameMemoEntry> &entries) const = 0;

    // Keeps these notes apart from the stored ones, when the stored ones cannot be
    // replaced: beside them, under names made from `at`, or again in `previous` when
    // those name earlier copies of the same session (copies of `previous` no longer needed
    // are removed once the notes are written); where nothing can be written beside them, in
    // another place that loadKeptAside() reads too. Every copy stays readable by the
    // store, so the notes may take several. Returns where the copies are, for the player
    // to be told; throws when no place took them.
    virtual QStringList keepAside(
        const QVector<GameMemoEntry> &entries, const QDateTime &at, const QStringList &previous)
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
