#pragma once

#include "account/google/GoogleIDTokenProviding.h"
#include "foundation/identity/AppIdentity.h"

#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>

namespace veyra {

// The OAuth client this build signs in with: a Google "Desktop app" client. Google treats
// its secret as public (it ships with the application) but its token endpoint wants it.
struct GoogleOAuthClient
{
    QString clientID;
    QString clientSecret;

    // "GIDClientID" and "GIDClientSecret" of the information dictionary (empty when absent).
    static GoogleOAuthClient fromInfoDictionary(const InfoDictionary &info);
};

// Where the browser signs in and where the code is redeemed.
struct GoogleOAuthEndpoints
{
    QUrl authorizationURL;
    QUrl tokenURL;

    // Google's own endpoints.
    static GoogleOAuthEndpoints google();

    // "GoogleAuthorizationURL" and "GoogleTokenURL" of the information dictionary (the
    // build writes Google's own; tests replace them with their loopback server's). Each
    // must obey the configured-URL rule (https, or http to 127.0.0.1 or localhost; no user,
    // query or fragment); one that is absent or blank is Google's, one that breaks the
    // rule is logged as an error and Google's too.
    static GoogleOAuthEndpoints fromInfoDictionary(const InfoDictionary &info);
};

// Google sign-in in the system browser (Qt NetworkAuth's authorisation-code flow): the
// browser opens Google's page, Google sends it back to a one-time listener on
// 127.0.0.1 (a free port, loopback only), and the code is redeemed with a PKCE (S256)
// verifier for tokens, of which the ID token is returned.
//
// - The state sent out must come back: a callback with another state is ignored.
// - The flow ends as GoogleSignInError::cancelled when the user denies access, when the
//   browser never comes back within the sign-in time-out, or when a new sign-in starts.
// - A token answer without an ID token is GoogleSignInError::missingIDToken; other
//   failures are GoogleAuthorizationError. Cancelling the call's token ends it with
//   CancellationError.
// Nothing is kept after a flow (the ID token is returned, the other tokens dropped), so
// signing out has nothing to forget.
class QtNetworkAuthGoogleIDTokenProvider : public QObject, public GoogleIDTokenProviding
{
    Q_OBJECT

public:
    // Opens a URL in the user's browser; false when it could not.
    using BrowserOpening = std::function<bool(const QUrl &)>;

    static constexpr std::chrono::milliseconds defaultSignInTimeout = std::chrono::minutes(5);

    explicit QtNetworkAuthGoogleIDTokenProvider(GoogleOAuthClient client, BrowserOpening openBrowser = {},
        GoogleOAuthEndpoints endpoints = GoogleOAuthEndpoints::google(),
        std::chrono::milliseconds signInTimeout = defaultSignInTimeout, QObject *parent = nullptr);
    ~QtNetworkAuthGoogleIDTokenProvider() override;

    QCoro::Task<QString> idToken(QPointer<QWidget> presentingWindow, CancellationToken token) override;
    void signOut() override { }

    const GoogleOAuthClient &client() const { return m_client; }
    const GoogleOAuthEndpoints &endpoints() const { return m_endpoints; }

    // The scopes asked for: the ID token and the account's e-mail and profile.
    static QString scope() { return QStringLiteral("openid email profile"); }

private:
    class Attempt;

    const GoogleOAuthClient m_client;
    const BrowserOpening m_openBrowser;
    const GoogleOAuthEndpoints m_endpoints;
    const std::chrono::milliseconds m_signInTimeout;
    QPointer<QObject> m_running;
};

} // namespace veyra
