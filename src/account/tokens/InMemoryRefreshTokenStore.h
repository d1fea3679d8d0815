#pragma once

#include "account/tokens/RefreshTokenStoring.h"

namespace veyra {

// The store of UI-testing mode: one token in memory, lost with the process. Never fails;
// an empty token is returned as it was saved.
class InMemoryRefreshTokenStore : public RefreshTokenStoring
{
public:
    explicit InMemoryRefreshTokenStore(std::optional<QString> token = std::nullopt);

    QCoro::Task<std::optional<QString>> load() override;
    QCoro::Task<void> save(QString token) override;
    QCoro::Task<void> deleteToken() override;

    const std::optional<QString> &token() const { return m_token; }

private:
    std::optional<QString> m_token;
};

} // namespace veyra
