#include "update/policy/AcceptedMinimumVersionPolicy.h"

#include "foundation/json/JsonDecoding.h"

#include <QJsonDocument>

namespace veyra {

QByteArray AcceptedMinimumVersionPolicy::toJson() const
{
    const QJsonObject object{
        {QStringLiteral("revision"), revision},
        {QStringLiteral("digest"), digest},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

AcceptedMinimumVersionPolicy AcceptedMinimumVersionPolicy::fromJson(const QByteArray &json)
{
    const QJsonObject object = decodeJsonObject(json);
    return {
        requireInt64(object, QStringLiteral("revision")),
        requireString(object, QStringLiteral("digest")),
    };
}

} // namespace veyra
