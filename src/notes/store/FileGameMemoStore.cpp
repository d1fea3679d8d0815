#include "notes/store/FileGameMemoStore.h"

#include "foundation/files/FileIO.h"
#include "foundation/identity/ApplicationFolder.h"
#include "foundation/json/JsonDecoding.h"
#include "foundation/language/LocalizedString.h"
#include "notes/store/GameMemoStoreDocument.h"
#include "notes/store/GameMemoStoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace veyra {

namespace {

const QString keptAsideLabel = QStringLiteral("unsaved");

// The notes of a file in the notes file's format; a missing file holds none.
QVector<GameMemoEntry> readNotes(const QString &path)
{
    // A dangling link or a folder in the file's place is no missing file: reading it fails.
    if (fileNodeKind(path) == FileNodeKind::missing) {
        return {};
    }
    const QByteArray data = readWholeFile(path, FileGameMemoStore::maximumFileSize);
    try {
        const QJsonObject object = decodeJsonObject(data);
        if (FileGameMemoStore::Header::fromJson(object).schemaVersion != GameMemoStoreDocument::currentSchemaVersion) {
            throw GameMemoStoreError(GameMemoStoreError::Kind::unsupportedSchema);
        }
        return GameMemoStoreDocument::fromJson(object).entries;
    } catch (const GameMemoRuleError &error) {
        throw GameMemoStoreError(GameMemoStoreError::Kind::damaged, path, error.reason());
    } catch (const DecodingError &error) {
        throw GameMemoStoreError(GameMemoStoreError::Kind::damaged, path, error.message());
    }
}

// The documents of the notes, each at most maximumFileSize, so that every one can be read
// back: all in one when they fit, else halves of the list until each part fits (one note
// always fits: its text is bounded).
void appendReadableDocuments(const QVector<GameMemoEntry> &entries, QVector<QByteArray> &documents)
{
    GameMemoStoreDocument document;
    document.entries = entries;
    QByteArray data = document.encoded();
    if (data.size() <= FileGameMemoStore::maximumFileSize || entries.size() <= 1) {
        documents.append(std::move(data));
        return;
    }
    const qsizetype half = entries.size() / 2;
    appendReadableDocuments(entries.first(half), documents);
    appendReadableDocuments(entries.sliced(half), documents);
}

} // namespace

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
    return readNotes(m_fileURL.toLocalFile());
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

QStringList FileGameMemoStore::keepAside(
    const QVector<GameMemoEntry> &entries, const QDateTime &at, const QStringList &previous)
{
    QVector<QByteArray> documents;
    appendReadableDocuments(entries, documents);
    // One copy replaces the earlier one in one step. Several go to new files first: a
    // note that moves from one copy to another is never in neither, whenever the process
    // ends.
    const bool inPlace = documents.size() == 1 && !previous.isEmpty();
    QStringList written;
    for (const QByteArray &data : documents) {
        const QString path
            = inPlace ? previous.first() : unusedNameBeside(m_fileURL.toLocalFile(), keptAsideLabel, at, true);
        writeFileAtomically(path, data);
        written.append(path);
    }
    for (const QString &earlier : previous) {
        // What is left of an earlier copy holds nothing the new ones lack.
        if (!written.contains(earlier)) {
            QFile::remove(earlier);
        }
    }
    return written;
}

QVector<KeptGameMemoCopy> FileGameMemoStore::loadKeptAside()
{
    const QFileInfo file(m_fileURL.toLocalFile());
    const QString folder = file.absolutePath();
    if (fileNodeKind(folder) == FileNodeKind::missing) {
        return {};
    }
    const QDir directory(folder);
    if (!QFileInfo(folder).isReadable()) {
        throw FileAccessError(FileAccessError::Kind::readFailed, folder);
    }
    // The names unusedNameBeside() gives: "<base>.unsaved-<time>[-n]<suffix>".
    const QString name = file.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString prefix = (dot > 0 ? name.left(dot) : name) + QLatin1Char('.') + keptAsideLabel + QLatin1Char('-');
    const QString suffix = dot > 0 ? name.mid(dot) : QString();
    QVector<KeptGameMemoCopy> copies;
    const QStringList names
        = directory.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &candidate : names) {
        if (!candidate.startsWith(prefix) || !candidate.endsWith(suffix)
            || candidate.size() < prefix.size() + suffix.size() + 1) {
            continue;
        }
        KeptGameMemoCopy copy;
        copy.location = directory.filePath(candidate);
        try {
            copy.entries = readNotes(copy.location);
        } catch (...) {
            copy.error = std::current_exception();
        }
        copies.append(std::move(copy));
    }
    return copies;
}

void FileGameMemoStore::removeKeptAside(const QString &location)
{
    QFile file(location);
    if (!file.remove() && fileNodeKind(location) != FileNodeKind::missing) {
        throw FileAccessError(FileAccessError::Kind::writeFailed, location, file.errorString());
    }
}

QString FileGameMemoStore::location() const
{
    return m_fileURL.toLocalFile();
}

} // namespace veyra
