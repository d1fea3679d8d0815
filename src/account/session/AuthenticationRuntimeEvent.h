#pragma once

#include <QHashFunctions>

namespace veyra {

// What the authorised session reports while requests run.
enum class AuthenticationRuntimeEvent {
    // The server refused the refresh token; the session has been cleared.
    sessionInvalid,
    // A refresh failed for another reason; the session stays as it was.
    unavailable,
    // A renewal's new refresh token could not be saved: the keyring refused it or did not
    // answer. The pair in memory is let go; the saved session stays (see the session).
    keyringUnavailable,
};

inline size_t qHash(AuthenticationRuntimeEvent event, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(event), seed);
}

} // namespace veyra
