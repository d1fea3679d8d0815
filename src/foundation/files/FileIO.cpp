#include "foundation/files/FileIO.h"

#include "foundation/language/LocalizedString.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

QString withDetail(const QString &sentence, const QString &detail)
{
    return detail.isEmpty() ? sentence : sentence + QStringLiteral(" (") + detail + QLatin1Char(')');
}

} // namespace

FileAccessError::FileAccessError(Kind kind, QString path, QString detail)
    : Error(withDetail(formatPlaceholders(QString::fromUtf8(patternFor(kind)), {path}), detail))
    , m_kind(kind)
    , m_path(std::move(path))
    , m_detail(std::move(detail))
{ }

QString FileAccessError::localizedDescription() const
{
    return withDetail(localizedFormat(patternFor(m_kind), {QDir::toNativeSeparators(m_path)}), m_detail);
}

QByteArray readWholeFile(const QString &path)
{
    if (QFileInfo(path).isDir()) {
        throw FileAccessError(FileAccessError::Kind::readFailed, path, QStringLiteral("Is a directory"));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw FileAccessError(FileAccessError::Kind::readFailed, path, file.errorString());
    }
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw FileAccessError(FileAccessError::Kind::readFailed, path, file.errorString());
    }
    return data;
}

void writeFileAtomically(const QString &path, const QByteArray &data)
{
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
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw FileAccessError(FileAccessError::Kind::writeFailed, path, reason);
    }
    if (!file.commit()) {
        throw FileAccessError(FileAccessError::Kind::writeFailed, path, file.errorString());
    }
}

} // namespace veyra
