#pragma once

#include "capture/target/GameWindowProfileKey.h"
#include "notes/store/GameMemoEntry.h"

#include <QHash>
#include <QVector>

#include <optional>

namespace veyra {

// The notes by key (the last of a key, when there are several).
QHash<GameWindowProfileKey, GameMemoEntry> gameMemosByKey(const QVector<GameMemoEntry> &notes);

// The stored notes with other versions of notes added to them (notes typed while the
// stored ones could not be read, notes kept aside by an earlier run), losing no text:
// a version for a game without a note comes in whole; a version whose text a note of
// its game already holds adds nothing; a version that holds a note's whole text takes
// its place; otherwise the texts are joined, newest first, under the newest one's names
// and date. What a note cannot hold (GameMemoEntry::maximumTextLength) goes to a note
// beside it, its window title followed by " (2)", " (3)" and so on. Blank versions are
// ignored. The result is keyed by note key; it holds every stored note.
QHash<GameWindowProfileKey, GameMemoEntry> mergedGameMemos(
    const QVector<GameMemoEntry> &stored, const QVector<GameMemoEntry> &versions);

// The notes to store, merged three ways, and whether a note changed on both sides kept
// what was written there beside (or instead of) what was written here.
struct GameMemoChangesMerge
{
    QHash<GameWindowProfileKey, GameMemoEntry> notes;
    bool keptBothTexts = false;
};

// Merges the notes changed here into what the store holds now (`stored`), with `base` the
// notes as this run last read or wrote them: a note changed only in the store (by another
// machine; deleted included) stays as stored; one changed only here (`changedHere`, blank
// when cleared) is taken from here (only its names: the text stored, under them); one
// changed on both sides keeps both texts, joined as mergedGameMemos() joins them (a side
// that deleted or cleared it adds nothing). A note is changed when its text or names
// differ (sameGameMemoContent), not its date alone; blank notes count as none.
GameMemoChangesMerge mergedWithChangesElsewhere(const QHash<GameWindowProfileKey, GameMemoEntry> &base,
    const QVector<GameMemoEntry> &stored, const QHash<GameWindowProfileKey, GameMemoEntry> &changedHere);

// Whether two versions of a note say the same: the same text and names, whatever their
// dates; a blank note is the same as none.
bool sameGameMemoContent(const GameMemoEntry *a, const GameMemoEntry *b);

// The notes of a copy kept aside (`kept`) brought back into `notes`: merged three ways
// against what the run that kept them had last read of them, when the copy says
// (mergedWithChangesElsewhere), so that a note deleted or changed since stays so where the
// copy did not change it; else added as mergedGameMemos() adds versions.
QHash<GameWindowProfileKey, GameMemoEntry> withKeptGameMemos(const QHash<GameWindowProfileKey, GameMemoEntry> &notes,
    const QVector<GameMemoEntry> &kept, const std::optional<QVector<GameMemoEntry>> &lastRead);

} // namespace veyra
