#include "notes/store/FileGameMemoStore.h"

#include "foundation/files/FileIO.h"
#include "foundation/identity/ApplicationFolder.h"
#include "foundation/json/JsonDecoding.h"
#include "notes/store/GameMemoStoreDocument.h"
#include "notes/store/GameMemoStoreError.h"

#include <QFileInfo>

namespace veyra {

FileGameMemoStore::Header FileGameMemoStore::Header::fromJson(const QJsonObject &object)
{
    return {requireInt64(object, QStringLiteral("schemaVersion"))};
}

FileGameMemoStore::FileGameMemoStore(QUrl fileURL)
    : m_fileURL(std::move(fileURL))
{ }

QUrl FileGameMemoStore::defaultFileURL()
{
    return QUrl::fromLocalFile(applicationFolderPath() + QStringLiteral("/game-memos.json"));
}

QVector<GameMemoEntry> FileGameMemoStore::load()
{
    const QString path = m_fileURL.toLocalFile();
    // A dangling link or a folder in the file's place is no missing file: reading it fails.
    if (!QFileInfo(path).exists() && !QFileInfo(path).isSymLink()) {
        return {};
    }
    const QByteArray data = readWholeFile(path);
    const QJsonObject object = decodeJsonObject(data);
    if (Header::fromJson(object).schemaVersion != GameMemoStoreDocument::currentSchemaVersion) {
        throw GameMemoStoreError(GameMemoStoreError::Kind::unsupportedSchema);
    }
    return GameMemoStoreDocument::fromJson(object).entries;
}

void FileGameMemoStore::save(const QVector<GameMemoEntry> &entries)
{
    // Refuses to replace a file it cannot read: that would lose its notes.
    load();
    GameMemoStoreDocument document;
    document.entries = entries;
    writeFileAtomically(m_fileURL.toLocalFile(), document.encoded());
}

} // namespace veyra
