#pragma once

namespace veyra {

// The outcome of restoring the saved session at launch.
enum class AuthenticationRestoreResult {
    // A stored refresh token gave a fresh pair.
    restored,
    // Nothing is stored, or the server refused the stored token (it has been deleted).
    noSession,
    // The server could not be reached or the keyring refused; the stored token stays.
    unavailable,
    // This build cannot sign in.
    notConfigured,
};

} // namespace veyra
