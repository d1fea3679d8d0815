#include "support/StandInInfo.h"

#include "foundation/identity/AppIdentity.h"
#include "support/GoogleAuthorizationServer.h"
#include "support/MinimumVersionPolicyScript.h"
#include "support/ServiceStandIn.h"
#include "support/UpdateFeedScript.h"

#include <QJsonArray>

namespace veyra::test {

QJsonObject standInInfoOverrides(
    const ServiceStandIn &service, const GoogleAuthorizationServer &google, const StandInGoogleClient &client)
{
    const GoogleOAuthEndpoints endpoints = google.endpoints();
    return QJsonObject{
        {QStringLiteral("TranslationServerBaseURL"), service.url(QStringLiteral("/")).toString()},
        {QStringLiteral("WebAppBaseURL"), service.url(QStringLiteral("/web/")).toString()},
        {QStringLiteral("GoogleAuthenticationEnabled"), true},
        {QStringLiteral("GIDClientID"), client.id},
        {QStringLiteral("GIDClientSecret"), client.secret},
        {QStringLiteral("GIDServerClientID"), client.serverID},
        {QStringLiteral("GoogleReversedClientID"), client.reversedID},
        {QStringLiteral("CFBundleURLTypes"),
            QJsonArray{QJsonObject{
                {QStringLiteral("CFBundleURLName"), appBundleIdentifier() + QStringLiteral(".google-sign-in")},
                {QStringLiteral("CFBundleURLSchemes"), QJsonArray{client.reversedID}}}}},
        {QStringLiteral("GoogleAuthorizationURL"), endpoints.authorizationURL.toString()},
        {QStringLiteral("GoogleTokenURL"), endpoints.tokenURL.toString()},
        {QStringLiteral("MinimumVersionPolicyURL"), service.url(minimumVersionPolicyPath).toString()},
        {QStringLiteral("SUPublicEDKey"), QString::fromLatin1(testPolicySigningKey().publicKeyBase64())},
        {QStringLiteral("SUFeedURL"), service.url(updateFeedPath).toString()},
    };
}

} // namespace veyra::test
