#include "account/coordinator/AuthenticationCoordinator.h"

#include "account/authentication/AuthenticationClientError.h"
#include "account/tokens/UnansweredKeychainError.h"
#include "foundation/async/AsyncTask.h"

namespace veyra {

AuthenticationCoordinator::AuthenticationCoordinator(std::shared_ptr<ServerAuthenticationSession> session,
    std::shared_ptr<GoogleIDTokenProviding> googleProvider, std::shared_ptr<WebPageOpening> webPageOpener,
    QObject *parent)
    : QObject(parent)
    , m_session(std::move(session))
    , m_googleProvider(std::move(googleProvider))
    , m_webPageOpener(std::move(webPageOpener))
{ }

QCoro::Task<void> AuthenticationCoordinator::signInWithGoogle(
    QPointer<QWidget> presentingWindow, CancellationToken token)
{
    // Held for the whole sign-in, whatever becomes of the coordinator meanwhile.
    const std::shared_ptr<ServerAuthenticationSession> session = m_session;
    const std::shared_ptr<GoogleIDTokenProviding> provider = m_googleProvider;
    if (!session || !provider) {
        throw AuthenticationClientError(AuthenticationClientError::Kind::invalidConfiguration);
    }
    const QString idToken = co_await provider->idToken(std::move(presentingWindow), token);
    token.throwIfCancelled();
    const std::shared_ptr<AuthenticationAPIProviding> api = session->api();
    // The exchange is not cut off by a cancellation: the server may have opened a session
    // by then, and only its answer names the session to close.
    AuthTokenPair pair = co_await api->login(idToken, CancellationToken());
    const QString issuedRefreshToken = pair.refreshToken;
    std::exception_ptr failure;
    try {
        token.throwIfCancelled();
        co_await session->apply(std::move(pair), token);
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        // The server opened a session that this sign-in cannot keep (the keyring refused
        // the token, a sign-out came first, or the sign-in was cancelled, before or while
        // the token was saved): it is closed there rather than left open. A save the
        // keyring has not answered may still land: the session keeps that pair for it.
        if (!isUnansweredKeychainFailure(failure)) {
            session->revokeInBackground(issuedRefreshToken);
        }
        std::rethrow_exception(failure);
    }
}

void AuthenticationCoordinator::signOut()
{
    if (m_googleProvider) {
        m_googleProvider->signOut();
    }
    if (!m_session) {
        return;
    }
    startDetachedTask(
        this,
        [session = m_session](
            QPointer<AuthenticationCoordinator>) -> QCoro::Task<void> { co_await session->signOut(); },
        m_logger);
}

void forwardRuntimeEvents(AuthenticationEventRouter &router, AuthenticationCoordinator *coordinator)
{
    router.setOnEvent([weak = QPointer<AuthenticationCoordinator>(coordinator)](AuthenticationRuntimeEvent event) {
        if (!weak) {
            return;
        }
        const AuthenticationCoordinator::RuntimeEventHandler handler = weak->onRuntimeEvent();
        if (handler) {
            handler(event);
        }
    });
}

} // namespace veyra
