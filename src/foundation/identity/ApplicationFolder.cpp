#include "foundation/identity/ApplicationFolder.h"

#include "foundation/identity/AppIdentity.h"

#include <QDir>
#include <QStandardPaths>

namespace veyra {

QString applicationFolderPath(const QString &dataLocation, bool debugBuild)
{
    QString base = dataLocation;
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.local/share");
    }
    const QString folder = debugBuild ? QStringLiteral("Obrisk Debug") : QStringLiteral("Obrisk");
    return QDir::cleanPath(base + QLatin1Char('/') + folder);
}

QString applicationFolderPath()
{
    return applicationFolderPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation), isDebugBuild());
}

} // namespace veyra
