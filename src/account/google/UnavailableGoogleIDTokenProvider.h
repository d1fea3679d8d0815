#pragma once

#include "account/google/GoogleIDTokenProviding.h"

namespace veyra {

// The provider of a build without a usable Google sign-in configuration: every sign-in
// fails with GoogleSignInError::unavailable, showing nothing; signing out does nothing.
class UnavailableGoogleIDTokenProvider : public GoogleIDTokenProviding
{
public:
    QCoro::Task<QString> idToken(QPointer<QWidget> presentingWindow, CancellationToken token) override;
    void signOut() override { }
};

} // namespace veyra
