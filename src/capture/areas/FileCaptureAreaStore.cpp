#include "capture/areas/FileCaptureAreaStore.h"

#include "capture/areas/CaptureAreaStoreError.h"
#include "foundation/files/FileIO.h"
#include "foundation/identity/ApplicationFolder.h"
#include "foundation/json/JsonDecoding.h"
#include "foundation/logging/Logger.h"

#include <QFileInfo>

namespace veyra {

namespace {
bool sameKey(const CaptureAreaProfile &profile, const GameWindowProfileKey &key)
{
    return profile.key() == key;
}
} // namespace

FileCaptureAreaStore::FileCaptureAreaStore(QUrl fileURL)
    : m_fileURL(std::move(fileURL))
{ }

QUrl FileCaptureAreaStore::defaultFileURL()
{
    return QUrl::fromLocalFile(applicationFolderPath() + QStringLiteral("/capture-areas.json"));
}

QString FileCaptureAreaStore::filePath() const
{
    return m_fileURL.toLocalFile();
}

QString FileCaptureAreaStore::backupFilePath() const
{
    // Every replaced file keeps its own copy: "capture-areas.json.bak", then ".bak.2",
    // ".bak.3" and so on. A name is taken by anything there, a dangling link included.
    const QString first = filePath() + QStringLiteral(".bak");
    QString candidate = first;
    for (int number = 2;; ++number) {
        const QFileInfo info(candidate);
        if (!info.exists() && !info.isSymLink()) {
            return candidate;
        }
        candidate = first + QLatin1Char('.') + QString::number(number);
    }
}

std::optional<CaptureAreaProfile> FileCaptureAreaStore::profile(const GameWindowProfileKey &key)
{
    const CaptureAreaStoreDocument document = readDocument();
    for (const CaptureAreaProfile &stored : document.profiles) {
        if (sameKey(stored, key)) {
            return stored;
        }
    }
    return std::nullopt;
}

void FileCaptureAreaStore::save(const CaptureAreaProfile &profile)
{
    const GameWindowProfileKey key = profile.key();
    // The areas go into the file as it is when they are written: what another program (a
    // sync tool) put there since the read is read again and kept.
    // A read that fails is logged as such (by readDocument()), not again as a failed save.
    bool reading = false;
    const auto attempt = [this, &profile, &key, &reading] {
        QByteArray storedBytes;
        reading = true;
        CaptureAreaStoreDocument document = readDocument(&storedBytes);
        reading = false;
        bool replaced = false;
        for (CaptureAreaProfile &stored : document.profiles) {
            if (sameKey(stored, key)) {
                stored = profile;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            document.profiles.append(profile);
        }
        sortCaptureAreaProfiles(document.profiles);
        // The same areas saved again: the file (or what a link leads to) is not rewritten.
        const QByteArray data = document.encoded();
        if (data == storedBytes) {
            return true;
        }
        return replaceFileIfStill(filePath(), data, storedBytes.isEmpty() ? QByteArray() : fileRevisionOf(storedBytes));
    };
    try {
        saveMergedWithFileOnDisk(filePath(), attempt);
    } catch (const std::exception &error) {
        if (!reading) {
            qCCritical(Logger("CaptureAreaStore")).noquote()
                << QStringLiteral("The capture areas couldn't be saved in %1: %2")
                       .arg(filePath(), describeError(error));
        }
        throw;
    }
}

CaptureAreaStoreDocument FileCaptureAreaStore::readDocument(QByteArray *bytes) const
{
    try {
        return readDocumentOrThrow(bytes);
    } catch (const std::exception &error) {
        // The overlay shows only a short line of this: the log keeps the file and the reason.
        qCCritical(Logger("CaptureAreaStore")).noquote()
            << QStringLiteral("The capture areas in %1 couldn't be read: %2").arg(filePath(), describeError(error));
        throw;
    }
}

CaptureAreaStoreDocument FileCaptureAreaStore::readDocumentOrThrow(QByteArray *bytes) const
{
    const QString path = filePath();
    // Only when nothing at all is there: a link to nothing, a folder or a named pipe in the
    // file's place is refused by the read (and by the write, which would otherwise create
    // the link's target).
    if (fileNodeKind(path) == FileNodeKind::missing) {
        return {};
    }
    const QByteArray data = readWholeFile(path);
    QJsonObject object;
    CaptureAreaStoreDocument::DocumentHeader header;
    try {
        object = decodeJsonObject(data);
        header = CaptureAreaStoreDocument::DocumentHeader::fromJson(object);
    } catch (const DecodingError &) {
        // A damaged file of Veyra's own is refused and left as it is; a link to what is no
        // capture-area file of any version (another program's file) is itself moved aside,
        // what it leads to untouched, and the areas start anew in a file of their own.
        if (!QFileInfo(path).isSymLink()) {
            throw;
        }
        const QString target = QFileInfo(path).symLinkTarget();
        const QString aside = backupFilePath();
        moveAside(path, aside);
        qCWarning(Logger("CaptureAreaStore")).noquote()
            << QStringLiteral("The capture-area file %1 was a link to %2, which holds no capture areas: the link was "
                              "moved to %3.")
                   .arg(path, target, aside);
        return {};
    }
    if (header.schemaVersion < CaptureAreaStoreDocument::currentSchemaVersion) {
        // An older format cannot be carried over. Keep the player's file beside the new
        // one before replacing it, so nothing they drew disappears without a trace (an
        // earlier copy is never overwritten); when the copy cannot be made, the file
        // stays as it is and the failure is thrown.
        // A link is itself moved aside, so that what it leads to (perhaps no file of ours)
        // is not written over.
        if (QFileInfo(path).isSymLink()) {
            moveAside(path, backupFilePath());
        } else {
            writeFileAtomically(backupFilePath(), data);
        }
        const CaptureAreaStoreDocument empty;
        writeDocument(empty);
        if (bytes != nullptr) {
            *bytes = empty.encoded();
        }
        return empty;
    }
    if (header.schemaVersion > CaptureAreaStoreDocument::currentSchemaVersion) {
        throw CaptureAreaStoreError(CaptureAreaStoreError::Kind::unsupportedSchema);
    }
    if (header.coordinateMode != CaptureAreaStoreDocument::currentCoordinateMode()) {
        throw CaptureAreaStoreError(CaptureAreaStoreError::Kind::unsupportedCoordinateMode);
    }
    CaptureAreaStoreDocument document = CaptureAreaStoreDocument::fromJson(object);
    if (bytes != nullptr) {
        *bytes = data;
    }
    return document;
}

void FileCaptureAreaStore::writeDocument(const CaptureAreaStoreDocument &document) const
{
    writeFileAtomically(filePath(), document.encoded());
}

} // namespace veyra
