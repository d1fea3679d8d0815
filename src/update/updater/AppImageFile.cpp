#include "update/updater/AppImageFile.h"

#include <QFile>
#include <QFileInfo>

namespace veyra {

namespace {

constexpr char appImageIdentification[] = {'\x7f', 'E', 'L', 'F', 0, 0, 0, 0, 'A', 'I', '\x02'};
constexpr qsizetype identificationSize = sizeof(appImageIdentification);
// Bytes 4 to 7 (class, byte order, version, ABI) vary between AppImages.
constexpr qsizetype variableFrom = 4;
constexpr qsizetype variableTo = 8;

} // namespace

bool hasAppImageHeader(QByteArrayView bytes)
{
    if (bytes.size() < identificationSize) {
        return false;
    }
    for (qsizetype index = 0; index < identificationSize; ++index) {
        if ((index < variableFrom || index >= variableTo) && bytes[index] != appImageIdentification[index]) {
            return false;
        }
    }
    return true;
}

bool isAppImageFile(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && hasAppImageHeader(file.read(identificationSize));
}

} // namespace veyra
