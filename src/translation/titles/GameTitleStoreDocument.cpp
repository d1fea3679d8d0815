#include "translation/titles/GameTitleStoreDocument.h"

#include "capture/target/GameWindowRecordOrder.h"
#include "foundation/json/JsonDecoding.h"
#include "foundation/json/JsonWriting.h"
#include "translation/titles/GameTitleResolution.h"

#include <QJsonArray>
#include <QLocale>

namespace veyra {

bool GameTitleCacheEntry::hasKey(const GameWindowProfileKey &key) const
{
    return applicationIdentity == key.applicationIdentity && canonicallyEqual(windowTitle, key.windowTitle);
}

QJsonObject GameTitleCacheEntry::toJson() const
{
    QJsonObject object{
        {QStringLiteral("applicationIdentity"), applicationIdentity.toJson()},
        {QStringLiteral("windowTitle"), windowTitle},
    };
    if (extractedGameName) {
        object.insert(QStringLiteral("extractedGameName"), *extractedGameName);
    }
    if (representativeGameName) {
        object.insert(QStringLiteral("representativeGameName"), *representativeGameName);
    }
    return object;
}

GameTitleCacheEntry GameTitleCacheEntry::fromJson(const QJsonObject &object)
{
    GameTitleCacheEntry entry;
    entry.applicationIdentity
        = GameApplicationIdentity::fromJson(requireObject(object, QStringLiteral("applicationIdentity")));
    entry.windowTitle = requireString(object, QStringLiteral("windowTitle"));
    entry.extractedGameName = optionalString(object, QStringLiteral("extractedGameName"));
    entry.representativeGameName = optionalString(object, QStringLiteral("representativeGameName"));
    return entry;
}

bool operator==(const GameTitleCacheEntry &a, const GameTitleCacheEntry &b)
{
    const auto sameName = [](const std::optional<QString> &x, const std::optional<QString> &y) {
        return x.has_value() == y.has_value() && (!x || canonicallyEqual(*x, *y));
    };
    return a.applicationIdentity == b.applicationIdentity && canonicallyEqual(a.windowTitle, b.windowTitle)
        && sameName(a.extractedGameName, b.extractedGameName)
        && sameName(a.representativeGameName, b.representativeGameName);
}

QJsonObject GameTitleStoreDocument::toJson() const
{
    QJsonArray entryArray;
    for (const GameTitleCacheEntry &entry : entries) {
        entryArray.append(entry.toJson());
    }
    return {
        {QStringLiteral("schemaVersion"), static_cast<qint64>(schemaVersion)}, {QStringLiteral("entries"), entryArray}};
}

GameTitleStoreDocument GameTitleStoreDocument::fromJson(const QJsonObject &object)
{
    GameTitleStoreDocument document;
    document.schemaVersion = requireInt64(object, QStringLiteral("schemaVersion"));
    const QJsonArray entryArray = requireArray(object, QStringLiteral("entries"));
    document.entries.reserve(entryArray.size());
    for (const QJsonValue &value : entryArray) {
        document.entries.append(GameTitleCacheEntry::fromJson(requireObject(value, QStringLiteral("entries[]"))));
    }
    return document;
}

QByteArray GameTitleStoreDocument::encoded() const
{
    return writeJson(toJson(), {.prettyPrinted = true, .withoutEscapingSlashes = false});
}

void sortGameTitleCacheEntries(QVector<GameTitleCacheEntry> &entries)
{
    sortByApplicationAndTitle(entries);
}

} // namespace veyra
