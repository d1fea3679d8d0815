#pragma once

#include "account/profile/AccessAPIProviding.h"

namespace veyra {

// The profile of UI-testing mode: the fixture player, at once.
class FixtureAccessAPI : public AccessAPIProviding
{
public:
    static CurrentUser fixtureUser();

    QCoro::Task<CurrentUser> fetchCurrentUser(CancellationToken token) override;
};

} // namespace veyra
