#pragma once

#include "account/profile/AccessAPIProviding.h"

namespace veyra {

// The profile client of a build without a server URL: every fetch fails with
// AccessClientError::invalidConfiguration.
class UnavailableAccessAPI : public AccessAPIProviding
{
public:
    QCoro::Task<CurrentUser> fetchCurrentUser(CancellationToken token) override;
};

} // namespace veyra
