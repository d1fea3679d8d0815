#pragma once

#include "account/authentication/AuthenticationClientError.h"

#include <QFuture>

#include <exception>

namespace veyra {

// A keyring operation the store stopped waiting for because the keyring had stopped
// answering: keychain(status) to the caller, but not a verdict. The keyring may still carry
// the operation out when it answers again; lateEnd() finishes when the operation has ended
// after all, with whether it succeeded (false, or cancelled, when that cannot be known).
class UnansweredKeychainError : public AuthenticationClientError
{
public:
    UnansweredKeychainError(qint32 status, QFuture<bool> lateEnd);

    const QFuture<bool> &lateEnd() const { return m_lateEnd; }

private:
    QFuture<bool> m_lateEnd;
};

// Whether the failure is a keyring operation that has not answered (and may still land).
bool isUnansweredKeychainFailure(const std::exception_ptr &failure);

} // namespace veyra
