#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// A Google sign-in in the browser that failed for a reason other than the user's choice.
class GoogleAuthorizationError : public LocalizedError
{
public:
    enum class Kind {
        // No browser could be opened for the sign-in page.
        browserUnavailable,
        // The local address the browser returns to could not be opened.
        listenerUnavailable,
        // Google's token endpoint could not be reached.
        network,
        // Google refused the request (an error answer of the authorisation or the token
        // endpoint).
        refused,
    };

    explicit GoogleAuthorizationError(Kind kind);

    Kind kind() const { return m_kind; }

    bool operator==(const GoogleAuthorizationError &other) const { return m_kind == other.m_kind; }

private:
    Kind m_kind;
};

} // namespace veyra
