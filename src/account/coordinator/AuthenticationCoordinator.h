#pragma once

#include "account/google/GoogleIDTokenProviding.h"
#include "account/session/AuthenticationEventRouter.h"
#include "account/session/ServerAuthenticationSession.h"
#include "account/web/WebPageOpening.h"
#include "foundation/logging/Logger.h"

#include <QObject>

#include <functional>
#include <memory>

namespace veyra {

// Joins the authentication parts for the application session (GUI thread): signs in with
// Google and signs out. It changes no phase and shows nothing; its caller decides what an
// outcome means. The session, the provider and the opener are used directly too.
class AuthenticationCoordinator : public QObject
{
    Q_OBJECT

public:
    using RuntimeEventHandler = std::function<void(AuthenticationRuntimeEvent)>;

    AuthenticationCoordinator(std::shared_ptr<ServerAuthenticationSession> session,
        std::shared_ptr<GoogleIDTokenProviding> googleProvider, std::shared_ptr<WebPageOpening> webPageOpener,
        QObject *parent = nullptr);

    const RuntimeEventHandler &onRuntimeEvent() const { return m_onRuntimeEvent; }
    void setOnRuntimeEvent(RuntimeEventHandler handler) { m_onRuntimeEvent = std::move(handler); }

    const std::shared_ptr<ServerAuthenticationSession> &session() const { return m_session; }
    const std::shared_ptr<GoogleIDTokenProviding> &googleProvider() const { return m_googleProvider; }
    const std::shared_ptr<WebPageOpening> &webPageOpener() const { return m_webPageOpener; }

    // Asks the provider for a Google ID token for the window, exchanges it at the server
    // (login) and has the session apply the pair (the refresh token is saved). Every error
    // passes through unchanged (GoogleSignInError::cancelled included);
    // invalidConfiguration without a session or a provider. A pair the session could not
    // take is revoked at the server in the background, except one whose save the keyring
    // has not answered (an UnansweredKeychainError): the session keeps it for the keyring,
    // and a restore signs in with it once the keyring answers. Cancelling the token ends the
    // sign-in with nothing kept, whatever stage it reached: the browser flow is stopped; an
    // exchange already sent is let finish so that the session it opened can be revoked; a
    // token being saved is deleted again once saved, and the pair revoked.
    QCoro::Task<void> signInWithGoogle(QPointer<QWidget> presentingWindow, CancellationToken token = {});

    // Signs the provider out at once and the session in the background (cleared locally,
    // then revoked at the server); waits for nothing and reports nothing.
    void signOut();

private:
    RuntimeEventHandler m_onRuntimeEvent;
    const std::shared_ptr<ServerAuthenticationSession> m_session;
    const std::shared_ptr<GoogleIDTokenProviding> m_googleProvider;
    const std::shared_ptr<WebPageOpening> m_webPageOpener;
    Logger m_logger{"Authentication"};
};

// Points the router's handler at the coordinator's run-time event handler. The router
// (held by the session) holds the coordinator weakly: an event after the coordinator is
// gone, or while it has no handler, is dropped.
void forwardRuntimeEvents(AuthenticationEventRouter &router, AuthenticationCoordinator *coordinator);

} // namespace veyra
