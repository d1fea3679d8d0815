#include "notes/store/GameMemoStoreDocument.h"

#include "foundation/json/JsonDecoding.h"
#include "foundation/json/JsonWriting.h"
#include "foundation/language/LocalizedString.h"
#include "notes/store/GameMemoStoreError.h"

#include <QJsonArray>
#include <QSet>

namespace veyra {

namespace {
const QString schemaVersionKey = QStringLiteral("schemaVersion");
const QString entriesKey = QStringLiteral("entries");
} // namespace

QJsonObject GameMemoStoreDocument::toJson() const
{
    QJsonArray entryArray;
    for (const GameMemoEntry &entry : entries) {
        entryArray.append(entry.toJson());
    }
    return {{schemaVersionKey, static_cast<qint64>(schemaVersion)}, {entriesKey, entryArray}};
}

GameMemoStoreDocument GameMemoStoreDocument::fromJson(const QJsonObject &object)
{
    GameMemoStoreDocument document;
    document.schemaVersion = requireInt64(object, schemaVersionKey);
    const QJsonArray entryArray = requireArray(object, entriesKey);
    document.entries.reserve(entryArray.size());
    for (const QJsonValue &value : entryArray) {
        document.entries.append(GameMemoEntry::fromJson(requireObject(value, QStringLiteral("entries[]"))));
    }
    requireUniqueGameMemoKeys(document.entries);
    return document;
}

QByteArray GameMemoStoreDocument::encoded() const
{
    return writeJson(toJson(), {.prettyPrinted = true, .withoutEscapingSlashes = false});
}

void requireUniqueGameMemoKeys(const QVector<GameMemoEntry> &entries)
{
    QSet<GameWindowProfileKey> seen;
    seen.reserve(entries.size());
    for (const GameMemoEntry &entry : entries) {
        if (seen.contains(entry.key)) {
            throw GameMemoRuleError(
                QT_TRANSLATE_NOOP("Veyra", "Two notes belong to the window “%@”."), {entry.key.windowTitle});
        }
        seen.insert(entry.key);
    }
}

} // namespace veyra
