#pragma once

#include "notes/store/GameMemoEntry.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace veyra {

// Keeps every game note. Called on the GUI thread only by the notes model; every
// operation finishes before it returns and throws on failure (a veyra::Error, or another
// std::exception).
class GameMemoStoring
{
public:
    virtual ~GameMemoStoring() = default;

    // Every stored note.
    virtual QVector<GameMemoEntry> load() = 0;

    // Replaces everything stored by exactly these notes, in this order.
    virtual void save(const QVector<GameMemoEntry> &entries) = 0;

    // Keeps these notes apart from the stored ones, when the stored ones cannot be
    // replaced (they could not be read): beside them, under a name made from `at`, or again
    // in `previous` when that names an earlier copy of the same session. Returns where
    // the copy is, for the player to be told.
    virtual QString keepAside(const QVector<GameMemoEntry> &entries, const QDateTime &at, const QString &previous) = 0;

    // Where the notes are kept, for messages and the log.
    virtual QString location() const = 0;
};

} // namespace veyra
