#pragma once

#include "capture/target/GameWindowProfileKey.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <cstdint>
#include <optional>

namespace veyra {

// One cached answer of the game-title server, under the key of its game window.
struct GameTitleCacheEntry
{
    GameApplicationIdentity applicationIdentity;
    QString windowTitle;
    std::optional<QString> extractedGameName;
    std::optional<QString> representativeGameName;

    // True when the entry is stored under the key (identity kind, identity value and
    // window title equal as text).
    bool hasKey(const GameWindowProfileKey &key) const;

    // The names are written only when present.
    QJsonObject toJson() const;
    // "applicationIdentity" and "windowTitle" are required, the names optional (missing
    // or null: absent). Throws DecodingError.
    static GameTitleCacheEntry fromJson(const QJsonObject &object);

    friend bool operator==(const GameTitleCacheEntry &a, const GameTitleCacheEntry &b);
};

// The whole content of "game-titles.json".
struct GameTitleStoreDocument
{
    static constexpr std::int64_t currentSchemaVersion = 1;

    std::int64_t schemaVersion = currentSchemaVersion;
    QVector<GameTitleCacheEntry> entries;

    QJsonObject toJson() const;
    // Both keys required; throws DecodingError (the schema version is not checked here).
    static GameTitleStoreDocument fromJson(const QJsonObject &object);

    // The file's bytes: UTF-8 JSON, pretty-printed, keys sorted, "/" written as "\/".
    QByteArray encoded() const;

    bool operator==(const GameTitleStoreDocument &) const = default;
};

// The stored order of entries: by identity value, then (for equal values) by window
// title, both compared case-insensitively in the user's locale; the identity kind does
// not take part. An entry goes before another only when it compares strictly
// ascending, so values that differ only in letter case keep their order whatever their
// titles. Stable.
void sortGameTitleCacheEntries(QVector<GameTitleCacheEntry> &entries);

} // namespace veyra
