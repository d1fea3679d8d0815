#pragma once

#include "foundation/async/CancellationToken.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <qcoro/qcorotask.h>

namespace veyra {

// Obtains a Google ID token for this application, to be exchanged at the service's server
// for its own token pair. GUI thread.
class GoogleIDTokenProviding
{
public:
    virtual ~GoogleIDTokenProviding() = default;

    // Runs Google sign-in on behalf of the window that asked for it and returns the ID
    // token (never empty). Throws GoogleSignInError (cancelled when the user ended the flow
    // without signing in), the sign-in's own errors, or CancellationError when the token
    // was cancelled.
    virtual QCoro::Task<QString> idToken(QPointer<QWidget> presentingWindow, CancellationToken token) = 0;

    // Forgets whatever the provider keeps of a signed-in Google user. Never fails.
    virtual void signOut() = 0;
};

} // namespace veyra
