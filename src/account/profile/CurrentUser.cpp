#include "account/profile/CurrentUser.h"

#include "foundation/json/JsonDecoding.h"
#include "translation/titles/GameTitleResolution.h"

#include <QRegularExpression>

namespace veyra {

namespace {

QUuid requireUUID(const QJsonObject &object, const QString &key)
{
    static const QRegularExpression form(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    const QString text = requireString(object, key);
    if (!form.match(text).hasMatch()) {
        throw DecodingError(QStringLiteral("\"%1\" is not a UUID").arg(key));
    }
    return QUuid::fromString(text);
}

std::optional<QUrl> optionalURL(const QJsonObject &object, const QString &key)
{
    const std::optional<QString> text = optionalString(object, key);
    if (!text) {
        return std::nullopt;
    }
    const QUrl url(*text, QUrl::StrictMode);
    if (text->isEmpty() || !url.isValid() || url.isRelative()) {
        throw DecodingError(QStringLiteral("\"%1\" is not a URL").arg(key));
    }
    return url;
}

} // namespace

CurrentUser CurrentUser::fromJson(const QJsonObject &object)
{
    CurrentUser user;
    user.id = requireUUID(object, QStringLiteral("id"));
    user.email = requireString(object, QStringLiteral("email"));
    user.displayName = optionalString(object, QStringLiteral("display_name"));
    user.pictureURL = optionalURL(object, QStringLiteral("picture_url"));
    return user;
}

CurrentUser CurrentUser::fromJson(const QByteArray &json)
{
    return fromJson(decodeJsonObject(json));
}

QJsonObject CurrentUser::toJson() const
{
    QJsonObject object{
        {QStringLiteral("id"), id.toString(QUuid::WithoutBraces)},
        {QStringLiteral("email"), email},
    };
    if (displayName) {
        object.insert(QStringLiteral("display_name"), *displayName);
    }
    if (pictureURL) {
        object.insert(QStringLiteral("picture_url"), pictureURL->toString(QUrl::FullyEncoded));
    }
    return object;
}

} // namespace veyra
