// Test label: unit
#include "account/session/ServerAuthenticationSession.h"
#include "account/authentication/AuthenticationClientError.h"
#include "account/authentication/HTTPAuthenticationClient.h"
#include "support/AuthenticationServiceScript.h"
#include "support/ClientTeardown.h"
#include "support/FakeAuthenticationAPI.h"
#include "support/RecordingRefreshTokenStore.h"
#include "support/RunTask.h"
#include "support/TimeLimits.h"
#include "support/TranslationServiceScript.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/translations/HTTPTranslationClient.h"

#include <gtest/gtest.h>

#include <limits>

using namespace veyra;
using namespace veyra::test;
using namespace std::chrono_literals;

namespace {

using Kind = AuthenticationClientError::Kind;
using Event = AuthenticationRuntimeEvent;

const QString resourcePath = QStringLiteral("/v1/resource");

AuthTokenPair pair(const QString &access, const QString &refresh, qint64 expiresIn = 3600)
{
    return AuthTokenPair{access, refresh, QStringLiteral("Bearer"), expiresIn, 2592000};
}

// What the session looked like when it delivered an event.
struct Delivery
{
    Event event;
    bool heldPair;
    std::optional<QString> storedToken;
};

class ServerAuthenticationSessionTest : public ::testing::Test
{
protected:
    ServerAuthenticationSessionTest()
    {
        m_router->setOnEvent([this](Event event) {
            m_deliveries.push_back({event, m_session && m_session->tokenPair().has_value(), m_store->token});
        });
        m_session = makeSession(std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(m_standIn.url())));
    }

    std::shared_ptr<ServerAuthenticationSession> makeSession(
        std::shared_ptr<AuthenticationAPIProviding> api, bool configured = true)
    {
        return std::make_shared<ServerAuthenticationSession>(
            configured, std::move(api), m_store, m_router, nullptr, [this] { return m_now; });
    }

    void signIn(const AuthTokenPair &signedIn) { runTask(m_session->apply(signedIn)); }

    HTTPRequest resourceRequest() const
    {
        HTTPRequest request;
        request.url = m_standIn.url(resourcePath);
        return request;
    }

    QCoro::Task<HTTPResponse> send() { return m_session->data(resourceRequest(), {}); }

    template <typename T>
    std::optional<AuthenticationClientError> failure(QCoro::Task<T> call)
    {
        try {
            runTask(std::move(call));
        } catch (const AuthenticationClientError &error) {
            return error;
        }
        return std::nullopt;
    }

    void answerRefresh(const QString &access, const QString &refresh, qint64 expiresIn = 3600)
    {
        m_standIn.enqueueResponse(
            "POST", refreshPath, ScriptedResponse::json(tokenPairAnswer(access, refresh, expiresIn)));
    }

    QList<QByteArray> bearersSent() const
    {
        QList<QByteArray> bearers;
        for (const RecordedRequest &request : m_standIn.requests("GET", resourcePath)) {
            bearers.append(request.header("Authorization").value_or(QByteArray()));
        }
        return bearers;
    }

    qsizetype refreshCount() const { return m_standIn.requests("POST", refreshPath).size(); }

    std::vector<Event> events() const
    {
        std::vector<Event> events;
        for (const Delivery &delivery : m_deliveries) {
            events.push_back(delivery.event);
        }
        return events;
    }

    ServiceStandIn m_standIn;
    BootClock::time_point m_now{100h};
    std::shared_ptr<RecordingRefreshTokenStore> m_store = std::make_shared<RecordingRefreshTokenStore>();
    std::shared_ptr<AuthenticationEventRouter> m_router = std::make_shared<AuthenticationEventRouter>();
    std::vector<Delivery> m_deliveries;
    std::shared_ptr<ServerAuthenticationSession> m_session;
};

} // namespace

TEST_F(ServerAuthenticationSessionTest, RestoreAtLaunch)
{
    // Not configured: the store is not even read.
    m_store->token = QStringLiteral("stored");
    auto unconfigured
        = makeSession(std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(m_standIn.url())), false);
    EXPECT_EQ(runTask(unconfigured->restore()), AuthenticationRestoreResult::notConfigured);
    EXPECT_EQ(m_store->loads, 0);

    // The server cannot be reached: unavailable, the stored token stays for a later try.
    m_standIn.enqueueResponse("POST", refreshPath, ScriptedResponse::raw(503, {}));
    EXPECT_EQ(runTask(m_session->restore()), AuthenticationRestoreResult::unavailable);
    EXPECT_EQ(m_store->token, QStringLiteral("stored"));
    EXPECT_FALSE(m_session->tokenPair());

    // A later restore succeeds: the new pair is held, its refresh token saved.
    answerRefresh(QStringLiteral("access-1"), QStringLiteral("renew-1"));
    EXPECT_EQ(runTask(m_session->restore()), AuthenticationRestoreResult::restored);
    EXPECT_EQ(m_standIn.requests("POST", refreshPath).last().jsonBody().value(QStringLiteral("refresh_token")),
        QStringLiteral("stored"));
    EXPECT_EQ(m_session->tokenPair()->accessToken, QStringLiteral("access-1"));
    EXPECT_EQ(m_session->accessExpiresAt(), m_now + 3600s);
    EXPECT_EQ(m_store->token, QStringLiteral("renew-1"));

    // A refused token is cleared and deleted.
    m_standIn.enqueueResponse("POST", refreshPath, ScriptedResponse::raw(401, {}));
    auto second = makeSession(std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(m_standIn.url())));
    EXPECT_EQ(runTask(second->restore()), AuthenticationRestoreResult::noSession);
    EXPECT_FALSE(m_store->token);

    // Nothing stored.
    EXPECT_EQ(runTask(second->restore()), AuthenticationRestoreResult::noSession);

    // A keyring that refuses to read is a temporary failure; the item stays.
    m_store->token = QStringLiteral("kept");
    m_store->scripted.failNext(std::make_exception_ptr(AuthenticationClientError::keychain(4)));
    EXPECT_EQ(runTask(second->restore()), AuthenticationRestoreResult::keyringUnavailable);
    EXPECT_EQ(m_store->token, QStringLiteral("kept"));

    // Restoring never reports.
    EXPECT_TRUE(m_deliveries.empty());
}

TEST_F(ServerAuthenticationSessionTest, UnreadableStoredTokenIsDeletedNotALockOut)
{
    m_store->token = QStringLiteral("garbage");
    m_store->scripted.failNext(std::make_exception_ptr(AuthenticationClientError(Kind::invalidResponse)));
    EXPECT_EQ(runTask(m_session->restore()), AuthenticationRestoreResult::noSession);
    EXPECT_EQ(m_store->deletes, 1);
    EXPECT_FALSE(m_store->token);
    EXPECT_EQ(refreshCount(), 0);
}

TEST_F(ServerAuthenticationSessionTest, RenewsAtTheThirtySecondBoundary)
{
    m_standIn.setDefaultResponse("GET", resourcePath, ScriptedResponse::raw(200, "ok", "text/plain"));
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1"), 3600));

    // 31 seconds left: the held token is used.
    m_now += 3600s - 31s;
    EXPECT_EQ(runTask(send()).statusCode, 200);
    EXPECT_EQ(refreshCount(), 0);

    // Exactly 30 seconds left counts as expired: renewed first, then sent with the new token.
    m_now += 1s;
    answerRefresh(QStringLiteral("access-2"), QStringLiteral("renew-2"), 30);
    EXPECT_EQ(runTask(send()).statusCode, 200);
    EXPECT_EQ(refreshCount(), 1);
    EXPECT_EQ(bearersSent(), (QList<QByteArray>{"Bearer access-1", "Bearer access-2"}));
    EXPECT_EQ(m_store->token, QStringLiteral("renew-2"));

    // A lifetime beyond reason is taken as a year (the arithmetic would overflow).
    auto api = std::make_shared<FakeAuthenticationAPI>();
    auto longLived = makeSession(api);
    runTask(longLived->apply(pair(QStringLiteral("a"), QStringLiteral("r"), std::numeric_limits<qint64>::max())));
    EXPECT_EQ(longLived->accessExpiresAt(), m_now + ServerAuthenticationSession::maximumAccessLifetime);

    // A lifetime of 30 seconds or less is renewed before every request.
    answerRefresh(QStringLiteral("access-3"), QStringLiteral("renew-3"), 30);
    runTask(send());
    EXPECT_EQ(refreshCount(), 2);
    EXPECT_EQ(m_standIn.requests("POST", refreshPath).last().jsonBody().value(QStringLiteral("refresh_token")),
        QStringLiteral("renew-2"));
    EXPECT_EQ(bearersSent().last(), "Bearer access-3");
}

TEST_F(ServerAuthenticationSessionTest, ConcurrentRequestsShareOneRefresh)
{
    m_standIn.setDefaultResponder("GET", resourcePath, acceptingBearer("access-2"));
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1"), 10));
    m_standIn.enqueueResponse("POST", refreshPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-2"), QStringLiteral("renew-2")))
            .heldUntilReleased());

    auto first = send();
    auto second = send();
    auto third = send();
    ASSERT_TRUE(waitUntil([this] { return m_standIn.pendingResponseCount() == 1; }));
    EXPECT_TRUE(m_session->isRefreshing());
    m_standIn.releaseHeldResponses();
    EXPECT_EQ(runTask(std::move(first)).body, "ok");
    EXPECT_EQ(runTask(std::move(second)).body, "ok");
    EXPECT_EQ(runTask(std::move(third)).body, "ok");

    EXPECT_EQ(refreshCount(), 1);
    EXPECT_EQ(m_store->saves, 2);
    EXPECT_EQ(bearersSent(), (QList<QByteArray>{"Bearer access-2", "Bearer access-2", "Bearer access-2"}));
    EXPECT_FALSE(m_session->isRefreshing());
}

TEST_F(ServerAuthenticationSessionTest, RequestArrivingWhileTheNewPairIsSavedJoinsTheRefresh)
{
    m_standIn.setDefaultResponder("GET", resourcePath, acceptingBearer("access-2"));
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1"), 10));
    answerRefresh(QStringLiteral("access-2"), QStringLiteral("renew-2"));
    // The keyring takes its time with the new refresh token.
    m_store->scripted.holdNext();

    auto first = send();
    ASSERT_TRUE(waitUntil([this] { return m_store->scripted.gate().waitingCount() == 1; }));
    // The old refresh token is spent at the server by now; renewing again with it would fail.
    auto second = send();
    m_store->scripted.gate().releaseAll();
    EXPECT_EQ(runTask(std::move(first)).body, "ok");
    EXPECT_EQ(runTask(std::move(second)).body, "ok");
    EXPECT_EQ(refreshCount(), 1);
}

TEST_F(ServerAuthenticationSessionTest, AnswerOf401IsRetriedOnce)
{
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1")));

    // 401 twice: one refresh, the second 401 goes back to the caller, the session stays.
    m_standIn.setDefaultResponder("GET", resourcePath, acceptingBearer("nobody"));
    answerRefresh(QStringLiteral("access-2"), QStringLiteral("renew-2"));
    EXPECT_EQ(runTask(send()).statusCode, 401);
    EXPECT_EQ(refreshCount(), 1);
    EXPECT_EQ(bearersSent(), (QList<QByteArray>{"Bearer access-1", "Bearer access-2"}));
    EXPECT_EQ(m_session->tokenPair()->accessToken, QStringLiteral("access-2"));
    EXPECT_TRUE(m_deliveries.empty());

    // A 401 to a token that another request has renewed meanwhile: resent with the newer
    // token, no further refresh.
    m_standIn.setDefaultResponder("GET", resourcePath, acceptingBearer("access-3"));
    m_standIn.enqueueResponse("GET", resourcePath, ScriptedResponse::raw(401, {}).heldUntilReleased());
    auto stale = send();
    ASSERT_TRUE(waitUntil([this] { return m_standIn.pendingResponseCount() == 1; }));
    m_now += 3600s;
    answerRefresh(QStringLiteral("access-3"), QStringLiteral("renew-3"));
    EXPECT_EQ(runTask(send()).body, "ok");
    m_standIn.releaseHeldResponses();
    EXPECT_EQ(runTask(std::move(stale)).body, "ok");
    EXPECT_EQ(refreshCount(), 2);
    EXPECT_EQ(bearersSent().mid(2), (QList<QByteArray>{"Bearer access-2", "Bearer access-3", "Bearer access-3"}));
}

TEST_F(ServerAuthenticationSessionTest, RejectedRefreshClearsTheSessionBeforeTheRequestFails)
{
    m_standIn.setDefaultResponder("GET", resourcePath, acceptingBearer("nobody"));
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1")));
    m_standIn.enqueueResponse("POST", refreshPath, ScriptedResponse::raw(401, {}));

    EXPECT_EQ(failure(send()), AuthenticationClientError::rejected(401));
    ASSERT_EQ(m_deliveries.size(), 1u);
    EXPECT_EQ(m_deliveries[0].event, Event::sessionInvalid);
    EXPECT_FALSE(m_deliveries[0].heldPair);
    EXPECT_FALSE(m_deliveries[0].storedToken);

    // Nobody is signed in now: nothing is sent.
    const qsizetype sent = m_standIn.requestCount();
    EXPECT_EQ(failure(send()), AuthenticationClientError(Kind::noSession));
    EXPECT_EQ(m_standIn.requestCount(), sent);
}

TEST_F(ServerAuthenticationSessionTest, TemporaryRefreshFailureKeepsTheSession)
{
    m_standIn.setDefaultResponder("GET", resourcePath, acceptingBearer("access-2"));
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1"), 5));

    m_standIn.enqueueResponse("POST", refreshPath, ScriptedResponse::raw(503, {}));
    EXPECT_EQ(failure(send()), AuthenticationClientError(Kind::unavailable));
    EXPECT_EQ(events(), (std::vector<Event>{Event::unavailable}));
    EXPECT_TRUE(m_deliveries[0].heldPair);
    EXPECT_EQ(m_store->token, QStringLiteral("renew-1"));
    EXPECT_EQ(m_session->tokenPair()->accessToken, QStringLiteral("access-1"));

    // The next request tries again.
    answerRefresh(QStringLiteral("access-2"), QStringLiteral("renew-2"));
    EXPECT_EQ(runTask(send()).body, "ok");
    EXPECT_EQ(refreshCount(), 2);
}

TEST_F(ServerAuthenticationSessionTest, RenewedPairThatCannotBeSavedIsRevokedAndNotRenewedAgain)
{
    m_standIn.setDefaultResponse("GET", resourcePath, ScriptedResponse::raw(200, "ok", "text/plain"));
    m_standIn.setDefaultResponse("POST", logoutPath, ScriptedResponse::raw(204, {}));
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1"), 5));
    const auto revoked = [this] {
        QStringList tokens;
        for (const RecordedRequest &request : m_standIn.requests("POST", logoutPath)) {
            tokens.append(request.jsonBody().value(QStringLiteral("refresh_token")).toString());
        }
        return tokens;
    };

    // The keyring refuses the renewed token (it was locked meanwhile). Both requests that
    // waited for the renewal fail with its error, after one report.
    answerRefresh(QStringLiteral("access-x"), QStringLiteral("renew-x"));
    m_store->scripted.failNext(std::make_exception_ptr(AuthenticationClientError::keychain(7)));
    auto first = send();
    auto second = send();
    EXPECT_EQ(failure(std::move(first)), AuthenticationClientError::keychain(7));
    EXPECT_EQ(failure(std::move(second)), AuthenticationClientError::keychain(7));
    ASSERT_EQ(m_deliveries.size(), 1u);
    EXPECT_EQ(m_deliveries[0].event, Event::keyringUnavailable);
    EXPECT_FALSE(m_deliveries[0].heldPair);
    EXPECT_EQ(m_deliveries[0].storedToken, QStringLiteral("renew-1"));
    // The server's new session is closed, not left open.
    ASSERT_TRUE(waitUntil([&] { return revoked().size() == 1; }));
    EXPECT_EQ(revoked(), QStringList{QStringLiteral("renew-x")});

    // Later requests neither renew nor reach the keyring again.
    for (int request = 0; request < 3; ++request) {
        EXPECT_EQ(failure(send()), AuthenticationClientError(Kind::noSession));
    }
    EXPECT_EQ(refreshCount(), 1);
    EXPECT_EQ(m_store->saves, 2);
    EXPECT_EQ(m_store->deletes, 0);
    EXPECT_TRUE(bearersSent().isEmpty());
    EXPECT_EQ(m_deliveries.size(), 1u);

    // Once the keyring answers, restoring takes the stored token up again.
    answerRefresh(QStringLiteral("access-2"), QStringLiteral("renew-2"));
    EXPECT_EQ(runTask(m_session->restore()), AuthenticationRestoreResult::restored);
    EXPECT_EQ(m_standIn.requests("POST", refreshPath).last().jsonBody().value(QStringLiteral("refresh_token")),
        QStringLiteral("renew-1"));
    EXPECT_EQ(m_store->token, QStringLiteral("renew-2"));
    EXPECT_EQ(runTask(send()).body, "ok");
    EXPECT_EQ(bearersSent(), QList<QByteArray>{"Bearer access-2"});

    // The same at launch: a renewal the keyring cannot keep is revoked, and restoring
    // answers unavailable with the stored token kept, reporting nothing.
    auto launched = makeSession(std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(m_standIn.url())));
    answerRefresh(QStringLiteral("access-y"), QStringLiteral("renew-y"));
    m_store->scripted.failNext(nullptr);
    m_store->scripted.failNext(std::make_exception_ptr(AuthenticationClientError::keychain(7)));
    EXPECT_EQ(runTask(launched->restore()), AuthenticationRestoreResult::keyringUnavailable);
    EXPECT_FALSE(launched->tokenPair());
    EXPECT_EQ(m_store->token, QStringLiteral("renew-2"));
    ASSERT_TRUE(waitUntil([&] { return revoked().size() == 2; }));
    EXPECT_EQ(revoked().last(), QStringLiteral("renew-y"));
    EXPECT_EQ(m_deliveries.size(), 1u);
}

TEST_F(ServerAuthenticationSessionTest, SignOutDuringARefreshDropsItsLatePair)
{
    auto api = std::make_shared<FakeAuthenticationAPI>();
    m_session = makeSession(api);
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1"), 10));

    auto request = send();
    ASSERT_EQ(api->refreshes.size(), 1u);
    runTask(m_session->signOut());
    EXPECT_FALSE(m_session->tokenPair());
    EXPECT_FALSE(m_store->token);
    EXPECT_TRUE(api->refreshes[0]->token.isCancelled());
    ASSERT_EQ(api->logouts.size(), 1u);
    EXPECT_EQ(api->logouts[0]->tokenSent, QStringLiteral("renew-1"));

    // The server's answer was already on its way: the session it opened is revoked.
    api->refreshes[0]->succeed(pair(QStringLiteral("access-2"), QStringLiteral("renew-2")));
    EXPECT_EQ(failure(std::move(request)), AuthenticationClientError(Kind::noSession));
    EXPECT_FALSE(m_session->tokenPair());
    EXPECT_FALSE(m_store->token);
    EXPECT_TRUE(m_deliveries.empty());
    ASSERT_EQ(api->logouts.size(), 2u);
    EXPECT_EQ(api->logouts[1]->tokenSent, QStringLiteral("renew-2"));

    // A cancelled refresh that fails is not reported either.
    signIn(pair(QStringLiteral("access-3"), QStringLiteral("renew-3"), 10));
    auto another = send();
    runTask(m_session->signOut());
    api->refreshes[1]->fail(CancellationError());
    EXPECT_EQ(failure(std::move(another)), AuthenticationClientError(Kind::noSession));
    EXPECT_TRUE(m_deliveries.empty());
    EXPECT_EQ(api->logouts.size(), 3u);
    api->logouts[0]->succeed();
    api->logouts[1]->succeed();
    api->logouts[2]->fail(AuthenticationClientError(Kind::network));
}

TEST_F(ServerAuthenticationSessionTest, SignOutRevokesInTheBackground)
{
    auto api = std::make_shared<FakeAuthenticationAPI>();
    m_session = makeSession(api);

    // Without a pair in memory (restore found the server unavailable) the stored token is
    // still revoked, and deleted.
    m_store->token = QStringLiteral("stored");
    runTask(m_session->signOut());
    EXPECT_FALSE(m_store->token);
    ASSERT_EQ(api->logouts.size(), 1u);
    EXPECT_EQ(api->logouts[0]->tokenSent, QStringLiteral("stored"));
    api->logouts[0]->succeed();

    // Signing out returns before the server has answered: the local state is cleared at
    // once, and a failed revocation is not reported.
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1")));
    runTask(m_session->signOut());
    EXPECT_FALSE(m_session->tokenPair());
    EXPECT_FALSE(m_store->token);
    ASSERT_EQ(api->logouts.size(), 2u);
    EXPECT_EQ(api->logouts[1]->tokenSent, QStringLiteral("renew-1"));
    api->logouts[1]->fail(AuthenticationClientError(Kind::network));
    EXPECT_TRUE(m_deliveries.empty());

    // Nothing to revoke: nothing is sent.
    runTask(m_session->signOut());
    EXPECT_EQ(api->logouts.size(), 2u);
}

TEST_F(ServerAuthenticationSessionTest, BearerHeaderIsTheSessionsAndStaysHome)
{
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1")));
    m_standIn.setDefaultResponder("GET", resourcePath, acceptingBearer("access-1"));
    HTTPRequest request = resourceRequest();
    request.headers.set("authorization", "Bearer caller");
    // The caller's own limit: it holds for the authorised request too.
    request.timeout = std::chrono::milliseconds(scaledMs(2000));
    EXPECT_EQ(runTask(m_session->data(request, {})).body, "ok");
    EXPECT_EQ(bearersSent(), (QList<QByteArray>{"Bearer access-1"}));

    // A redirect to another origin is not followed, so the token goes nowhere else.
    ServiceStandIn elsewhere;
    elsewhere.setDefaultResponse("GET", resourcePath, ScriptedResponse::raw(200, "stolen"));
    m_standIn.enqueueResponse("GET", resourcePath, ScriptedResponse::redirectTo(elsewhere.url(resourcePath)));
    EXPECT_THROW(runTask(m_session->data(resourceRequest(), {})), HTTPTransportError);
    // Not even for a request that would follow a download anywhere.
    HTTPRequest anywhere = resourceRequest();
    anywhere.redirectPolicy = HTTPRedirectPolicy::anyOriginOverHTTPS;
    m_standIn.enqueueResponse("GET", resourcePath, ScriptedResponse::redirectTo(elsewhere.url(resourcePath)));
    EXPECT_THROW(runTask(m_session->data(anywhere, {})), HTTPTransportError);
    EXPECT_EQ(elsewhere.requestCount(), 0);

    // A token that would change the header's meaning never goes out.
    auto api = std::make_shared<FakeAuthenticationAPI>();
    m_session = makeSession(api);
    signIn(pair(QStringLiteral("access\r\nX-Injected: yes"), QStringLiteral("renew-1")));
    const qsizetype sent = m_standIn.requestCount();
    EXPECT_EQ(failure(send()), AuthenticationClientError(Kind::invalidResponse));
    EXPECT_EQ(m_standIn.requestCount(), sent);
}

TEST_F(ServerAuthenticationSessionTest, TranslationClientSendsThroughTheSession)
{
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1")));
    HTTPTranslationClient translator(ServerConfiguration(m_standIn.url()), nullptr, m_session);
    // The server has let the access token go early: 401, renewal, one more try.
    m_standIn.enqueueResponse("POST", translationsPath, ScriptedResponse::raw(401, {}));
    m_standIn.setDefaultResponder("POST", translationsPath, translatingResponder());
    answerRefresh(QStringLiteral("access-2"), QStringLiteral("renew-2"));

    const TranslationResponse response
        = runTask(translator.translate(QStringLiteral("Hello"), std::nullopt, TranslationTargetLanguage::korean, {}));
    EXPECT_EQ(response.translatedText, QStringLiteral("[ko] Hello"));
    const QList<RecordedRequest> translations = m_standIn.requests("POST", translationsPath);
    ASSERT_EQ(translations.size(), 2);
    EXPECT_EQ(translations[0].header("Authorization"), QByteArray("Bearer access-1"));
    EXPECT_EQ(translations[1].header("Authorization"), QByteArray("Bearer access-2"));
    EXPECT_EQ(translations[1].body, translations[0].body);

    // Signed out, the client's request fails before anything is sent.
    runTask(m_session->clearSession());
    EXPECT_THROW(
        runTask(translator.translate(QStringLiteral("Hi"), std::nullopt, TranslationTargetLanguage::korean, {})),
        AuthenticationClientError);
    EXPECT_EQ(m_standIn.requests("POST", translationsPath).size(), 2);
}

TEST_F(ServerAuthenticationSessionTest, AClientAndTheSessionDestroyedWhileARequestRunsEndItQuietly)
{
    signIn(pair(QStringLiteral("access-1"), QStringLiteral("renew-1")));
    m_standIn.enqueueResponse("POST", translationsPath, ScriptedResponse::raw(200, "{}").heldUntilReleased());
    // The client holds the only other share of the session.
    auto translator = std::make_unique<HTTPTranslationClient>(ServerConfiguration(m_standIn.url()), nullptr, m_session);
    m_session.reset();
    const auto outcome = destroyWhileInFlight(
        m_standIn, std::move(translator), [](HTTPTranslationClient &client, const CancellationToken &token) {
            return client.translate(QStringLiteral("Hello"), std::nullopt, TranslationTargetLanguage::korean, token);
        });
    EXPECT_TRUE(outcome->failedWith<CancellationError>());
    EXPECT_TRUE(m_deliveries.empty());
}
