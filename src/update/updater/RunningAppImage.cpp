#include "update/updater/RunningAppImage.h"

#include "update/updater/AppImageFile.h"

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>

namespace veyra {

namespace {

// Undoes the octal escapes (\040 for a space, \134 for a backslash ...) of a mountinfo field.
QString unescapedField(const QByteArray &field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype index = 0; index < field.size(); ++index) {
        const auto isOctal = [&](qsizetype at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[index] == '\\' && isOctal(index + 1) && isOctal(index + 2) && isOctal(index + 3)) {
            bytes.append(
                char(((field[index + 1] - '0') << 6) | ((field[index + 2] - '0') << 3) | (field[index + 3] - '0')));
            index += 3;
        } else {
            bytes.append(field[index]);
        }
    }
    return QFile::decodeName(bytes);
}

struct Mount
{
    QString type;
    QString source;
};

// The mount whose mount point is `directory`: the last one listed, which covers any
// earlier one at the same place.
std::optional<Mount> mountAt(const QString &directory, const QString &mountInfoPath)
{
    QFile file(mountInfoPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    std::optional<Mount> found;
    // "36 35 98:0 /root /mount/point options optional fields... - type source options"
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArrayList fields = line.split(' ');
        const qsizetype separator = fields.indexOf(QByteArray("-"));
        if (separator < 6 || fields.size() < separator + 3) {
            continue;
        }
        if (unescapedField(fields[4]) == directory) {
            found = Mount{unescapedField(fields[separator + 1]), unescapedField(fields[separator + 2])};
        }
    }
    return found;
}

// Whether the mount is the one the AppImage runtime makes of `image`. The type-2 runtime
// serves the image's file system itself through FUSE and names the FUSE program by the
// image's real path, so libfuse lists the mount with the type "fuse.<file name>" and the
// file name as its source (or the path, where a runtime sets the source itself). The name
// alone could be that of another file, which is why the caller also requires the running
// executable to come from this mount and the file to be an AppImage: together they tie
// $APPIMAGE to the mount the process runs from, with nothing but files anyone can read.
bool isMountOfImage(const Mount &mount, const QString &image)
{
    if (mount.type != QLatin1String("fuse") && !mount.type.startsWith(QLatin1String("fuse."))) {
        return false;
    }
    const QString name = QFileInfo(image).fileName();
    return mount.source == image || mount.source == name || mount.type == QLatin1String("fuse.") + name;
}

} // namespace

AppImageLaunch AppImageLaunch::ofThisProcess()
{
    return {qEnvironmentVariable("APPIMAGE"), qEnvironmentVariable("APPDIR"), QStringLiteral("/proc/self/exe"),
        QStringLiteral("/proc/self/mountinfo")};
}

std::optional<QString> runningAppImagePath(const AppImageLaunch &launch)
{
    if (launch.appImage.isEmpty() || launch.appDir.isEmpty()) {
        return std::nullopt;
    }
    const QString appDir = QFileInfo(launch.appDir).canonicalFilePath();
    const QString executable = QFileInfo(launch.executable).canonicalFilePath();
    const QString image = QFileInfo(launch.appImage).canonicalFilePath();
    if (appDir.isEmpty() || executable.isEmpty() || image.isEmpty()) {
        return std::nullopt;
    }
    if (!executable.startsWith(appDir + QLatin1Char('/'))) {
        return std::nullopt;
    }
    const std::optional<Mount> mount = mountAt(appDir, launch.mountInfo);
    if (!mount || !isMountOfImage(*mount, image) || !isAppImageFile(image)) {
        return std::nullopt;
    }
    return image;
}

} // namespace veyra
