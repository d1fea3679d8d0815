#pragma once

#include "notes/store/GameMemoEntry.h"

#include <QVector>

namespace veyra {

// Keeps every game note. Called on the GUI thread only by the notes model; both
// operations finish before they return and throw on failure (a veyra::Error, or another
// std::exception).
class GameMemoStoring
{
public:
    virtual ~GameMemoStoring() = default;

    // Every stored note.
    virtual QVector<GameMemoEntry> load() = 0;

    // Replaces everything stored by exactly these notes, in this order.
    virtual void save(const QVector<GameMemoEntry> &entries) = 0;
};

} // namespace veyra
