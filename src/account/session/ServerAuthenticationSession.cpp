#include "account/session/ServerAuthenticationSession.h"

#include "account/authentication/AuthenticationClientError.h"
#include "foundation/async/AsyncTask.h"
#include "translation/http/QtNetworkHTTPTransport.h"

#include <QPromise>

#include <qcoro/qcorofuture.h>

#include <algorithm>

namespace veyra {

namespace {

std::exception_ptr noSessionError()
{
    return std::make_exception_ptr(AuthenticationClientError(AuthenticationClientError::Kind::noSession));
}

bool isRejection(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const AuthenticationClientError &failure) {
        return failure.kind() == AuthenticationClientError::Kind::rejected;
    } catch (...) {
        return false;
    }
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
        if (error.kind() != AuthenticationClientError::Kind::invalidResponse) {
            qCWarning(m_logger) << "Reading the saved session failed:" << error.localizedDescription();
            co_return AuthenticationRestoreResult::unavailable;
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
    try {
        std::rethrow_exception(failure);
    } catch (const AuthenticationClientError &error) {
        // A refused token has already been cleared by the refresh; a session cleared
        // meanwhile (signed out) has nothing to restore either.
        if (error.kind() == AuthenticationClientError::Kind::rejected
            || error.kind() == AuthenticationClientError::Kind::noSession) {
            co_return AuthenticationRestoreResult::noSession;
        }
    } catch (...) { }
    co_return AuthenticationRestoreResult::unavailable;
}

QCoro::Task<void> ServerAuthenticationSession::signOut()
{
    std::optional<QString> refreshToken;
    if (m_tokenPair) {
        refreshToken = m_tokenPair->refreshToken;
    } else {
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
        throw AuthenticationClientError(AuthenticationClientError::Kind::noSession);
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
        throw AuthenticationClientError(AuthenticationClientError::Kind::noSession);
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
            const bool rejected = !issued && isRejection(failure);
            if (issued) {
                // The server renewed the session but its new refresh token could not be
                // kept (the keyring refused it): that session is closed at the server, and
                // the pair that was renewed is let go, as its refresh token may be spent.
                // Renewing again would only repeat this on every request; the stored token
                // stays for a restore once the keyring answers.
                revokeInBackground(pair.refreshToken);
                forgetPair(refreshToken);
            } else if (rejected) {
                try {
                    co_await clearSession();
                } catch (const std::exception &) { }
            }
            if (reportEvents) {
                m_eventRouter->deliver(
                    rejected ? AuthenticationRuntimeEvent::sessionInvalid : AuthenticationRuntimeEvent::unavailable);
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
    const std::shared_ptr<RefreshTokenStoring> store = m_store;
    ++m_appliesInFlight;
    try {
        co_await store->save(pair.refreshToken);
    } catch (...) {
        --m_appliesInFlight;
        throw;
    }
    --m_appliesInFlight;
    const bool cleared = generation != m_generation;
    if (cleared || cancellation.isCancelled()) {
        // Cleared or given up while the token was being saved: the store must not keep
        // it. A pair saved after this one writes its own token; this one's delete could
        // reach the keyring after that write.
        if (m_appliesInFlight == 0) {
            co_await bringStoreInLine();
        }
        if (cleared) {
            throw AuthenticationClientError(AuthenticationClientError::Kind::noSession);
        }
        cancellation.throwIfCancelled();
    }
    m_accessExpiresAt = m_clock() + accessLifetime(pair.expiresIn);
    m_tokenPair = std::move(pair);
}

void ServerAuthenticationSession::forgetPair(const QString &refreshToken)
{
    if (m_tokenPair && m_tokenPair->refreshToken == refreshToken) {
        m_tokenPair.reset();
        m_accessExpiresAt.reset();
    }
}

QCoro::Task<void> ServerAuthenticationSession::bringStoreInLine()
{
    const std::shared_ptr<RefreshTokenStoring> store = m_store;
    try {
        if (m_tokenPair) {
            co_await store->save(m_tokenPair->refreshToken);
        } else {
            co_await store->deleteToken();
        }
    } catch (const std::exception &error) {
        qCWarning(m_logger) << "Updating the saved session failed:" << describeError(error);
    }
}

QCoro::Task<void> ServerAuthenticationSession::clearSession()
{
    m_tokenPair.reset();
    m_accessExpiresAt.reset();
    ++m_generation;
    if (m_refresh) {
        m_refresh->cancellation.cancel();
        m_refresh.reset();
    }
    const std::shared_ptr<RefreshTokenStoring> store = m_store;
    co_await store->deleteToken();
}

QCoro::Task<HTTPResponse> ServerAuthenticationSession::sendAuthorized(
    HTTPRequest request, QString accessToken, CancellationToken token)
{
    if (!isUsableBearerToken(accessToken)) {
        throw AuthenticationClientError(AuthenticationClientError::Kind::invalidResponse);
    }
    request.headers.set("Authorization", "Bearer " + accessToken.toLatin1());
    // The token never follows a redirect to another host.
    request.redirectPolicy = HTTPRedirectPolicy::sameOrigin;
    const std::shared_ptr<HTTPTransport> transport = m_transport;
    co_return co_await transport->data(std::move(request), std::move(token));
}

} // namespace veyra
