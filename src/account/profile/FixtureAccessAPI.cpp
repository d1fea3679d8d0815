#include "account/profile/FixtureAccessAPI.h"

namespace veyra {

CurrentUser FixtureAccessAPI::fixtureUser()
{
    return CurrentUser{QUuid::fromString(QStringLiteral("11111111-2222-3333-4444-555555555555")),
        QStringLiteral("fixture.player@example.com"), QStringLiteral("Fixture Player"), std::nullopt};
}

QCoro::Task<CurrentUser> FixtureAccessAPI::fetchCurrentUser(CancellationToken token)
{
    token.throwIfCancelled();
    co_return fixtureUser();
}

} // namespace veyra
