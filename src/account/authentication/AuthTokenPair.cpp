#include "account/authentication/AuthTokenPair.h"

#include "foundation/json/JsonDecoding.h"

namespace veyra {

AuthTokenPair AuthTokenPair::fromJson(const QByteArray &json)
{
    const QJsonObject object = decodeJsonObject(json);
    AuthTokenPair pair;
    pair.accessToken = requireString(object, QStringLiteral("access_token"));
    pair.refreshToken = requireString(object, QStringLiteral("refresh_token"));
    pair.tokenType = requireString(object, QStringLiteral("token_type"));
    pair.expiresIn = requireInt64(object, QStringLiteral("expires_in"));
    pair.refreshExpiresIn = requireInt64(object, QStringLiteral("refresh_expires_in"));
    return pair;
}

bool isUsableBearerToken(const QString &token)
{
    if (token.isEmpty()) {
        return false;
    }
    for (const QChar character : token) {
        if (character.unicode() <= 0x20 || character.unicode() >= 0x7f) {
            return false;
        }
    }
    return true;
}

} // namespace veyra
