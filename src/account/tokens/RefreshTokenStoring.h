#pragma once

#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

namespace veyra {

// Where the server's refresh token outlives the process: one secret, nothing else. The
// caller awaits each operation before the next. Failures are AuthenticationClientError:
// keychain (with the store's status) or invalidResponse (a stored value that is not a
// token). A store that stops waiting for a keyring that does not answer fails with an
// UnansweredKeychainError: the operation may still take effect later, and the error says
// when it has ended.
class RefreshTokenStoring
{
public:
    virtual ~RefreshTokenStoring() = default;

    // The stored token, or nothing when none is stored.
    virtual QCoro::Task<std::optional<QString>> load() = 0;
    // Stores the token in place of any earlier one.
    virtual QCoro::Task<void> save(QString token) = 0;
    // Removes the stored token; removing what is not there succeeds.
    virtual QCoro::Task<void> deleteToken() = 0;
};

} // namespace veyra
