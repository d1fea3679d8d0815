#include "capture/windows/ProcessInformation.h"

#include <QFile>

#include <unistd.h>

#include <array>

namespace veyra {

namespace {

QByteArray procPath(std::int32_t processID, const char *entry)
{
    return QByteArrayLiteral("/proc/") + QByteArray::number(processID) + '/' + entry;
}

} // namespace

std::optional<QUrl> processExecutableURL(std::int32_t processID)
{
    if (processID <= 0) {
        return std::nullopt;
    }
    std::array<char, 4096> buffer{};
    const ssize_t length = ::readlink(procPath(processID, "exe").constData(), buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        return std::nullopt;
    }
    QString path = QString::fromLocal8Bit(buffer.data(), static_cast<qsizetype>(length));
    // An executable replaced while running (an update) still names the same program.
    static const QString deleted = QStringLiteral(" (deleted)");
    if (path.endsWith(deleted)) {
        path.chop(deleted.size());
    }
    if (!path.startsWith(QLatin1Char('/'))) {
        return std::nullopt;
    }
    return QUrl::fromLocalFile(path);
}

QString processCommandName(std::int32_t processID)
{
    if (processID <= 0) {
        return {};
    }
    QFile file(QString::fromLocal8Bit(procPath(processID, "comm")));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.read(256)).trimmed();
}

} // namespace veyra
