#pragma once

namespace veyra {

// The outcome of restoring the saved session at launch.
enum class AuthenticationRestoreResult {
    // A stored refresh token gave a fresh pair.
    restored,
    // Nothing is stored, or the server refused the stored token (it has been deleted).
    noSession,
    // The server could not be reached; the stored token stays.
    unavailable,
    // The keyring refused or did not answer; the stored token stays.
    keyringUnavailable,
    // This build cannot sign in.
    notConfigured,
};

} // namespace veyra
