#include "account/profile/UnavailableAccessAPI.h"

#include "account/profile/AccessClientError.h"

namespace veyra {

QCoro::Task<CurrentUser> UnavailableAccessAPI::fetchCurrentUser(CancellationToken token)
{
    Q_UNUSED(token);
    throw AccessClientError(AccessClientError::Kind::invalidConfiguration);
    co_return CurrentUser{};
}

} // namespace veyra
