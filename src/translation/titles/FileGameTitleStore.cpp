#include "translation/titles/FileGameTitleStore.h"

#include "foundation/files/FileIO.h"
#include "foundation/identity/ApplicationFolder.h"
#include "foundation/json/JsonDecoding.h"

#include <QDateTime>
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
    const GameTitleStoreDocument document = loadDocument().value_or(GameTitleStoreDocument());
    for (const GameTitleCacheEntry &entry : document.entries) {
        if (entry.hasKey(key)) {
            return GameTitleResolution(entry.extractedGameName, entry.representativeGameName);
        }
    }
    return std::nullopt;
}

void FileGameTitleStore::save(const GameTitleResolution &resolution, const GameWindowProfileKey &key)
{
    const QString path = m_fileURL.toLocalFile();
    const GameTitleCacheEntry entry{
        key.applicationIdentity, key.windowTitle, resolution.extractedGameName(), resolution.representativeGameName()};
    // The entry goes into the file as it is when it is written: what another program (a
    // sync tool) put there since the read is read again and kept.
    saveMergedWithFileOnDisk(path, [this, &path, &entry, &key] {
        std::optional<QByteArray> storedBytes;
        const std::optional<GameTitleStoreDocument> loaded = loadDocument(&storedBytes);
        if (!loaded && QFileInfo(path).isSymLink()) {
            // The cache is rebuilt in a file of its own: whatever the link leads to (another
            // program's file, say) is not written over.
            const QString aside
                = unusedNameBeside(path, QStringLiteral("damaged"), QDateTime::currentDateTimeUtc(), false);
            moveAside(path, aside);
            removeOlderCopiesBeside(path, QStringLiteral("damaged"), false, keptDamagedCopies);
            qCWarning(m_logger).noquote() << QStringLiteral("Game-title cache %1 was a link to %2, which holds no "
                                                            "cache: the link was moved to %3")
                                                 .arg(path, QFileInfo(aside).symLinkTarget(), aside);
            storedBytes.reset();
        }
        GameTitleStoreDocument document = loaded.value_or(GameTitleStoreDocument());
        const auto existing = std::find_if(document.entries.begin(), document.entries.end(),
            [&key](const GameTitleCacheEntry &stored) { return stored.hasKey(key); });
        if (existing != document.entries.end()) {
            *existing = entry;
        } else {
            document.entries.append(entry);
        }
        sortGameTitleCacheEntries(document.entries);
        document.schemaVersion = GameTitleStoreDocument::currentSchemaVersion;
        return replaceFileIfStill(path, document.encoded(), storedBytes ? fileRevisionOf(*storedBytes) : QByteArray());
    });
}

std::optional<GameTitleStoreDocument> FileGameTitleStore::loadDocument(std::optional<QByteArray> *bytes) const
{
    const QString path = m_fileURL.toLocalFile();
    switch (fileNodeKind(path)) {
    case FileNodeKind::missing:
        return GameTitleStoreDocument();
    case FileNodeKind::danglingLink:
        // Holds no cache, as a link to another program's file: moved aside by the next save.
        qCCritical(m_logger).noquote() << QStringLiteral(
            "Game-title cache is invalid and will be rebuilt: %1 is a link to %2, which doesn't exist")
                                              .arg(path, QFileInfo(path).symLinkTarget());
        return std::nullopt;
    case FileNodeKind::regularFile:
    case FileNodeKind::folder:
    case FileNodeKind::other:
    case FileNodeKind::inaccessible:
        break;
    }
    const QByteArray data = readWholeFile(path);
    if (bytes != nullptr) {
        *bytes = data;
    }
    try {
        return decodeDocument(data);
    } catch (const DecodingError &error) {
        qCCritical(m_logger).noquote()
            << QStringLiteral("Game-title cache is invalid and will be rebuilt: %1").arg(error.localizedDescription());
        return std::nullopt;
    }
}

} // namespace veyra
