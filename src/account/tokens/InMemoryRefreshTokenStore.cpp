#include "account/tokens/InMemoryRefreshTokenStore.h"

namespace veyra {

InMemoryRefreshTokenStore::InMemoryRefreshTokenStore(std::optional<QString> token)
    : m_token(std::move(token))
{ }

QCoro::Task<std::optional<QString>> InMemoryRefreshTokenStore::load()
{
    // A copy: QCoro moves from an lvalue given to co_return.
    co_return std::optional<QString>(m_token);
}

QCoro::Task<void> InMemoryRefreshTokenStore::save(QString token)
{
    m_token = std::move(token);
    co_return;
}

QCoro::Task<void> InMemoryRefreshTokenStore::deleteToken()
{
    m_token.reset();
    co_return;
}

} // namespace veyra
