#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// How a Google ID-token provider fails on its own account. cancelled has no text of its
// own: the user ended the flow, and callers show nothing for it.
class GoogleSignInError : public LocalizedError
{
public:
    enum class Kind {
        // The user cancelled, denied access, or never came back from the browser.
        cancelled,
        // The flow finished without an ID token.
        missingIDToken,
        // This build has no usable Google sign-in configuration.
        unavailable,
    };

    explicit GoogleSignInError(Kind kind);

    Kind kind() const { return m_kind; }

    bool operator==(const GoogleSignInError &other) const { return m_kind == other.m_kind; }

private:
    Kind m_kind;
};

} // namespace veyra
