#include "notes/store/FileGameMemoStore.h"

#include "foundation/files/FileIO.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/identity/ApplicationFolder.h"
#include "foundation/json/JsonDecoding.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/logging/Logger.h"
#include "notes/store/GameMemoStoreDocument.h"
#include "notes/store/GameMemoStoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <exception>
#include <optional>

namespace veyra {

namespace {

const QString keptAsideLabel = QStringLiteral("unsaved");

// The document that the bytes of a notes file hold, named in errors as the file at `path`.
// `foreign` is set when they are no notes file of any version (not JSON, not an object, no
// schema version): another program's file rather than a damaged one of Veyra's.
GameMemoStoreDocument decodeDocument(const QString &path, const QByteArray &data, bool *foreign = nullptr)
{
    QJsonObject object;
    std::int64_t schemaVersion = 0;
    try {
        object = decodeJsonObject(data);
        schemaVersion = FileGameMemoStore::Header::fromJson(object).schemaVersion;
    } catch (const DecodingError &error) {
        if (foreign != nullptr) {
            *foreign = true;
        }
        throw GameMemoStoreError(GameMemoStoreError::Kind::damaged, path, error.message());
    }
    if (schemaVersion != GameMemoStoreDocument::currentSchemaVersion) {
        throw GameMemoStoreError(GameMemoStoreError::Kind::unsupportedSchema);
    }
    try {
        return GameMemoStoreDocument::fromJson(object);
    } catch (const GameMemoRuleError &error) {
        throw GameMemoStoreError(GameMemoStoreError::Kind::damaged, path, error.reason());
    } catch (const DecodingError &error) {
        throw GameMemoStoreError(GameMemoStoreError::Kind::damaged, path, error.message());
    }
}

// The document of a file in the notes file's format; a missing file holds no notes.
// `bytes`, when given, gets what the file held; `foreign` is as decodeDocument() sets it,
// `missing` is set when there is no file.
GameMemoStoreDocument readDocument(
    const QString &path, QByteArray *bytes = nullptr, bool *foreign = nullptr, bool *missing = nullptr)
{
    // A dangling link or a folder in the file's place is no missing file: reading it fails.
    if (fileNodeKind(path) == FileNodeKind::missing) {
        if (missing != nullptr) {
            *missing = true;
        }
        return {};
    }
    QByteArray data = readWholeFile(path, FileGameMemoStore::maximumFileSize);
    GameMemoStoreDocument document = decodeDocument(path, data, foreign);
    if (bytes != nullptr) {
        *bytes = std::move(data);
    }
    return document;
}

// Refuses to write a document that the store would refuse to read.
void requireReadableSize(const QString &path, const QByteArray &data)
{
    if (data.size() > FileGameMemoStore::maximumFileSize) {
        throw FileAccessError::withOwnReason(FileAccessError::Kind::writeFailed, path,
            QT_TRANSLATE_NOOP("Veyra", "The notes would take more than %@ MB."),
            {QString::number(FileGameMemoStore::maximumFileSize / (1024 * 1024))});
    }
}

QByteArray encodedNotes(
    const QVector<GameMemoEntry> &entries, const std::optional<QVector<GameMemoEntry>> &lastRead = std::nullopt)
{
    GameMemoStoreDocument document;
    document.entries = entries;
    if (lastRead) {
        // What was read of these notes, no more.
        QSet<GameWindowProfileKey> keys;
        for (const GameMemoEntry &entry : entries) {
            keys.insert(entry.key);
        }
        document.lastRead.emplace();
        for (const GameMemoEntry &entry : *lastRead) {
            if (keys.contains(entry.key)) {
                document.lastRead->append(entry);
            }
        }
    }
    return document.encoded();
}

// The documents of the notes, each at most maximumFileSize, so that every one can be read
// back: all in one when they fit, else halves of the list until each part fits (one note
// always fits, with what was read of it: its text is bounded).
void appendReadableDocuments(const QVector<GameMemoEntry> &entries,
    const std::optional<QVector<GameMemoEntry>> &lastRead, QVector<QByteArray> &documents)
{
    QByteArray data = encodedNotes(entries, lastRead);
    if (data.size() <= FileGameMemoStore::maximumFileSize || entries.size() <= 1) {
        documents.append(std::move(data));
        return;
    }
    const qsizetype half = entries.size() / 2;
    appendReadableDocuments(entries.first(half), lastRead, documents);
    appendReadableDocuments(entries.sliced(half), lastRead, documents);
}

} // namespace

FileGameMemoStore::Header FileGameMemoStore::Header::fromJson(const QJsonObject &object)
{
    return {requireInt64(object, QStringLiteral("schemaVersion"))};
}

FileGameMemoStore::FileGameMemoStore(QUrl fileURL, QStringList fallbackFolders)
    : m_fileURL(std::move(fileURL))
    , m_fallbackFolders(std::move(fallbackFolders))
{ }

QUrl FileGameMemoStore::defaultFileURL()
{
    return QUrl::fromLocalFile(applicationFolderPath() + QStringLiteral("/game-memos.json"));
}

QStringList FileGameMemoStore::defaultFallbackFolders()
{
    // Relative paths in these variables are to be ignored.
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state)) {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    QStringList folders{applicationFolderPath(state, isDebugBuild())};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime)) {
        folders.append(applicationFolderPath(runtime, isDebugBuild()));
    }
    return folders;
}

QVector<GameMemoEntry> FileGameMemoStore::load()
{
    return loadFile(nullptr);
}

StoredGameMemos FileGameMemoStore::read()
{
    bool missing = false;
    QByteArray bytes;
    QVector<GameMemoEntry> entries = loadFile(&bytes, &missing);
    if (missing) {
        return {};
    }
    return {std::move(entries), fileRevisionOf(bytes)};
}

QVector<GameMemoEntry> FileGameMemoStore::loadFile(QByteArray *bytes, bool *missing)
{
    const QString path = location();
    bool foreign = false;
    try {
        return readDocument(path, bytes, &foreign, missing).entries;
    } catch (const GameMemoStoreError &) {
        // A damaged file of Veyra's own is left as it is, through a link too.
        if (!foreign || !QFileInfo(path).isSymLink()) {
            throw;
        }
    }
    // A link to another program's file: the link itself goes aside, so that nothing is
    // ever written over what it leads to, and the notes start anew in a file of their own.
    const QString target = QFileInfo(path).symLinkTarget();
    const QString aside = unusedNameBeside(path, QStringLiteral("damaged"), QDateTime::currentDateTimeUtc(), false);
    moveAside(path, aside);
    removeOlderCopiesBeside(path, QStringLiteral("damaged"), false, keptDamagedCopies);
    qCWarning(Logger("GameMemoStore")).noquote()
        << QStringLiteral("The game notes file %1 was a link to %2, which holds no game notes: the link was moved to "
                          "%3, and the notes are kept in a file of their own.")
               .arg(path, target, aside);
    if (missing != nullptr) {
        *missing = true;
    }
    return {};
}

void FileGameMemoStore::save(const QVector<GameMemoEntry> &entries)
{
    // Refuses to replace a file it cannot read: that would lose its notes.
    QByteArray current;
    loadFile(&current);
    const QByteArray data = encodedNotes(entries);
    requireReadableSize(location(), data);
    // Nothing changed: the file (or what a link leads to) is not written again.
    if (data == current) {
        return;
    }
    writeFileAtomically(location(), data);
}

bool FileGameMemoStore::saveIfUnchanged(const QVector<GameMemoEntry> &entries, const QByteArray &revision)
{
    const QByteArray data = encodedNotes(entries);
    requireReadableSize(location(), data);
    return replaceFileIfStill(location(), data, revision, maximumFileSize);
}

bool FileGameMemoStore::canHold(const QVector<GameMemoEntry> &entries) const
{
    return encodedNotes(entries).size() <= maximumFileSize;
}

QStringList FileGameMemoStore::keptAsideFolders() const
{
    QStringList folders{QDir::cleanPath(QFileInfo(location()).absolutePath())};
    for (const QString &folder : m_fallbackFolders) {
        const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
        if (!folders.contains(clean)) {
            folders.append(clean);
        }
    }
    return folders;
}

QStringList FileGameMemoStore::keepAside(const QVector<GameMemoEntry> &entries,
    const std::optional<QVector<GameMemoEntry>> &lastRead, const QDateTime &at, const QStringList &previous)
{
    QVector<QByteArray> documents;
    appendReadableDocuments(entries, lastRead, documents);
    const QString fileName = QFileInfo(location()).fileName();
    std::exception_ptr firstFailure;
    for (const QString &folder : keptAsideFolders()) {
        // One copy replaces the earlier one of its folder in one step. Several go to new
        // files first: a note that moves from one copy to another is never in neither,
        // whenever the process ends.
        const bool inPlace = documents.size() == 1 && !previous.isEmpty()
            && QDir::cleanPath(QFileInfo(previous.first()).absolutePath()) == folder;
        QStringList written;
        try {
            for (const QByteArray &data : documents) {
                const QString path = inPlace
                    ? previous.first()
                    : unusedNameBeside(folder + QLatin1Char('/') + fileName, keptAsideLabel, at, true);
                writeFileAtomically(path, data);
                written.append(path);
            }
        } catch (...) {
            if (!firstFailure) {
                firstFailure = std::current_exception();
            }
            // The next folder takes all of them; what this one took of them goes.
            for (const QString &part : std::as_const(written)) {
                if (!previous.contains(part)) {
                    QFile::remove(part);
                }
            }
            continue;
        }
        for (const QString &earlier : previous) {
            // What is left of an earlier copy holds nothing the new ones lack.
            if (!written.contains(earlier) && !QFile::remove(earlier)) {
                // Read back with the new ones at the next start, it could bring back an
                // older text of a note.
                qCWarning(Logger("GameMemoStore")).noquote()
                    << QStringLiteral("The earlier copy of unsaved game notes %1 couldn't be removed.").arg(earlier);
            }
        }
        return written;
    }
    std::rethrow_exception(firstFailure);
}

QVector<KeptGameMemoCopy> FileGameMemoStore::loadKeptAside()
{
    // The names unusedNameBeside() gives: "<base>.unsaved-<time>[-n]<suffix>".
    const QString name = QFileInfo(location()).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString prefix = (dot > 0 ? name.left(dot) : name) + QLatin1Char('.') + keptAsideLabel + QLatin1Char('-');
    const QString suffix = dot > 0 ? name.mid(dot) : QString();
    QVector<KeptGameMemoCopy> copies;
    const QStringList folders = keptAsideFolders();
    for (const QString &folder : folders) {
        if (fileNodeKind(folder) == FileNodeKind::missing) {
            continue;
        }
        if (!QFileInfo(folder).isReadable()) {
            const FileAccessError error(FileAccessError::Kind::readFailed, folder);
            if (folder == folders.first()) {
                throw error;
            }
            copies.append({folder, {}, std::nullopt, std::make_exception_ptr(error)});
            continue;
        }
        const QDir directory(folder);
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
                GameMemoStoreDocument document = readDocument(copy.location);
                copy.entries = std::move(document.entries);
                copy.lastRead = std::move(document.lastRead);
            } catch (...) {
                copy.error = std::current_exception();
            }
            copies.append(std::move(copy));
        }
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
