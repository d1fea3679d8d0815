#pragma once

#include "account/tokens/RefreshTokenStoring.h"

#include <QMap>

#include <chrono>

namespace veyra {

// Keeps the refresh token in the desktop's keyring (the Secret Service, through
// qtkeychain) as one secret under a service and an account name: the token's UTF-8 text,
// nothing else. Every operation goes to the keyring (nothing is cached) and runs without
// blocking the calling thread. The token is never written anywhere else: without a
// keyring, reading finds nothing and saving fails.
//
// A locked keyring is a failure, never an empty store: reading and saving have the Secret
// Service ask the user to unlock it (and wait for the answer); while it stays locked load,
// save and deleteToken fail with keychain(AccessDenied) and the secret stays as it was.
//
// - load: nothing when no secret is stored, or when the session has no Secret Service at
//   all (no bus, or no service that answers: none runs and the bus cannot start one);
//   keychain(status) when the keyring refuses or stays locked; invalidResponse for a
//   secret that is empty or not UTF-8.
// - save: keychain(status) when the keyring refuses, the absence of a keyring included.
// - deleteToken: succeeds when nothing is stored (or nothing can be); keychain(status)
//   otherwise, and when the secret is in a locked collection.
// The statuses are qtkeychain's error codes.
//
// A Secret Service that runs but does not answer (hung) is a keyring that fails, never an
// empty one: an operation that has not ended after answerCheckInterval asks the service a
// question of its own; without an answer within a few seconds more, the operation fails
// with keychain(notAnsweringStatus), an UnansweredKeychainError: the keyring may still
// carry it out once it answers again, and the error's late end says when the given-up
// operation has ended. Operations run one at a time in the order they began (qtkeychain
// queues them), so one that begins later takes effect later. A service that answers (an
// unlock prompt waiting for the user, say) is waited for.
class KeychainRefreshTokenStore : public RefreshTokenStoring
{
public:
    static constexpr std::chrono::milliseconds answerCheckInterval{5000};
    // qtkeychain's OtherError.
    static constexpr qint32 notAnsweringStatus = 7;

    KeychainRefreshTokenStore(QString service, QString account);

    QCoro::Task<std::optional<QString>> load() override;
    QCoro::Task<void> save(QString token) override;
    QCoro::Task<void> deleteToken() override;

    const QString &service() const { return m_service; }
    const QString &account() const { return m_account; }

private:
    QMap<QString, QString> secretAttributes() const;

    const QString m_service;
    const QString m_account;
};

} // namespace veyra
