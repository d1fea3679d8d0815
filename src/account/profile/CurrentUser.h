#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

namespace veyra {

// The signed-in account as the server describes it.
struct CurrentUser
{
    QUuid id;
    QString email;
    std::optional<QString> displayName;
    std::optional<QUrl> pictureURL;

    // "id" (a UUID in its 36-character text form) and "email" are required strings;
    // "display_name" and "picture_url" may be absent or null, else a string (the picture a
    // valid absolute URL). Other keys are ignored. Throws DecodingError.
    static CurrentUser fromJson(const QJsonObject &object);
    static CurrentUser fromJson(const QByteArray &json);
    // "id" and "email" always, the optional keys only when present.
    QJsonObject toJson() const;

    bool operator==(const CurrentUser &) const = default;
};

} // namespace veyra
