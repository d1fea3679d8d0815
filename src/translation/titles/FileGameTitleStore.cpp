#include "translation/titles/FileGameTitleStore.h"

#include "foundation/files/FileIO.h"
#include "foundation/identity/ApplicationFolder.h"
#include "foundation/json/JsonDecoding.h"

#include <QFileInfo>

#include <algorithm>

namespace veyra {

namespace {
GameTitleStoreDocument decodeDocument(const QByteArray &data)
{
    GameTitleStoreDocument document = GameTitleStoreDocument::fromJson(decodeJsonObject(data));
    if (document.schemaVersion != GameTitleStoreDocument::currentSchemaVersion) {
        throw DecodingError(QStringLiteral("Unsupported game-title cache schema"));
    }
    return document;
}
} // namespace

FileGameTitleStore::FileGameTitleStore(QUrl fileURL, Logger logger)
    : m_fileURL(std::move(fileURL))
    , m_logger(std::move(logger))
{ }

QUrl FileGameTitleStore::defaultFileURL()
{
    return QUrl::fromLocalFile(applicationFolderPath() + QStringLiteral("/game-titles.json"));
}

std::optional<GameTitleResolution> FileGameTitleStore::resolution(const GameWindowProfileKey &key)
{
    const GameTitleStoreDocument document = loadDocument();
    for (const GameTitleCacheEntry &entry : document.entries) {
        if (entry.hasKey(key)) {
            return GameTitleResolution(entry.extractedGameName, entry.representativeGameName);
        }
    }
    return std::nullopt;
}

void FileGameTitleStore::save(const GameTitleResolution &resolution, const GameWindowProfileKey &key)
{
    GameTitleStoreDocument document = loadDocument();
    const GameTitleCacheEntry entry{
        key.applicationIdentity, key.windowTitle, resolution.extractedGameName(), resolution.representativeGameName()};
    const auto existing = std::find_if(document.entries.begin(), document.entries.end(),
        [&key](const GameTitleCacheEntry &stored) { return stored.hasKey(key); });
    if (existing != document.entries.end()) {
        *existing = entry;
    } else {
        document.entries.append(entry);
    }
    sortGameTitleCacheEntries(document.entries);
    document.schemaVersion = GameTitleStoreDocument::currentSchemaVersion;
    writeFileAtomically(m_fileURL.toLocalFile(), document.encoded());
}

GameTitleStoreDocument FileGameTitleStore::loadDocument() const
{
    const QString path = m_fileURL.toLocalFile();
    if (!QFileInfo::exists(path)) {
        return {};
    }
    const QByteArray data = readWholeFile(path);
    try {
        return decodeDocument(data);
    } catch (const DecodingError &error) {
        qCCritical(m_logger).noquote()
            << QStringLiteral("Game-title cache is invalid and will be rebuilt: %1").arg(error.localizedDescription());
        return {};
    }
}

} // namespace veyra
