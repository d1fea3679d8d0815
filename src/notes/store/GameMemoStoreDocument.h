#pragma once

#include "notes/store/GameMemoEntry.h"

#include <QByteArray>
#include <QJsonObject>
#include <QVector>

#include <cstdint>
#include <optional>

namespace veyra {

// The whole content of the note file "game-memos.json", and of the copies of notes kept
// beside it.
struct GameMemoStoreDocument
{
    static constexpr std::int64_t currentSchemaVersion = 1;

    std::int64_t schemaVersion = currentSchemaVersion;
    QVector<GameMemoEntry> entries;
    // Only in a copy kept aside: the notes of `entries` as they were last read from the
    // notes file before they were changed ("lastReadEntries"; a note not read is missing).
    std::optional<QVector<GameMemoEntry>> lastRead;

    QJsonObject toJson() const;
    // Throws DecodingError on a missing key, a value of the wrong type or a bad entry
    // ("lastReadEntries" is read when present); other keys are ignored. Two entries of one
    // list under one key are refused as well: Veyra never writes such a file, and keeping
    // either one would drop the other.
    static GameMemoStoreDocument fromJson(const QJsonObject &object);

    // The file's bytes: UTF-8 JSON, pretty-printed with two spaces, keys sorted, "/"
    // written as "\/".
    QByteArray encoded() const;

    friend bool operator==(const GameMemoStoreDocument &, const GameMemoStoreDocument &) = default;
};

// Throws DecodingError when two entries of the list share one key.
void requireUniqueGameMemoKeys(const QVector<GameMemoEntry> &entries);

} // namespace veyra
