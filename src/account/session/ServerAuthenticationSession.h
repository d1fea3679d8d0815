#pragma once

#include "account/authentication/AuthenticationAPIProviding.h"
#include "account/session/AuthenticationEventRouter.h"
#include "account/session/AuthenticationRestoreResult.h"
#include "account/session/BootClock.h"
#include "account/tokens/RefreshTokenStoring.h"
#include "foundation/logging/Logger.h"
#include "translation/http/HTTPTransport.h"

#include <QFuture>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace veyra {

// The signed-in user's server session, and the authorised transport through which every
// request to the server travels except the three authentication calls. One per process,
// on the GUI thread; its coroutines may interleave at every await, which the rules below
// rely on. Callers keep the session alive while their calls run (the server clients hold
// it as their transport).
//
// - Each request gets "Authorization: Bearer <access token>" in place of any value the
//   caller set; the request keeps its own time-out, and the transport under it refuses
//   redirects to another origin. A token that is not fit for a header is never sent.
// - An access token with 30 seconds or less left is renewed first. Requests that need a
//   renewal while one runs wait for it: one refresh call serves them all, and only the
//   request that started it applies the new pair, clears the session or reports.
// - A 401 is answered once: with the newer token when another request renewed it
//   meanwhile, else after a renewal; the second answer goes back whatever its status.
// - A refresh the server refuses (any status but 200 and 503) clears the session and
//   deletes the stored token. A renewal whose new refresh token the keyring refuses
//   (locked or gone) is revoked at the server, and the pair in memory is let go while the
//   stored token stays: requests then fail with noSession instead of renewing (and asking
//   the keyring) again each time, until a restore finds the keyring answering. A renewal
//   whose save the keyring has not answered is not a refusal: the write may still land,
//   so the new pair is not revoked but kept for the keyring (not used), and the keyring
//   is to hold its token. Any other failure leaves everything as it was. Each is reported
//   (sessionInvalid, keyringUnavailable, unavailable) through the event router before the
//   request fails; restoring at launch reports nothing.
// - Signing out (or any clearing) starts a new generation of the session: a refresh still
//   in flight is cancelled, and whatever it yields later is dropped unreported (the
//   request fails with noSession), so a late pair never signs the user in again; the
//   server's session of such a pair is revoked.
// - The keyring follows the session: whenever the last of its writes in flight ends (in
//   time or late, once a keyring that did not answer answers again; successful or not),
//   and the keyring is not known to hold what the session holds, that is written once
//   more: nothing after a clearing or a cancelled sign-in, else the newest pair's token
//   (the held pair's, else the kept one's). A refusal changes nothing in the keyring, so
//   it alone needs no write.
class ServerAuthenticationSession : public QObject, public HTTPTransport
{
    Q_OBJECT

public:
    using Clock = std::function<BootClock::time_point()>;

    // An access token is renewed when no more than this is left of its lifetime.
    static constexpr std::chrono::seconds refreshLeadTime{30};
    // Lifetimes beyond this are taken as this (a year): it keeps the arithmetic in range.
    static constexpr std::chrono::seconds maximumAccessLifetime{365LL * 24 * 3600};

    // Without a transport the session sends over a plain transport of its own (an
    // ephemeral network session with the transport's time-outs and redirect rule).
    ServerAuthenticationSession(bool isConfigured, std::shared_ptr<AuthenticationAPIProviding> api,
        std::shared_ptr<RefreshTokenStoring> store, std::shared_ptr<AuthenticationEventRouter> eventRouter,
        std::shared_ptr<HTTPTransport> transport = nullptr, Clock clock = &BootClock::now, QObject *parent = nullptr);
    ~ServerAuthenticationSession() override;

    bool isConfigured() const { return m_isConfigured; }
    const std::shared_ptr<AuthenticationAPIProviding> &api() const { return m_api; }
    const std::shared_ptr<RefreshTokenStoring> &store() const { return m_store; }
    const std::shared_ptr<AuthenticationEventRouter> &eventRouter() const { return m_eventRouter; }
    const std::shared_ptr<HTTPTransport> &transport() const { return m_transport; }

    const std::optional<AuthTokenPair> &tokenPair() const { return m_tokenPair; }
    const std::optional<BootClock::time_point> &accessExpiresAt() const { return m_accessExpiresAt; }
    bool isRefreshing() const { return m_refresh.has_value(); }

    // Restores the saved session at launch; never fails and reports nothing. A stored
    // value that is not a token is deleted and counts as no session; a keyring that
    // refuses or does not answer gives keyringUnavailable.
    QCoro::Task<AuthenticationRestoreResult> restore();

    // Clears the session and deletes the stored token at once, then revokes the refresh
    // token at the server in the background (its outcome is ignored). Never fails.
    QCoro::Task<void> signOut();

    // The authorised request (see the class comment). Fails with noSession when nobody is
    // signed in, with the refresh's error when a needed renewal fails, and with the
    // transport's own errors unchanged.
    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken token) override;

    // The access token to send now, renewed first when it is about to expire.
    QCoro::Task<QString> validAccessToken();

    // Renews the pair with the refresh token, or joins the renewal already running.
    QCoro::Task<AuthTokenPair> refreshTokenPair(QString refreshToken, bool reportEvents);

    // Saves the pair's refresh token, then holds the pair. Fails with noSession when the
    // session was cleared meanwhile, with CancellationError when `cancellation` was
    // cancelled while the token was being saved (a sign-in the player gave up on), else
    // with the store's error. A refusal changes nothing. A save the keyring has not
    // answered lets go of the pair held until now and keeps this one for the keyring (not
    // used): its token is the one the keyring is to hold. In no failure is the pair held;
    // the store then follows the session (see the class comment).
    QCoro::Task<void> apply(AuthTokenPair pair, CancellationToken cancellation = {});

    // Forgets the pair, cancels a refresh in flight and deletes the stored token; fails
    // only when the store does (the memory is cleared anyway).
    QCoro::Task<void> clearSession();

    // Ends the server's session of this refresh token (logout) in the background; the
    // outcome is only logged. For sessions the server opened that nobody will use.
    void revokeInBackground(QString refreshToken);

private:
    struct Refresh
    {
        QFuture<AuthTokenPair> outcome;
        CancellationToken cancellation;
    };

    QCoro::Task<HTTPResponse> sendAuthorized(HTTPRequest request, QString accessToken, CancellationToken token);
    QCoro::Task<AuthTokenPair> runRefresh(QString refreshToken, bool reportEvents);
    // The refresh token the keyring is to hold: the held pair's, else the kept one.
    std::optional<QString> heldRefreshToken() const;
    // Lets go of the pair in memory; `kept` (a refresh token, or nothing) is kept instead.
    void letGoOfPair(std::optional<QString> kept);
    // One write to the store (a token, or nothing: a delete); answers its failure. The
    // caller ends it with endStoreWrite once its own state says what the session holds,
    // unless it was not answered: such a write ends by itself when the keyring has ended it.
    struct StoreWrite
    {
        std::exception_ptr failure;
    };
    QCoro::Task<StoreWrite> writeStore(std::optional<QString> token, bool bringingInLine = false);
    void endStoreWrite(const std::optional<QString> &token, bool succeeded);
    // Once the last write in flight has ended: writes what the session holds when the
    // keyring is not known to hold it; once for each thing held, so a keyring that refuses
    // is not asked again and again.
    void bringStoreInLine();

    const bool m_isConfigured;
    const std::shared_ptr<AuthenticationAPIProviding> m_api;
    const std::shared_ptr<RefreshTokenStoring> m_store;
    const std::shared_ptr<AuthenticationEventRouter> m_eventRouter;
    const std::shared_ptr<HTTPTransport> m_transport;
    const Clock m_clock;
    Logger m_logger{"Authentication"};

    std::optional<AuthTokenPair> m_tokenPair;
    std::optional<BootClock::time_point> m_accessExpiresAt;
    std::optional<Refresh> m_refresh;
    // Raised by every clearing; work that began in an older generation is stale.
    quint64 m_generation = 0;
    // The refresh token the session keeps without using it: the stored one a restore read,
    // the one a renewal replaced when the keyring refused the new one, or the newest one
    // when the keyring did not answer its save. Cleared with the session.
    std::optional<QString> m_keptRefreshToken;
    // What the keyring is known to hold (a token, or nothing); absent when unknown.
    std::optional<std::optional<QString>> m_knownStored;
    // Writes to the store that have not ended (given-up ones included), and whether any
    // two of them overlapped since none was in flight (their order is then unknown).
    int m_storeWritesInFlight = 0;
    bool m_storeWritesOverlapped = false;
    // What the last write that brought the store in line wrote, until another write begins.
    std::optional<std::optional<QString>> m_lastInLineWrite;
};

} // namespace veyra
