#include "update/version/AvailableAppUpdate.h"

#include "foundation/json/JsonDecoding.h"

#include <QJsonDocument>

namespace veyra {

QByteArray AvailableAppUpdate::toJson() const
{
    const QJsonObject object{
        {QStringLiteral("displayVersion"), displayVersion},
        {QStringLiteral("buildVersion"), buildVersion},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

AvailableAppUpdate AvailableAppUpdate::fromJson(const QByteArray &json)
{
    const QJsonObject object = decodeJsonObject(json);
    return {
        requireString(object, QStringLiteral("displayVersion")),
        requireString(object, QStringLiteral("buildVersion")),
    };
}

} // namespace veyra
