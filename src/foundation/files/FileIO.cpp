#include "foundation/files/FileIO.h"

#include "foundation/language/LocalizedString.h"
#include "foundation/logging/Logger.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace veyra {

namespace {

const char *patternFor(FileAccessError::Kind kind)
{
    switch (kind) {
    case FileAccessError::Kind::readFailed:
        return QT_TRANSLATE_NOOP("Veyra", "The file “%@” couldn't be read.");
    case FileAccessError::Kind::folderCreationFailed:
        return QT_TRANSLATE_NOOP("Veyra", "The folder “%@” couldn't be created.");
    case FileAccessError::Kind::writeFailed:
        break;
    }
    return QT_TRANSLATE_NOOP("Veyra", "The file “%@” couldn't be saved.");
}

const char *const folderReason = QT_TRANSLATE_NOOP("Veyra", "It is a folder, not a file.");
const char *const specialFileReason
    = QT_TRANSLATE_NOOP("Veyra", "It is a named pipe, a device or a socket, not a regular file.");
const char *const danglingLinkReason = QT_TRANSLATE_NOOP("Veyra", "It is a link to “%@”, which doesn't exist.");
const char *const tooLargeReason = QT_TRANSLATE_NOOP("Veyra", "It is larger than %@ MB.");
const char *const shortWriteReason = QT_TRANSLATE_NOOP("Veyra", "Only %@ of %@ bytes could be written.");

// The system's reasons that Veyra words in the interface language, by their English text.
struct CommonSystemReason
{
    int errorNumber;
    const char *key;
};

const CommonSystemReason commonSystemReasons[] = {
    {ENOSPC, QT_TRANSLATE_NOOP("Veyra", "No space left on device")},
    {EROFS, QT_TRANSLATE_NOOP("Veyra", "Read-only file system")},
    {EACCES, QT_TRANSLATE_NOOP("Veyra", "Permission denied")},
    {EPERM, QT_TRANSLATE_NOOP("Veyra", "Operation not permitted")},
    {EDQUOT, QT_TRANSLATE_NOOP("Veyra", "Disk quota exceeded")},
    {EIO, QT_TRANSLATE_NOOP("Veyra", "Input/output error")},
};

QString megabytes(qint64 bytes)
{
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'g', 3);
}

// Refuses what is not a regular file (or a link to one), with the reason.
void requireRegularFileOrNothing(FileAccessError::Kind kind, const QString &path, FileNodeKind node)
{
    if (LocalizableText reason = whyNotARegularFile(path, node); !reason.isEmpty()) {
        throw FileAccessError(kind, path, std::move(reason));
    }
}

FileNodeKind kindOfStat(const struct stat &status)
{
    if (S_ISREG(status.st_mode)) {
        return FileNodeKind::regularFile;
    }
    if (S_ISDIR(status.st_mode)) {
        return FileNodeKind::folder;
    }
    return FileNodeKind::other;
}

} // namespace

LocalizableText systemReason(int errorNumber)
{
    for (const CommonSystemReason &reason : commonSystemReasons) {
        if (reason.errorNumber == errorNumber) {
            return LocalizableText::marked(reason.key);
        }
    }
    return qt_error_string(errorNumber);
}

LocalizableText systemReason(LocalizableText reason)
{
    // Qt words some reasons itself and leaves the others to strerror(), in the system's
    // language: each is compared with how both word it now.
    const QString text = reason.english();
    for (const CommonSystemReason &common : commonSystemReasons) {
        if (text == QLatin1String(common.key) || text == qt_error_string(common.errorNumber)) {
            return LocalizableText::marked(common.key);
        }
    }
    return reason;
}

FileAccessError::FileAccessError(Kind kind, QString path, LocalizableText detail)
    : Error(withDetail(formatPlaceholders(QString::fromUtf8(patternFor(kind)), {path}), systemReason(detail).english()))
    , m_kind(kind)
    , m_path(std::move(path))
    , m_detail(systemReason(std::move(detail)))
{ }

FileAccessError FileAccessError::withOwnReason(
    Kind kind, QString path, const char *detailKey, QStringList detailArguments)
{
    return FileAccessError(kind, std::move(path), LocalizableText::marked(detailKey, std::move(detailArguments)));
}

QString FileAccessError::localizedDescription() const
{
    return withDetail(localizedFormat(patternFor(m_kind), {QDir::toNativeSeparators(m_path)}), m_detail.localized());
}

LocalizableText whyNotARegularFile(const QString &path, FileNodeKind node)
{
    switch (node) {
    case FileNodeKind::folder:
        return LocalizableText::marked(folderReason);
    case FileNodeKind::danglingLink:
        return LocalizableText::marked(danglingLinkReason, {QFileInfo(path).symLinkTarget()});
    case FileNodeKind::other:
        return LocalizableText::marked(specialFileReason);
    case FileNodeKind::missing:
    case FileNodeKind::regularFile:
    case FileNodeKind::inaccessible:
        break;
    }
    return {};
}

FileNodeKind fileNodeKind(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat status
    { };
    if (::lstat(native.constData(), &status) != 0) {
        // ENOTDIR: a file stands where a folder on the way should be; nothing is at the path.
        return errno == ENOENT || errno == ENOTDIR ? FileNodeKind::missing : FileNodeKind::inaccessible;
    }
    if (!S_ISLNK(status.st_mode)) {
        return kindOfStat(status);
    }
    if (::stat(native.constData(), &status) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? FileNodeKind::danglingLink : FileNodeKind::inaccessible;
    }
    return kindOfStat(status);
}

QByteArray readWholeFile(const QString &path, qint64 maximumSize)
{
    requireRegularFileOrNothing(FileAccessError::Kind::readFailed, path, fileNodeKind(path));
    // Without blocking, so that a pipe put in the file's place since the look above does
    // not wait for a writer; what was opened is checked again.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) {
        throw FileAccessError(FileAccessError::Kind::readFailed, path, qt_error_string(errno));
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        throw FileAccessError(FileAccessError::Kind::readFailed, path, file.errorString());
    }
    struct stat status
    { };
    if (::fstat(descriptor, &status) != 0) {
        throw FileAccessError(FileAccessError::Kind::readFailed, path, qt_error_string(errno));
    }
    requireRegularFileOrNothing(FileAccessError::Kind::readFailed, path, kindOfStat(status));
    if (maximumSize >= 0 && status.st_size > maximumSize) {
        throw FileAccessError::withOwnReason(
            FileAccessError::Kind::readFailed, path, tooLargeReason, {megabytes(maximumSize)});
    }
    const QByteArray data = maximumSize >= 0 ? file.read(maximumSize + 1) : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw FileAccessError(FileAccessError::Kind::readFailed, path, file.errorString());
    }
    // The file grew after the look at its size.
    if (maximumSize >= 0 && data.size() > maximumSize) {
        throw FileAccessError::withOwnReason(
            FileAccessError::Kind::readFailed, path, tooLargeReason, {megabytes(maximumSize)});
    }
    return data;
}

void writeFileAtomically(const QString &path, const QByteArray &data)
{
    // QSaveFile would write into a pipe or a device directly and would create the target
    // of a link to nothing: only a regular file is replaced.
    requireRegularFileOrNothing(FileAccessError::Kind::writeFailed, path, fileNodeKind(path));
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        throw FileAccessError(FileAccessError::Kind::folderCreationFailed, folder);
    }
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk, a quota) shows in write()'s result:
    // through the buffer, QSaveFile would flush part of the data and commit a truncated file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw FileAccessError(FileAccessError::Kind::writeFailed, path, file.errorString());
    }
    if (const qint64 written = writeFully(file, data); written < data.size()) {
        const bool hasReason = file.error() != QFileDevice::NoError;
        const QString reason = file.errorString();
        file.cancelWriting();
        if (hasReason) {
            throw FileAccessError(FileAccessError::Kind::writeFailed, path, reason);
        }
        throw FileAccessError::withOwnReason(FileAccessError::Kind::writeFailed, path, shortWriteReason,
            {QString::number(written), QString::number(data.size())});
    }
    if (!file.commit()) {
        throw FileAccessError(FileAccessError::Kind::writeFailed, path, file.errorString());
    }
}

namespace {

const char *const keptChangingReason
    = QT_TRANSLATE_NOOP("Veyra", "Another program kept changing it while Veyra was saving it.");

// Whether the file at `path` holds now what a read found as `revision` (no file, for an
// empty one); `bytes`, when given, gets what it holds. A file that cannot be read is no
// longer what was read.
bool stillHolds(const QString &path, const QByteArray &revision, qint64 maximumSize, QByteArray *bytes)
{
    if (fileNodeKind(path) == FileNodeKind::missing) {
        return revision.isEmpty();
    }
    if (revision.isEmpty()) {
        return false;
    }
    QByteArray data;
    try {
        data = readWholeFile(path, maximumSize);
    } catch (const FileAccessError &) {
        return false;
    }
    if (fileRevisionOf(data) != revision) {
        return false;
    }
    if (bytes != nullptr) {
        *bytes = std::move(data);
    }
    return true;
}

// A new file beside `target` holding `data`, with `mode` as its permissions when given;
// its path. Throws FileAccessError for `path`, the file the player knows, leaving nothing.
QString writtenBeside(const QString &path, const QString &target, const QByteArray &data, std::optional<mode_t> mode)
{
    QString temporary;
    int descriptor = -1;
    for (int attempt = 0; descriptor < 0 && attempt < 100; ++attempt) {
        temporary = target + QLatin1Char('.') + QString::number(QRandomGenerator::global()->generate(), 36);
        descriptor = ::open(QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno != EEXIST) {
            break;
        }
    }
    if (descriptor < 0) {
        throw FileAccessError(FileAccessError::Kind::writeFailed, path, qt_error_string(errno));
    }
    const auto failed = [&temporary](FileAccessError error) {
        ::unlink(QFile::encodeName(temporary).constData());
        return error;
    };
    // The new file keeps the permissions the player gave the old one.
    if (mode && ::fchmod(descriptor, *mode) != 0) {
        const int reason = errno;
        ::close(descriptor);
        throw failed(FileAccessError(FileAccessError::Kind::writeFailed, path, qt_error_string(reason)));
    }
    QFile file;
    if (!file.open(descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        throw failed(FileAccessError(FileAccessError::Kind::writeFailed, path, file.errorString()));
    }
    if (const qint64 written = writeFully(file, data); written < data.size()) {
        if (file.error() != QFileDevice::NoError) {
            throw failed(FileAccessError(FileAccessError::Kind::writeFailed, path, file.errorString()));
        }
        throw failed(FileAccessError::withOwnReason(FileAccessError::Kind::writeFailed, path, shortWriteReason,
            {QString::number(written), QString::number(data.size())}));
    }
    // On the disk before it takes the old file's place, so that a power cut leaves one of the two whole.
    if (::fsync(descriptor) != 0) {
        throw failed(FileAccessError(FileAccessError::Kind::writeFailed, path, qt_error_string(errno)));
    }
    file.close();
    return temporary;
}

} // namespace

QByteArray fileRevisionOf(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

bool replaceFileIfStill(const QString &path, const QByteArray &data, const QByteArray &revision, qint64 maximumSize)
{
    // What the read found was a regular file or nothing: anything else came since.
    const FileNodeKind node = fileNodeKind(path);
    if (node != FileNodeKind::regularFile && node != FileNodeKind::missing) {
        return false;
    }
    const QFileInfo info(path);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : path;
    if (target.isEmpty()) {
        // A link that leads nowhere since the read.
        return false;
    }
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder)) {
        throw FileAccessError(FileAccessError::Kind::folderCreationFailed, folder);
    }
    std::optional<mode_t> mode;
    struct stat status
    { };
    if (::stat(QFile::encodeName(target).constData(), &status) == 0) {
        mode = status.st_mode & 07777;
    }
    const QString temporary = writtenBeside(path, target, data, mode);
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(target);
    // Compared at the last moment, so that what another program wrote since the read is
    // never replaced unseen.
    QByteArray current;
    const bool unchanged = stillHolds(path, revision, maximumSize, &current);
    if (!unchanged || (!revision.isEmpty() && current == data)) {
        ::unlink(from.constData());
        return unchanged;
    }
    int result = -1;
    if (revision.isEmpty()) {
        result = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (result != 0 && errno == EEXIST) {
            ::unlink(from.constData());
            return false;
        }
        // A file system that cannot tell (a network share, say) takes a plain rename.
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            result = ::rename(from.constData(), to.constData());
        }
    } else {
        result = ::rename(from.constData(), to.constData());
    }
    if (result != 0) {
        const int reason = errno;
        ::unlink(from.constData());
        throw FileAccessError(FileAccessError::Kind::writeFailed, path, qt_error_string(reason));
    }
    return true;
}

void saveMergedWithFileOnDisk(const QString &path, const std::function<bool()> &attempt)
{
    for (int round = 0; round < maximumMergeRounds; ++round) {
        if (attempt()) {
            return;
        }
    }
    throw FileAccessError::withOwnReason(FileAccessError::Kind::writeFailed, path, keptChangingReason);
}

void moveAside(const QString &path, const QString &aside)
{
    if (!QFile::rename(path, aside)) {
        throw FileAccessError(FileAccessError::Kind::writeFailed, path,
            QStringLiteral("the link could not be moved aside to %1").arg(aside));
    }
}

qint64 writeFully(QIODevice &device, const QByteArray &data)
{
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 count = device.write(data.constData() + written, data.size() - written);
        if (count <= 0) {
            return written;
        }
        written += count;
    }
    // A flush that writes part of the buffer fails; the next one goes on or gives the
    // system's reason.
    auto *file = qobject_cast<QFileDevice *>(&device);
    while (file != nullptr && file->bytesToWrite() > 0) {
        const qint64 before = file->bytesToWrite();
        if (!file->flush() && file->bytesToWrite() == before) {
            return written - before;
        }
    }
    return written;
}

namespace {

struct CopyName
{
    QString prefix;
    QString suffix;
};

CopyName copyName(const QString &name, const QString &label, bool keepSuffix)
{
    const qsizetype dot = keepSuffix ? name.lastIndexOf(QLatin1Char('.')) : -1;
    const QString base = dot > 0 ? name.left(dot) : name;
    return {base + QLatin1Char('.') + label + QLatin1Char('-'), dot > 0 ? name.mid(dot) : QString()};
}

// The time and the number within its second (1 for none) of a copy's name, or nothing
// when the name is no such copy.
std::optional<std::pair<QString, qint64>> copyStamp(const QString &candidate, const CopyName &copy)
{
    if (!candidate.startsWith(copy.prefix) || !candidate.endsWith(copy.suffix)) {
        return std::nullopt;
    }
    const QString middle
        = candidate.mid(copy.prefix.size(), candidate.size() - copy.prefix.size() - copy.suffix.size());
    constexpr qsizetype timeLength = 15; // yyyyMMdd-HHmmss
    if (middle.size() < timeLength) {
        return std::nullopt;
    }
    const QString time = middle.left(timeLength);
    for (qsizetype i = 0; i < timeLength; ++i) {
        const bool expected = i == 8 ? time[i] == QLatin1Char('-') : time[i].isDigit();
        if (!expected) {
            return std::nullopt;
        }
    }
    if (middle.size() == timeLength) {
        return std::make_pair(time, qint64(1));
    }
    if (middle[timeLength] != QLatin1Char('-')) {
        return std::nullopt;
    }
    bool ok = false;
    const QString digits = middle.mid(timeLength + 1);
    const qint64 number = digits.toLongLong(&ok);
    if (!ok || number < 2 || digits != QString::number(number)) {
        return std::nullopt;
    }
    return std::make_pair(time, number);
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

QString unusedNameAmong(
    const QStringList &names, const QString &name, const QString &label, const QDateTime &at, bool keepSuffix)
{
    const CopyName copy = copyName(name, label, keepSuffix);
    const QString time = at.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    qint64 highest = 0;
    for (const QString &candidate : names) {
        const auto stamp = copyStamp(candidate, copy);
        if (stamp && stamp->first == time) {
            highest = std::max(highest, stamp->second);
        }
    }
    const QString stem = copy.prefix + time;
    return highest == 0 ? stem + copy.suffix : stem + QLatin1Char('-') + QString::number(highest + 1) + copy.suffix;
}

QString unusedNameBeside(const QString &path, const QString &label, const QDateTime &at, bool keepSuffix)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath() + QLatin1Char('/');
    // Where nothing can be looked at, the first name is as good as any: writing it fails.
    QStringList taken = entriesOf(info.absolutePath());
    QString candidate = unusedNameAmong(taken, info.fileName(), label, at, keepSuffix);
    // Something may have come meanwhile under the name.
    while (fileNodeKind(folder + candidate) != FileNodeKind::missing
        && fileNodeKind(folder + candidate) != FileNodeKind::inaccessible) {
        taken.append(candidate);
        candidate = unusedNameAmong(taken, info.fileName(), label, at, keepSuffix);
    }
    return folder + candidate;
}

QStringList copiesNewestFirst(const QStringList &names, const QString &name, const QString &label, bool keepSuffix)
{
    const CopyName copy = copyName(name, label, keepSuffix);
    QList<std::pair<std::pair<QString, qint64>, QString>> copies;
    for (const QString &candidate : names) {
        if (const auto stamp = copyStamp(candidate, copy)) {
            copies.append({*stamp, candidate});
        }
    }
    std::sort(copies.begin(), copies.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QStringList newestFirst;
    for (const auto &entry : std::as_const(copies)) {
        newestFirst.append(entry.second);
    }
    return newestFirst;
}

void removeOlderCopiesBeside(const QString &path, const QString &label, bool keepSuffix, int keep)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath() + QLatin1Char('/');
    const QStringList copies = copiesNewestFirst(entriesOf(info.absolutePath()), info.fileName(), label, keepSuffix);
    for (qsizetype i = std::max(keep, 0); i < copies.size(); ++i) {
        const QString older = folder + copies[i];
        const FileNodeKind kind = fileNodeKind(older);
        if (kind == FileNodeKind::folder || kind == FileNodeKind::missing) {
            continue;
        }
        QFile file(older);
        if (!file.remove()) {
            qCWarning(Logger("FileIO")).noquote()
                << QStringLiteral("The older copy %1 couldn't be removed: %2").arg(older, file.errorString());
        }
    }
}

} // namespace veyra
