#include "account/google/UnavailableGoogleIDTokenProvider.h"

#include "account/configuration/GoogleSignInError.h"

namespace veyra {

QCoro::Task<QString> UnavailableGoogleIDTokenProvider::idToken(
    QPointer<QWidget> presentingWindow, CancellationToken token)
{
    Q_UNUSED(presentingWindow);
    Q_UNUSED(token);
    throw GoogleSignInError(GoogleSignInError::Kind::unavailable);
    co_return QString();
}

} // namespace veyra
