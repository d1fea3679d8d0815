#include "account/tokens/UnansweredKeychainError.h"

namespace veyra {

UnansweredKeychainError::UnansweredKeychainError(qint32 status, QFuture<bool> lateEnd)
    : AuthenticationClientError(AuthenticationClientError::keychain(status))
    , m_lateEnd(std::move(lateEnd))
{ }

bool isUnansweredKeychainFailure(const std::exception_ptr &failure)
{
    if (!failure) {
        return false;
    }
    try {
        std::rethrow_exception(failure);
    } catch (const UnansweredKeychainError &) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace veyra
