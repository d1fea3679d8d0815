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
const QString lastReadKey = QStringLiteral("lastReadEntries");

QJsonArray entriesJson(const QVector<GameMemoEntry> &entries)
{
    QJsonArray entryArray;
    for (const GameMemoEntry &entry : entries) {
        entryArray.append(entry.toJson());
    }
    return entryArray;
}

QVector<GameMemoEntry> entriesFromJson(const QJsonObject &object, const QString &key)
{
    const QJsonArray entryArray = requireArray(object, key);
    QVector<GameMemoEntry> entries;
    entries.reserve(entryArray.size());
    for (const QJsonValue &value : entryArray) {
        entries.append(GameMemoEntry::fromJson(requireObject(value, key + QStringLiteral("[]"))));
    }
    requireUniqueGameMemoKeys(entries);
    return entries;
}
} // namespace

QJsonObject GameMemoStoreDocument::toJson() const
{
    QJsonObject object{{schemaVersionKey, static_cast<qint64>(schemaVersion)}, {entriesKey, entriesJson(entries)}};
    if (lastRead) {
        object.insert(lastReadKey, entriesJson(*lastRead));
    }
    return object;
}

GameMemoStoreDocument GameMemoStoreDocument::fromJson(const QJsonObject &object)
{
    GameMemoStoreDocument document;
    document.schemaVersion = requireInt64(object, schemaVersionKey);
    document.entries = entriesFromJson(object, entriesKey);
    if (object.contains(lastReadKey)) {
        document.lastRead = entriesFromJson(object, lastReadKey);
    }
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
