#pragma once

#include "support/ServiceStandIn.h"

#include <QJsonObject>

namespace veyra::test {

// The authentication endpoints of the service, as the stand-in serves them.
inline const QString loginPath = QStringLiteral("/v1/app/auth/google/login");
inline const QString refreshPath = QStringLiteral("/v1/app/auth/refresh");
inline const QString logoutPath = QStringLiteral("/v1/app/auth/logout");

// A well-formed token pair answer.
inline QJsonObject tokenPairAnswer(const QString &accessToken, const QString &refreshToken, qint64 expiresIn = 3600,
    const QString &tokenType = QStringLiteral("Bearer"))
{
    return QJsonObject{
        {QStringLiteral("access_token"), accessToken},
        {QStringLiteral("refresh_token"), refreshToken},
        {QStringLiteral("token_type"), tokenType},
        {QStringLiteral("expires_in"), expiresIn},
        {QStringLiteral("refresh_expires_in"), 2592000},
    };
}

// The server's error envelope.
inline QJsonObject errorEnvelope(const QString &code, const QString &message = QStringLiteral("Refused."))
{
    return QJsonObject{
        {QStringLiteral("detail"), QJsonObject{{QStringLiteral("code"), code}, {QStringLiteral("message"), message}}}};
}

// A protected endpoint: 200 with the body "ok" for the bearer token given, 401 otherwise.
inline ServiceStandIn::Responder acceptingBearer(const QByteArray &accessToken)
{
    return [accessToken](const RecordedRequest &request) {
        if (request.header("Authorization") == "Bearer " + accessToken) {
            return ScriptedResponse::raw(200, "ok", "text/plain");
        }
        return ScriptedResponse::raw(401, R"({"detail":{"code":"unauthorized","message":"No."}})");
    };
}

} // namespace veyra::test
