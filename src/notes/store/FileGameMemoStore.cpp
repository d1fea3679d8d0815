#include "notes/store/FileGameMemoStore.h"

#include "foundation/files/FileIO.h"
#include "foundation/identity/ApplicationFolder.h"
#include "foundation/json/JsonDecoding.h"
#include "notes/store/GameMemoStoreDocument.h"
#include "notes/store/GameMemoStoreError.h"

#include <QtGlobal>

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
    if (fileNodeKind(path) == FileNodeKind::missing) {
        return {};
    }
    const QByteArray data = readWholeFile(path, maximumFileSize);
    try {
        const QJsonObject object = decodeJsonObject(data);
        if (Header::fromJson(object).schemaVersion != GameMemoStoreDocument::currentSchemaVersion) {
            throw GameMemoStoreError(GameMemoStoreError::Kind::unsupportedSchema);
        }
        return GameMemoStoreDocument::fromJson(object).entries;
    } catch (const DecodingError &error) {
        throw GameMemoStoreError(GameMemoStoreError::Kind::damaged, path, error.message());
    }
}

void FileGameMemoStore::save(const QVector<GameMemoEntry> &entries)
{
    // Refuses to replace a file it cannot read: that would lose its notes.
    load();
    GameMemoStoreDocument document;
    document.entries = entries;
    const QByteArray data = document.encoded();
    // A file this store would refuse to read is not written either.
    if (data.size() > maximumFileSize) {
        throw FileAccessError::withOwnReason(FileAccessError::Kind::writeFailed, m_fileURL.toLocalFile(),
            QT_TRANSLATE_NOOP("Veyra", "The notes would take more than %@ MB."),
            {QString::number(maximumFileSize / (1024 * 1024))});
    }
    writeFileAtomically(m_fileURL.toLocalFile(), data);
}

QString FileGameMemoStore::keepAside(
    const QVector<GameMemoEntry> &entries, const QDateTime &at, const QString &previous)
{
    const QString path = previous.isEmpty()
        ? unusedNameBeside(m_fileURL.toLocalFile(), QStringLiteral("unsaved"), at, true)
        : previous;
    GameMemoStoreDocument document;
    document.entries = entries;
    writeFileAtomically(path, document.encoded());
    return path;
}

QString FileGameMemoStore::location() const
{
    return m_fileURL.toLocalFile();
}

} // namespace veyra
