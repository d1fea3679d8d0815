#include "account/session/ServerAuthenticationSession.h"

#include "account/authentication/AuthenticationClientError.h"
#include "account/tokens/UnansweredKeychainError.h"
#include "foundation/async/AsyncTask.h"
#include "translation/http/QtNetworkHTTPTransport.h"

#include <QPromise>

#include <qcoro/qcorofuture.h>

#include <algorithm>

namespace veyra {

namespace {

using Kind = AuthenticationClientError::Kind;

std::exception_ptr noSessionError()
{
    return std::make_exception_ptr(AuthenticationClientError(Kind::noSession));
}

// The kind of a failure that is an AuthenticationClientError; nothing for any other.
std::optional<Kind> failureKind(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AuthenticationClientError &failure) {
        return failure.kind();
    } catch (...) {
        return std::nullopt;
    }
}

// Whether the store is known to hold `token` (nothing included).
bool holds(const std::optional<std::optional<QString>> &known, const std::optional<QString> &token)
{
    return known.has_value() && *known == token;
}

std::chrono::seconds accessLifetime(qint64 expiresIn)
{
    const qint64 maximum = ServerAuthenticationSession::maximumAccessLifetime.count();
    return std::chrono::seconds(std::clamp<qint64>(expiresIn, 0, maximum));
}

} // namespace

ServerAuthenticationSession::ServerAuthenticationSession(bool isConfigured,
    std::shared_ptr<AuthenticationAPIProviding> api, std::shared_ptr<RefreshTokenStoring> store,
    std::shared_ptr<AuthenticationEventRouter> eventRouter, std::shared_ptr<HTTPTransport> transport, Clock clock,
    QObject *parent)
    : QObject(parent)
    , m_isConfigured(isConfigured)
    , m_api(std::move(api))
    , m_store(std::move(store))
    , m_eventRouter(eventRouter ? std::move(eventRouter) : std::make_shared<AuthenticationEventRouter>())
    , m_transport(chooseHTTPTransport(std::move(transport), nullptr))
    , m_clock(std::move(clock))
{ }

ServerAuthenticationSession::~ServerAuthenticationSession() = default;

QCoro::Task<AuthenticationRestoreResult> ServerAuthenticationSession::restore()
{
    if (!m_isConfigured) {
        co_return AuthenticationRestoreResult::notConfigured;
    }
    std::optional<QString> stored;
    bool unreadable = false;
    try {
        const std::shared_ptr<RefreshTokenStoring> store = m_store;
        stored = co_await store->load();
    } catch (const AuthenticationClientError &error) {
        if (error.kind() != Kind::invalidResponse) {
            qCWarning(m_logger) << "Reading the saved session failed:" << error.localizedDescription();
            co_return error.kind() == Kind::keychain ? AuthenticationRestoreResult::keyringUnavailable
                                                     : AuthenticationRestoreResult::unavailable;
        }
        unreadable = true;
    } catch (const std::exception &error) {
        qCWarning(m_logger) << "Reading the saved session failed:" << describeError(error);
        co_return AuthenticationRestoreResult::unavailable;
    }
    if (unreadable) {
        // Kept, it would fail every launch and never let the user sign in again.
        qCWarning(m_logger) << "The saved session is unreadable; it is deleted";
        try {
            co_await clearSession();
        } catch (const std::exception &) { }
        co_return AuthenticationRestoreResult::noSession;
    }
    // A write still in flight may change the keyring after this read.
    if (m_storeWritesInFlight == 0) {
        m_knownStored = stored;
        m_keptRefreshToken = stored;
    }
    if (!stored) {
        co_return AuthenticationRestoreResult::noSession;
    }

    std::exception_ptr failure;
    try {
        co_await refreshTokenPair(*stored, false);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!failure) {
        co_return AuthenticationRestoreResult::restored;
    }
    const std::optional<Kind> kind = failureKind(failure);
    // A refused token has already been cleared by the refresh; a session cleared meanwhile
    // (signed out) has nothing to restore either.
    if (kind == Kind::rejected || kind == Kind::noSession) {
        co_return AuthenticationRestoreResult::noSession;
    }
    co_return kind == Kind::keychain ? AuthenticationRestoreResult::keyringUnavailable
                                     : AuthenticationRestoreResult::unavailable;
}

QCoro::Task<void> ServerAuthenticationSession::signOut()
{
    std::optional<QString> refreshToken = heldRefreshToken();
    if (!refreshToken) {
        try {
            const std::shared_ptr<RefreshTokenStoring> store = m_store;
            refreshToken = co_await store->load();
        } catch (const std::exception &) { }
    }
    try {
        co_await clearSession();
    } catch (const std::exception &error) {
        qCWarning(m_logger) << "Deleting the saved session failed:" << describeError(error);
    }
    if (refreshToken && !refreshToken->isEmpty()) {
        revokeInBackground(*refreshToken);
    }
}

void ServerAuthenticationSession::revokeInBackground(QString refreshToken)
{
    const std::shared_ptr<AuthenticationAPIProviding> api = m_api;
    const Logger logger = m_logger;
    startDetachedTask(
        this,
        [api, logger, refreshToken](QPointer<ServerAuthenticationSession>) -> QCoro::Task<void> {
            try {
                co_await api->logout(refreshToken, CancellationToken());
            } catch (const std::exception &error) {
                qCInfo(logger) << "Revoking the session at the server failed:" << describeError(error);
            }
        },
        m_logger);
}

QCoro::Task<HTTPResponse> ServerAuthenticationSession::data(HTTPRequest request, CancellationToken token)
{
    token.throwIfCancelled();
    const QString accessToken = co_await validAccessToken();
    token.throwIfCancelled();
    HTTPResponse response = co_await sendAuthorized(request, accessToken, token);
    if (response.statusCode != 401) {
        co_return response;
    }
    if (!m_tokenPair) {
        throw AuthenticationClientError(Kind::noSession);
    }
    if (m_tokenPair->accessToken != accessToken) {
        co_return co_await sendAuthorized(std::move(request), m_tokenPair->accessToken, std::move(token));
    }
    const AuthTokenPair renewed = co_await refreshTokenPair(m_tokenPair->refreshToken, true);
    token.throwIfCancelled();
    co_return co_await sendAuthorized(std::move(request), renewed.accessToken, std::move(token));
}

QCoro::Task<QString> ServerAuthenticationSession::validAccessToken()
{
    if (!m_tokenPair) {
        throw AuthenticationClientError(Kind::noSession);
    }
    if (m_accessExpiresAt && *m_accessExpiresAt - m_clock() > refreshLeadTime) {
        // A copy: QCoro moves from an lvalue given to co_return.
        co_return QString(m_tokenPair->accessToken);
    }
    const AuthTokenPair renewed = co_await refreshTokenPair(m_tokenPair->refreshToken, true);
    co_return renewed.accessToken;
}

QCoro::Task<AuthTokenPair> ServerAuthenticationSession::refreshTokenPair(QString refreshToken, bool reportEvents)
{
    if (m_refresh) {
        const QFuture<AuthTokenPair> outcome = m_refresh->outcome;
        co_return co_await outcome;
    }
    co_return co_await runRefresh(std::move(refreshToken), reportEvents);
}

QCoro::Task<AuthTokenPair> ServerAuthenticationSession::runRefresh(QString refreshToken, bool reportEvents)
{
    const auto promise = std::make_shared<QPromise<AuthTokenPair>>();
    promise->start();
    const CancellationToken cancellation;
    m_refresh = Refresh{promise->future(), cancellation};
    const quint64 generation = m_generation;

    std::exception_ptr failure;
    AuthTokenPair pair;
    bool issued = false;
    try {
        const std::shared_ptr<AuthenticationAPIProviding> api = m_api;
        pair = co_await api->refresh(refreshToken, cancellation);
        issued = true;
    } catch (...) {
        failure = std::current_exception();
    }
    // The new pair is applied before the refresh counts as over, so a request that comes
    // while it is being saved joins it instead of renewing again with the spent token.
    if (!failure && generation == m_generation) {
        try {
            co_await apply(pair);
        } catch (...) {
            failure = std::current_exception();
        }
    }

    if (generation != m_generation) {
        // Cleared meanwhile (a sign-out): whatever this refresh yielded belongs to a
        // session that is gone, and must not stay open at the server either. The clearing
        // has already let go of the refresh.
        if (issued) {
            revokeInBackground(pair.refreshToken);
        }
        failure = noSessionError();
    } else {
        m_refresh.reset();
        if (failure) {
            qCWarning(m_logger) << "Renewing the session failed:" << describeError(failure);
            const std::optional<Kind> kind = failureKind(failure);
            const bool rejected = !issued && kind == Kind::rejected;
            if (issued && !isUnansweredKeychainFailure(failure)) {
                // The server renewed the session but the keyring refused its new refresh
                // token: that session is closed at the server, and the pair that was
                // renewed is let go, as its refresh token may be spent. Renewing again
                // would only repeat this on every request; the stored token stays (kept)
                // for a restore once the keyring answers. (A save that has not answered
                // may still land: apply has kept the new pair for the keyring instead.)
                revokeInBackground(pair.refreshToken);
                if (m_tokenPair && m_tokenPair->refreshToken == refreshToken) {
                    letGoOfPair(refreshToken);
                }
            } else if (rejected) {
                try {
                    co_await clearSession();
                } catch (const std::exception &) { }
            }
            if (reportEvents) {
                m_eventRouter->deliver(rejected  ? AuthenticationRuntimeEvent::sessionInvalid
                        : kind == Kind::keychain ? AuthenticationRuntimeEvent::keyringUnavailable
                                                 : AuthenticationRuntimeEvent::unavailable);
            }
        }
    }

    if (failure) {
        promise->setException(failure);
        promise->finish();
        std::rethrow_exception(failure);
    }
    promise->addResult(pair);
    promise->finish();
    co_return pair;
}

QCoro::Task<void> ServerAuthenticationSession::apply(AuthTokenPair pair, CancellationToken cancellation)
{
    const quint64 generation = m_generation;
    const std::exception_ptr failure = (co_await writeStore(pair.refreshToken)).failure;
    const bool unanswered = isUnansweredKeychainFailure(failure);
    const bool cleared = generation != m_generation;
    const bool cancelled = cancellation.isCancelled();
    if (!cleared && !cancelled) {
        if (!failure) {
            m_accessExpiresAt = m_clock() + accessLifetime(pair.expiresIn);
            m_tokenPair = pair;
        } else if (unanswered) {
            // The keyring may still take the token: this is the newest pair, kept for the
            // keyring and not used; the pair held until now is let go.
            letGoOfPair(pair.refreshToken);
        }
    }
    // Cleared or given up while the token was being saved: the store follows the session
    // (a pair saved after this one writes its own token, and decides).
    if (!unanswered) {
        endStoreWrite(pair.refreshToken, !failure);
    }
    if (cleared) {
        throw AuthenticationClientError(Kind::noSession);
    }
    cancellation.throwIfCancelled();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

std::optional<QString> ServerAuthenticationSession::heldRefreshToken() const
{
    return m_tokenPair ? std::optional<QString>(m_tokenPair->refreshToken) : m_keptRefreshToken;
}

void ServerAuthenticationSession::letGoOfPair(std::optional<QString> kept)
{
    m_tokenPair.reset();
    m_accessExpiresAt.reset();
    m_keptRefreshToken = std::move(kept);
}

QCoro::Task<ServerAuthenticationSession::StoreWrite> ServerAuthenticationSession::writeStore(
    std::optional<QString> token, bool bringingInLine)
{
    if (!bringingInLine) {
        m_lastInLineWrite.reset();
    }
    m_storeWritesOverlapped = m_storeWritesOverlapped || m_storeWritesInFlight > 0;
    ++m_storeWritesInFlight;
    const QPointer<ServerAuthenticationSession> self(this);
    const std::shared_ptr<RefreshTokenStoring> store = m_store;
    std::exception_ptr failure;
    std::optional<QFuture<bool>> lateEnd;
    try {
        if (token) {
            co_await store->save(*token);
        } else {
            co_await store->deleteToken();
        }
    } catch (const UnansweredKeychainError &error) {
        failure = std::current_exception();
        lateEnd = error.lateEnd();
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self || !lateEnd) {
        co_return StoreWrite{failure};
    }
    // In flight until the keyring has ended it; what the keyring holds is unknown now.
    m_knownStored.reset();
    const auto end = [self, token](bool succeeded) {
        if (self) {
            self->endStoreWrite(token, succeeded);
        }
    };
    lateEnd->then(this, end).onCanceled(this, [end] { end(false); });
    co_return StoreWrite{failure};
}

void ServerAuthenticationSession::endStoreWrite(const std::optional<QString> &token, bool succeeded)
{
    --m_storeWritesInFlight;
    if (m_storeWritesOverlapped) {
        m_knownStored.reset();
    } else if (succeeded) {
        m_knownStored = token;
    }
    // An answered refusal leaves the keyring as it was; a late failure left it unknown.
    if (m_storeWritesInFlight == 0) {
        m_storeWritesOverlapped = false;
        bringStoreInLine();
    }
}

void ServerAuthenticationSession::bringStoreInLine()
{
    const std::optional<QString> held = heldRefreshToken();
    if (holds(m_knownStored, held) || holds(m_lastInLineWrite, held)) {
        return;
    }
    m_lastInLineWrite = held;
    startDetachedTask(
        this,
        [held](QPointer<ServerAuthenticationSession> self) -> QCoro::Task<void> {
            const std::exception_ptr failure = (co_await self->writeStore(held, true)).failure;
            if (!self) {
                co_return;
            }
            if (failure) {
                qCWarning(self->m_logger) << "Updating the saved session failed:" << describeError(failure);
            }
            if (!isUnansweredKeychainFailure(failure)) {
                self->endStoreWrite(held, !failure);
            }
        },
        m_logger);
}

QCoro::Task<void> ServerAuthenticationSession::clearSession()
{
    letGoOfPair(std::nullopt);
    ++m_generation;
    if (m_refresh) {
        m_refresh->cancellation.cancel();
        m_refresh.reset();
    }
    const std::exception_ptr failure = (co_await writeStore(std::nullopt)).failure;
    if (!isUnansweredKeychainFailure(failure)) {
        endStoreWrite(std::nullopt, !failure);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

QCoro::Task<HTTPResponse> ServerAuthenticationSession::sendAuthorized(
    HTTPRequest request, QString accessToken, CancellationToken token)
{
    if (!isUsableBearerToken(accessToken)) {
        throw AuthenticationClientError(Kind::invalidResponse);
    }
    request.headers.set("Authorization", "Bearer " + accessToken.toLatin1());
    // The token never follows a redirect to another host.
    request.redirectPolicy = HTTPRedirectPolicy::sameOrigin;
    const std::shared_ptr<HTTPTransport> transport = m_transport;
    co_return co_await transport->data(std::move(request), std::move(token));
}

} // namespace veyra
