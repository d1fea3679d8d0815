#pragma once

#include "account/tokens/RefreshTokenStoring.h"

namespace veyra {

// Keeps the refresh token in the desktop's keyring (the Secret Service, through
// qtkeychain) as one secret under a service and an account name: the token's UTF-8 text,
// nothing else. Every operation goes to the keyring (nothing is cached) and runs without
// blocking the calling thread. The token is never written anywhere else: without a
// keyring, reading finds nothing and saving fails.
//
// - load: nothing when no secret is stored, or when the session has no Secret Service at
//   all (no bus, or no service running or startable); keychain(status) when the keyring
//   refuses; invalidResponse for a secret that is empty or not UTF-8.
// - save: keychain(status) when the keyring refuses, the absence of a keyring included.
// - deleteToken: succeeds when nothing is stored (or nothing can be); keychain(status)
//   otherwise.
// The statuses are qtkeychain's error codes.
class KeychainRefreshTokenStore : public RefreshTokenStoring
{
public:
    KeychainRefreshTokenStore(QString service, QString account);

    QCoro::Task<std::optional<QString>> load() override;
    QCoro::Task<void> save(QString token) override;
    QCoro::Task<void> deleteToken() override;

    const QString &service() const { return m_service; }
    const QString &account() const { return m_account; }

private:
    const QString m_service;
    const QString m_account;
};

} // namespace veyra
