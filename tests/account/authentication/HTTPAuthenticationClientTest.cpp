// Test label: unit
#include "account/authentication/HTTPAuthenticationClient.h"
#include "account/authentication/AuthenticationClientError.h"
#include "support/AuthenticationServiceScript.h"
#include "support/ClientTeardown.h"
#include "support/RunTask.h"
#include "support/TimeoutOverridingTransport.h"
#include "translation/http/QtNetworkHTTPTransport.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using namespace std::chrono_literals;

namespace {

using Kind = AuthenticationClientError::Kind;

class HTTPAuthenticationClientTest : public ::testing::Test
{
protected:
    // The error a call ends with; nothing when it succeeds.
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

    std::optional<AuthenticationClientError> loginAnswered(const ScriptedResponse &answer)
    {
        m_standIn.enqueueResponse("POST", loginPath, answer);
        return failure(m_client.login(QStringLiteral("google-id"), {}));
    }

    std::optional<AuthenticationClientError> refreshAnswered(const ScriptedResponse &answer)
    {
        m_standIn.enqueueResponse("POST", refreshPath, answer);
        return failure(m_client.refresh(QStringLiteral("renew"), {}));
    }

    ServiceStandIn m_standIn;
    HTTPAuthenticationClient m_client{ServerConfiguration(m_standIn.url(QStringLiteral("/")))};
};

} // namespace

TEST_F(HTTPAuthenticationClientTest, WireFormatOfTheThreeCalls)
{
    auto timing = std::make_shared<TimeoutOverridingTransport>(std::make_shared<QtNetworkHTTPTransport>(), 15s);
    HTTPAuthenticationClient atBasePath(ServerConfiguration(m_standIn.url(QStringLiteral("/api"))), timing);
    m_standIn.enqueueResponse("POST", QStringLiteral("/api") + loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-1"), QStringLiteral("renew-1"), 600)));
    m_standIn.enqueueResponse("POST", QStringLiteral("/api") + refreshPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-2"), QStringLiteral("renew-2"))));
    m_standIn.enqueueResponse("POST", QStringLiteral("/api") + logoutPath, ScriptedResponse::raw(204, {}));

    const AuthTokenPair signedIn = runTask(atBasePath.login(QStringLiteral("google \"id\""), {}));
    EXPECT_EQ(timing->originalTimeout, 15s);
    EXPECT_EQ(signedIn,
        (AuthTokenPair{QStringLiteral("access-1"), QStringLiteral("renew-1"), QStringLiteral("Bearer"), 600, 2592000}));
    EXPECT_EQ(runTask(atBasePath.refresh(QStringLiteral("renew-1"), {})).accessToken, QStringLiteral("access-2"));
    runTask(atBasePath.logout(QStringLiteral("renew-2"), {}));

    const QList<RecordedRequest> sent = m_standIn.requests();
    ASSERT_EQ(sent.size(), 3);
    const QList<std::pair<QString, QByteArray>> expected{
        {QStringLiteral("/api/v1/app/auth/google/login"), R"({"id_token":"google \"id\""})"},
        {QStringLiteral("/api/v1/app/auth/refresh"), R"({"refresh_token":"renew-1"})"},
        {QStringLiteral("/api/v1/app/auth/logout"), R"({"refresh_token":"renew-2"})"},
    };
    for (qsizetype i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].method, "POST");
        EXPECT_EQ(sent[i].path, expected[i].first);
        EXPECT_EQ(sent[i].body, expected[i].second);
        EXPECT_EQ(sent[i].header("Accept"), QByteArray("application/json"));
        EXPECT_EQ(sent[i].header("Content-Type"), QByteArray("application/json"));
        EXPECT_FALSE(sent[i].header("Authorization"));
    }
}

TEST_F(HTTPAuthenticationClientTest, OnlyAUsableBearerPairIsAccepted)
{
    // Any case of "bearer" passes and is kept as sent; unknown keys are ignored.
    QJsonObject capitals = tokenPairAnswer(QStringLiteral("a"), QStringLiteral("r"), 1, QStringLiteral("BEARER"));
    capitals.insert(QStringLiteral("scope"), QStringLiteral("app"));
    m_standIn.enqueueResponse("POST", loginPath, ScriptedResponse::json(capitals));
    EXPECT_EQ(runTask(m_client.login(QStringLiteral("id"), {})).tokenType, QStringLiteral("BEARER"));

    const auto broken = [](const QString &key, const QJsonValue &value) {
        QJsonObject answer = tokenPairAnswer(QStringLiteral("a"), QStringLiteral("r"));
        if (value.isUndefined()) {
            answer.remove(key);
        } else {
            answer.insert(key, value);
        }
        return ScriptedResponse::json(answer);
    };
    const std::vector<ScriptedResponse> unusable{
        broken(QStringLiteral("token_type"), QStringLiteral("bearer ")),
        broken(QStringLiteral("token_type"), QStringLiteral("mac")),
        broken(QStringLiteral("expires_in"), 0),
        broken(QStringLiteral("expires_in"), QStringLiteral("3600")),
        broken(QStringLiteral("access_token"), QString()),
        broken(QStringLiteral("refresh_token"), QString()),
        broken(QStringLiteral("refresh_expires_in"), QJsonValue::Undefined),
        broken(QStringLiteral("access_token"), QJsonValue::Undefined),
        // An access token that would break the header it goes into.
        broken(QStringLiteral("access_token"), QStringLiteral("abc\r\nX-Injected: 1")),
        broken(QStringLiteral("access_token"), QStringLiteral("abc def")),
        ScriptedResponse::raw(200, "not json"),
        ScriptedResponse::raw(200, "[]"),
    };
    for (const ScriptedResponse &answer : unusable) {
        SCOPED_TRACE(answer.body.toStdString());
        EXPECT_EQ(loginAnswered(answer), AuthenticationClientError(Kind::invalidResponse));
        EXPECT_EQ(refreshAnswered(answer), AuthenticationClientError(Kind::invalidResponse));
    }
}

TEST_F(HTTPAuthenticationClientTest, StatusMapping)
{
    const ScriptedResponse registration = ScriptedResponse::json(
        errorEnvelope(QStringLiteral("web_registration_required"), QStringLiteral("Any.")), 403);
    EXPECT_EQ(loginAnswered(registration), AuthenticationClientError(Kind::webRegistrationRequired));
    // Only login knows that refusal; another code, another case or no envelope is a rejection.
    EXPECT_EQ(refreshAnswered(registration), AuthenticationClientError::rejected(403));
    EXPECT_EQ(loginAnswered(ScriptedResponse::json(errorEnvelope(QStringLiteral("Web_Registration_Required")), 403)),
        AuthenticationClientError::rejected(403));
    EXPECT_EQ(loginAnswered(ScriptedResponse::raw(403, {})), AuthenticationClientError::rejected(403));

    const QByteArray pair = QJsonDocument(tokenPairAnswer(QStringLiteral("a"), QStringLiteral("r"))).toJson();
    for (int status : {201, 204, 400, 401, 404, 500}) {
        EXPECT_EQ(loginAnswered(ScriptedResponse::raw(status, pair)), AuthenticationClientError::rejected(status));
        EXPECT_EQ(refreshAnswered(ScriptedResponse::raw(status, pair)), AuthenticationClientError::rejected(status));
    }
    EXPECT_EQ(loginAnswered(ScriptedResponse::raw(503, "down")), AuthenticationClientError(Kind::unavailable));
    EXPECT_EQ(refreshAnswered(ScriptedResponse::raw(503, {})), AuthenticationClientError(Kind::unavailable));

    // Logout accepts 204 alone, whatever its body.
    m_standIn.enqueueResponse("POST", logoutPath, ScriptedResponse::raw(204, "ignored"));
    EXPECT_FALSE(failure(m_client.logout(QStringLiteral("r"), {})));
    m_standIn.enqueueResponse("POST", logoutPath, ScriptedResponse::raw(200, {}));
    EXPECT_EQ(failure(m_client.logout(QStringLiteral("r"), {})), AuthenticationClientError::rejected(200));
    m_standIn.enqueueResponse("POST", logoutPath, ScriptedResponse::raw(503, {}));
    EXPECT_EQ(failure(m_client.logout(QStringLiteral("r"), {})), AuthenticationClientError(Kind::unavailable));
}

TEST_F(HTTPAuthenticationClientTest, NoAnswerIsANetworkFailure)
{
    auto quick = std::make_shared<TimeoutOverridingTransport>(std::make_shared<QtNetworkHTTPTransport>(), 200ms);
    HTTPAuthenticationClient impatient(ServerConfiguration(m_standIn.url(QStringLiteral("/"))), quick);
    m_standIn.enqueueResponse("POST", refreshPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("a"), QStringLiteral("r"))).heldUntilReleased());
    const auto timedOut = failure(impatient.refresh(QStringLiteral("r"), {}));
    EXPECT_EQ(timedOut, AuthenticationClientError(Kind::network));
    EXPECT_EQ(timedOut->localizedDescription(), AuthenticationClientError(Kind::unavailable).localizedDescription());
    m_standIn.releaseHeldResponses();

    // A redirect to another origin is not followed: the refresh token stays home.
    ServiceStandIn elsewhere;
    elsewhere.setDefaultResponse(
        "POST", refreshPath, ScriptedResponse::json(tokenPairAnswer(QStringLiteral("a"), QStringLiteral("r"))));
    m_standIn.enqueueResponse("POST", refreshPath,
        ScriptedResponse::raw(307, {}).withHeader("Location", elsewhere.url(refreshPath).toEncoded()));
    EXPECT_EQ(failure(m_client.refresh(QStringLiteral("r"), {})), AuthenticationClientError(Kind::network));
    EXPECT_EQ(elsewhere.requestCount(), 0);

    // Nobody listening.
    const quint16 port = m_standIn.port();
    m_standIn.stop();
    HTTPAuthenticationClient unreachable(ServerConfiguration(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port))));
    EXPECT_EQ(failure(unreachable.login(QStringLiteral("id"), {})), AuthenticationClientError(Kind::network));
}

TEST_F(HTTPAuthenticationClientTest, ADestroyedClientEndsItsCallQuietly)
{
    m_standIn.enqueueResponse("POST", refreshPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access"), QStringLiteral("renew"))).heldUntilReleased());
    const auto outcome = destroyWhileInFlight(m_standIn,
        std::make_unique<HTTPAuthenticationClient>(ServerConfiguration(m_standIn.url(QStringLiteral("/")))),
        [](HTTPAuthenticationClient &client, const CancellationToken &token) {
            return client.refresh(QStringLiteral("renew"), token);
        });
    EXPECT_TRUE(outcome->failedWith<CancellationError>());
}
