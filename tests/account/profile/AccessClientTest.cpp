// Test label: unit
#include "account/authentication/AuthenticationClientError.h"
#include "account/authentication/HTTPAuthenticationClient.h"
#include "account/profile/AccessClientError.h"
#include "account/profile/AccessCoordinator.h"
#include "account/profile/FixtureAccessAPI.h"
#include "account/profile/HTTPAccessClient.h"
#include "account/profile/UnavailableAccessAPI.h"
#include "account/session/ServerAuthenticationSession.h"
#include "account/tokens/InMemoryRefreshTokenStore.h"
#include "foundation/json/JsonDecoding.h"
#include "support/AuthenticationServiceScript.h"
#include "support/ClientTeardown.h"
#include "support/RunTask.h"
#include "translation/http/QtNetworkHTTPTransport.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

const QString mePath = QStringLiteral("/v1/me");
const QString userID = QStringLiteral("6f1c2a9e-3b4d-4e5f-8a7b-9c0d1e2f3a4b");

QJsonObject profileAnswer()
{
    return QJsonObject{
        {QStringLiteral("id"), userID},
        {QStringLiteral("email"), QStringLiteral("player@example.com")},
        {QStringLiteral("display_name"), QStringLiteral("Player One")},
        {QStringLiteral("picture_url"), QStringLiteral("https://images.example.com/p/1.png")},
        {QStringLiteral("plan"), QStringLiteral("ignored")},
    };
}

class AccessClientTest : public ::testing::Test
{
protected:
    std::optional<AccessClientError> failureFor(const ScriptedResponse &answer)
    {
        m_standIn.enqueueResponse("GET", mePath, answer);
        try {
            runTask(m_client.fetchCurrentUser({}));
        } catch (const AccessClientError &error) {
            return error;
        }
        ADD_FAILURE() << "the profile was accepted: " << answer.body.toStdString();
        return std::nullopt;
    }

    ServiceStandIn m_standIn;
    HTTPAccessClient m_client{
        ServerConfiguration(m_standIn.url(QStringLiteral("/"))), std::make_shared<QtNetworkHTTPTransport>()};
};

} // namespace

TEST_F(AccessClientTest, FetchesTheProfile)
{
    m_standIn.enqueueResponse("GET", mePath, ScriptedResponse::json(profileAnswer()));
    const CurrentUser user = runTask(m_client.fetchCurrentUser({}));
    EXPECT_EQ(user.id, QUuid::fromString(userID));
    EXPECT_EQ(user.email, QStringLiteral("player@example.com"));
    EXPECT_EQ(user.displayName, QStringLiteral("Player One"));
    EXPECT_EQ(user.pictureURL, QUrl(QStringLiteral("https://images.example.com/p/1.png")));

    const RecordedRequest request = m_standIn.requests()[0];
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/v1/me");
    EXPECT_EQ(request.header("Accept"), QByteArray("application/json"));
    EXPECT_FALSE(request.header("Authorization"));
    EXPECT_FALSE(request.header("Idempotency-Key"));
    EXPECT_TRUE(request.body.isEmpty());

    // Any 2xx with a profile; absent and null optional fields are empty.
    QJsonObject sparse{{QStringLiteral("id"), userID.toUpper()}, {QStringLiteral("email"), QStringLiteral("e@x.io")},
        {QStringLiteral("display_name"), QJsonValue::Null}};
    m_standIn.enqueueResponse("GET", mePath, ScriptedResponse::json(sparse, 203));
    const CurrentUser minimal = runTask(m_client.fetchCurrentUser({}));
    EXPECT_EQ(minimal.id, QUuid::fromString(userID));
    EXPECT_FALSE(minimal.displayName);
    EXPECT_FALSE(minimal.pictureURL);

    // Written back, the optional keys appear only when present.
    EXPECT_EQ(CurrentUser::fromJson(QJsonDocument(minimal.toJson()).toJson()), minimal);
    EXPECT_FALSE(minimal.toJson().contains(QStringLiteral("display_name")));
    EXPECT_EQ(CurrentUser::fromJson(user.toJson()), user);
}

TEST_F(AccessClientTest, DecodingIsStrict)
{
    const auto changed = [](const QString &key, const QJsonValue &value) {
        QJsonObject answer = profileAnswer();
        if (value.isUndefined()) {
            answer.remove(key);
        } else {
            answer.insert(key, value);
        }
        return ScriptedResponse::json(answer);
    };
    const std::vector<ScriptedResponse> broken{
        changed(QStringLiteral("id"), QStringLiteral("not-a-uuid")),
        changed(QStringLiteral("id"), QStringLiteral("{") + userID + QStringLiteral("}")),
        changed(QStringLiteral("id"), QJsonValue::Undefined),
        changed(QStringLiteral("id"), QJsonValue::Null),
        changed(QStringLiteral("email"), QJsonValue::Undefined),
        changed(QStringLiteral("email"), 5),
        changed(QStringLiteral("display_name"), 5),
        changed(QStringLiteral("picture_url"), QString()),
        changed(QStringLiteral("picture_url"), QStringLiteral("not a url")),
        changed(QStringLiteral("picture_url"), true),
        ScriptedResponse::raw(200, "[]"),
        // An empty answer is no profile.
        ScriptedResponse::raw(204, {}),
    };
    for (const ScriptedResponse &answer : broken) {
        EXPECT_EQ(failureFor(answer), AccessClientError(AccessClientError::Kind::invalidResponse));
    }
}

TEST_F(AccessClientTest, ErrorAnswers)
{
    const auto envelope = failureFor(ScriptedResponse::json(
        errorEnvelope(QStringLiteral("account_suspended"), QStringLiteral("Your account is suspended.")), 500));
    ASSERT_TRUE(envelope);
    EXPECT_EQ(envelope->kind(), AccessClientError::Kind::server);
    EXPECT_EQ(envelope->statusCode(), 500);
    EXPECT_EQ(envelope->code(), QStringLiteral("account_suspended"));
    EXPECT_EQ(envelope->localizedDescription(), QStringLiteral("Your account is suspended."));

    const auto bare = failureFor(ScriptedResponse::raw(503, {}));
    ASSERT_TRUE(bare);
    EXPECT_EQ(*bare,
        AccessClientError::server(
            503, QStringLiteral("unexpected_error"), QStringLiteral("The access server returned HTTP status 503.")));
    // An envelope missing its message is no envelope.
    const auto partial = failureFor(ScriptedResponse::raw(404, R"({"detail":{"code":"missing"}})"));
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->code(), QStringLiteral("unexpected_error"));

    EXPECT_EQ(AccessClientError(AccessClientError::Kind::invalidConfiguration).localizedDescription(),
        QStringLiteral("The access server configuration is invalid."));
}

TEST_F(AccessClientTest, ThroughTheAuthorisedSession)
{
    auto session = std::make_shared<ServerAuthenticationSession>(true,
        std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(m_standIn.url())),
        std::make_shared<InMemoryRefreshTokenStore>(), std::make_shared<AuthenticationEventRouter>());
    AccessCoordinator coordinator(makeAccessAPI(
        InfoDictionary{{QStringLiteral("TranslationServerBaseURL"), m_standIn.url().toString()}}, false, session));

    // Nobody signed in: the session's error, unchanged.
    EXPECT_THROW(runTask(coordinator.fetchCurrentUser()), AuthenticationClientError);

    runTask(session->apply(
        AuthTokenPair{QStringLiteral("access-1"), QStringLiteral("renew-1"), QStringLiteral("Bearer"), 3600, 0}));
    m_standIn.setDefaultResponder("GET", mePath, [](const RecordedRequest &request) {
        return request.header("Authorization") == "Bearer access-1" ? ScriptedResponse::json(profileAnswer())
                                                                    : ScriptedResponse::raw(401, {});
    });
    EXPECT_EQ(runTask(coordinator.fetchCurrentUser()).email, QStringLiteral("player@example.com"));
}

TEST(AccessAPIChoice, FixtureUnavailableAndFactory)
{
    const CurrentUser fixture = runTask(FixtureAccessAPI().fetchCurrentUser({}));
    EXPECT_EQ(fixture.id, QUuid::fromString(QStringLiteral("11111111-2222-3333-4444-555555555555")));
    EXPECT_EQ(fixture.displayName, QStringLiteral("Fixture Player"));
    EXPECT_FALSE(fixture.pictureURL);

    EXPECT_THROW(runTask(UnavailableAccessAPI().fetchCurrentUser({})), AccessClientError);
    try {
        runTask(AccessCoordinator(nullptr).fetchCurrentUser());
        FAIL();
    } catch (const AccessClientError &error) {
        EXPECT_EQ(error.kind(), AccessClientError::Kind::invalidConfiguration);
    }

    EXPECT_TRUE(std::dynamic_pointer_cast<FixtureAccessAPI>(makeAccessAPI({}, true, nullptr)));
    EXPECT_TRUE(std::dynamic_pointer_cast<UnavailableAccessAPI>(makeAccessAPI(
        InfoDictionary{{QStringLiteral("TranslationServerBaseURL"), QStringLiteral("ftp://x")}}, false, nullptr)));
    auto transport = std::make_shared<QtNetworkHTTPTransport>();
    const auto live = std::dynamic_pointer_cast<HTTPAccessClient>(makeAccessAPI(
        InfoDictionary{{QStringLiteral("TranslationServerBaseURL"), QStringLiteral("https://api.example.com/")}}, false,
        transport));
    ASSERT_TRUE(live);
    EXPECT_EQ(live->transport(), transport);
}

TEST_F(AccessClientTest, ADestroyedClientEndsItsRequestQuietly)
{
    m_standIn.enqueueResponse("GET", mePath, ScriptedResponse::json(profileAnswer()).heldUntilReleased());
    const auto outcome = destroyWhileInFlight(m_standIn,
        std::make_unique<HTTPAccessClient>(
            ServerConfiguration(m_standIn.url(QStringLiteral("/"))), std::make_shared<QtNetworkHTTPTransport>()),
        [](HTTPAccessClient &client, const CancellationToken &token) { return client.fetchCurrentUser(token); });
    EXPECT_TRUE(outcome->failedWith<CancellationError>());
}
