#pragma once

#include <QJsonObject>
#include <QString>

namespace veyra::test {

class GoogleAuthorizationServer;
class ServiceStandIn;

// The Google sign-in client a run of Veyra against the stand-ins is configured with.
struct StandInGoogleClient
{
    QString id;
    QString secret;
    QString reversedID;
    QString serverID;
};

// Veyra's configuration pointed at the stand-ins: the service (translation server and web
// app), Google's sign-in for `client`, the signed minimum-version policy and the update
// feed, all at `service`'s and `google`'s addresses.
QJsonObject standInInfoOverrides(
    const ServiceStandIn &service, const GoogleAuthorizationServer &google, const StandInGoogleClient &client);

} // namespace veyra::test
