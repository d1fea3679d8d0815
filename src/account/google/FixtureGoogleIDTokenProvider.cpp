#include "account/google/FixtureGoogleIDTokenProvider.h"

namespace veyra {

QCoro::Task<QString> FixtureGoogleIDTokenProvider::idToken(QPointer<QWidget> presentingWindow, CancellationToken token)
{
    Q_UNUSED(presentingWindow);
    token.throwIfCancelled();
    co_return fixtureIDToken();
}

} // namespace veyra
