// Test label: unit
#include "support/ClientTeardown.h"
#include "support/MinimumVersionPolicyScript.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/TestGate.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/http/QtNetworkHTTPTransport.h"
#include "update/policy/FailingMinimumVersionPolicyClient.h"
#include "update/policy/FixtureMinimumVersionPolicyClient.h"
#include "update/policy/MinimumVersionPolicyError.h"
#include "update/policy/QtNetworkMinimumVersionPolicyClient.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using Kind = MinimumVersionPolicyError::Kind;

namespace {

// What a fetch started in the background ended with.
struct FetchOutcome
{
    bool finished = false;
    std::optional<VerifiedMinimumVersionPolicy> policy;
    std::optional<Kind> error;
    bool cancelled = false;
};

QCoro::Task<void> collect(QCoro::Task<VerifiedMinimumVersionPolicy> fetch, std::shared_ptr<FetchOutcome> outcome)
{
    try {
        outcome->policy = co_await fetch;
    } catch (const MinimumVersionPolicyError &error) {
        outcome->error = error.kind();
    } catch (const CancellationError &) {
        outcome->cancelled = true;
    }
    outcome->finished = true;
}

std::shared_ptr<FetchOutcome> startFetch(MinimumVersionPolicyFetching &client, CancellationToken token = {})
{
    auto outcome = std::make_shared<FetchOutcome>();
    collect(client.fetch(std::move(token)), outcome);
    return outcome;
}

std::optional<Kind> fetchError(MinimumVersionPolicyFetching &client)
{
    const auto outcome = startFetch(client);
    EXPECT_TRUE(waitUntil([&] { return outcome->finished; }));
    EXPECT_FALSE(outcome->cancelled);
    return outcome->error;
}

// Passes requests to the live transport and notes the path of every download that ended.
class ObservedTransport : public HTTPTransport
{
public:
    explicit ObservedTransport(std::shared_ptr<HTTPTransport> inner)
        : m_inner(std::move(inner))
    { }

    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken token) override
    {
        const std::shared_ptr<HTTPTransport> inner = m_inner;
        const std::shared_ptr<QStringList> ended = m_ended;
        const QString path = request.url.path();
        try {
            HTTPResponse response = co_await inner->data(std::move(request), std::move(token));
            ended->append(path);
            co_return response;
        } catch (...) {
            ended->append(path);
            throw;
        }
    }

    QStringList ended() const { return *m_ended; }

private:
    std::shared_ptr<HTTPTransport> m_inner;
    std::shared_ptr<QStringList> m_ended = std::make_shared<QStringList>();
};

// Sends every request through a function of the test.
class ForwardingTransport : public HTTPTransport
{
public:
    using Send = std::function<QCoro::Task<HTTPResponse>(HTTPRequest, CancellationToken)>;

    explicit ForwardingTransport(Send send)
        : m_send(std::move(send))
    { }

    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken token) override
    {
        return m_send(std::move(request), std::move(token));
    }

private:
    Send m_send;
};

class MinimumVersionPolicyClientTest : public ::testing::Test
{
protected:
    // Every answer is scripted once: a request sent twice finds no answer.
    void TearDown() override { expectAllScripted(m_standIn); }

    MinimumVersionConfiguration configuration() const
    {
        return MinimumVersionConfiguration::fromInfoDictionary(policyInfoDictionary(m_standIn));
    }

    QtNetworkMinimumVersionPolicyClient client() const
    {
        return QtNetworkMinimumVersionPolicyClient(configuration(), nullptr, m_transport);
    }

    std::optional<Kind> answersError(ScriptedResponse policy, ScriptedResponse signature)
    {
        enqueuePolicy(m_standIn, std::move(policy), std::move(signature));
        QtNetworkMinimumVersionPolicyClient policyClient = client();
        return fetchError(policyClient);
    }

    ServiceStandIn m_standIn;
    std::shared_ptr<ObservedTransport> m_transport
        = std::make_shared<ObservedTransport>(std::make_shared<QtNetworkHTTPTransport>());
    const QByteArray m_document = policyDocument(3, QStringLiteral("120"), QStringLiteral("1.2.0"));
};

} // namespace

TEST_F(MinimumVersionPolicyClientTest, DownloadsBothFilesAndVerifiesThem)
{
    enqueueSignedPolicy(m_standIn, m_document);
    QtNetworkMinimumVersionPolicyClient policyClient = client();
    const VerifiedMinimumVersionPolicy verified = runTask(policyClient.fetch({}));
    EXPECT_EQ(verified,
        VerifiedMinimumVersionPolicy::verify(
            m_document, testSignatureFile(m_document), testPolicySigningKey().publicKey));
    EXPECT_EQ(verified.policy.minimumSupportedBuild, QStringLiteral("120"));

    // Two plain GETs, the signature beside the policy.
    const QList<RecordedRequest> requests = m_standIn.requests();
    ASSERT_EQ(requests.size(), 2);
    QStringList paths;
    for (const RecordedRequest &request : requests) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_TRUE(request.body.isEmpty());
        EXPECT_FALSE(request.header("Authorization"));
        paths << request.path;
    }
    paths.sort();
    EXPECT_EQ(paths, (QStringList{minimumVersionPolicyPath, minimumVersionSignaturePath}));

    // Any status from 200 to 299 will do.
    enqueuePolicy(m_standIn, ScriptedResponse::raw(201, m_document),
        ScriptedResponse::raw(203, testSignatureFile(m_document), "text/plain"));
    EXPECT_EQ(runTask(policyClient.fetch({})), verified);
}

TEST_F(MinimumVersionPolicyClientTest, StatusesAreTestedOnlyAfterBothDownloadsEnded)
{
    enqueuePolicy(m_standIn, ScriptedResponse::raw(404, "missing"),
        ScriptedResponse::raw(200, testSignatureFile(m_document), "text/plain").heldUntilReleased());
    QtNetworkMinimumVersionPolicyClient policyClient = client();
    const auto outcome = startFetch(policyClient);

    ASSERT_TRUE(waitUntil([&] {
        return m_transport->ended().contains(minimumVersionPolicyPath) && m_standIn.pendingResponseCount() == 1;
    }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(outcome->finished) << "the 404 must wait for the signature download";

    m_standIn.releaseHeldResponses();
    ASSERT_TRUE(waitUntil([&] { return outcome->finished; }));
    EXPECT_EQ(outcome->error, Kind::downloadFailed);
    EXPECT_FALSE(m_standIn.requests("GET", minimumVersionSignaturePath).at(0).clientDisconnected);
}

TEST_F(MinimumVersionPolicyClientTest, FailedDownloadsAndBadAnswers)
{
    const QByteArray signature = testSignatureFile(m_document);
    EXPECT_EQ(answersError(ScriptedResponse::raw(200, m_document), ScriptedResponse::raw(500, signature)),
        Kind::downloadFailed);
    EXPECT_EQ(answersError(ScriptedResponse::raw(304, m_document), ScriptedResponse::raw(200, signature)),
        Kind::downloadFailed);

    // Verification errors pass unchanged.
    EXPECT_EQ(answersError(ScriptedResponse::raw(200, m_document), ScriptedResponse::raw(200, testSignatureFile("x"))),
        Kind::invalidSignature);
    EXPECT_EQ(
        answersError(ScriptedResponse::raw(201, m_document), ScriptedResponse::raw(204, {})), Kind::invalidSignature);
    const QByteArray notJSON = "not json";
    EXPECT_EQ(answersError(ScriptedResponse::raw(200, notJSON), ScriptedResponse::raw(200, testSignatureFile(notJSON))),
        Kind::invalidJSON);

    // The signature's host does not answer.
    std::optional<QUrl> closed;
    {
        ServiceStandIn gone;
        closed = gone.url(minimumVersionSignaturePath);
    }
    m_standIn.enqueueResponse("GET", minimumVersionPolicyPath, ScriptedResponse::raw(200, m_document));
    MinimumVersionConfiguration unreachable = configuration();
    unreachable.signatureURL = *closed;
    QtNetworkMinimumVersionPolicyClient unreachableClient(unreachable, nullptr, m_transport);
    EXPECT_EQ(fetchError(unreachableClient), Kind::downloadFailed);
}

TEST_F(MinimumVersionPolicyClientTest, AFailedPolicyDownloadCancelsTheSignatureDownload)
{
    // The policy download breaks off once the signature request has reached the stand-in.
    const auto policyGate = std::make_shared<TestGate>();
    const auto live = std::make_shared<QtNetworkHTTPTransport>();
    const auto transport = std::make_shared<ForwardingTransport>(
        [policyGate, live](HTTPRequest request, CancellationToken token) -> QCoro::Task<HTTPResponse> {
            if (request.url.path() == minimumVersionPolicyPath) {
                co_await policyGate->wait();
                throw HTTPTransportError(HTTPTransportError::Kind::networkFailure, QStringLiteral("connection reset"));
            }
            co_return co_await live->data(std::move(request), std::move(token));
        });
    m_standIn.enqueueResponse("GET", minimumVersionSignaturePath,
        ScriptedResponse::raw(200, testSignatureFile(m_document), "text/plain").heldUntilReleased());
    QtNetworkMinimumVersionPolicyClient policyClient(configuration(), nullptr, transport);
    const auto outcome = startFetch(policyClient);
    ASSERT_TRUE(waitUntil([&] { return m_standIn.pendingResponseCount() == 1; }));

    policyGate->releaseOne();
    ASSERT_TRUE(waitUntil([&] { return outcome->finished; }));
    EXPECT_EQ(outcome->error, Kind::downloadFailed);
    ASSERT_TRUE(waitUntil([&] {
        const QList<RecordedRequest> signatures = m_standIn.requests("GET", minimumVersionSignaturePath);
        return !signatures.isEmpty() && signatures.at(0).clientDisconnected;
    }));
}

TEST_F(MinimumVersionPolicyClientTest, CancellingTheCallerIsADownloadFailure)
{
    enqueuePolicy(m_standIn, ScriptedResponse::raw(200, m_document).heldUntilReleased(),
        ScriptedResponse::raw(200, testSignatureFile(m_document), "text/plain").heldUntilReleased());
    QtNetworkMinimumVersionPolicyClient policyClient = client();
    const CancellationToken token;
    const auto outcome = startFetch(policyClient, token);
    ASSERT_TRUE(waitUntil([&] { return m_standIn.pendingResponseCount() == 2; }));
    token.cancel();
    ASSERT_TRUE(waitUntil([&] { return outcome->finished; }));
    EXPECT_EQ(outcome->error, Kind::downloadFailed);
    EXPECT_FALSE(outcome->cancelled);
}

TEST_F(MinimumVersionPolicyClientTest, ADestroyedClientEndsItsFetchAsADownloadFailure)
{
    enqueuePolicy(m_standIn, ScriptedResponse::raw(200, m_document).heldUntilReleased(),
        ScriptedResponse::raw(200, testSignatureFile(m_document), "text/plain").heldUntilReleased());
    const auto outcome = destroyWhileInFlight(
        m_standIn, std::make_unique<QtNetworkMinimumVersionPolicyClient>(configuration()),
        [](QtNetworkMinimumVersionPolicyClient &client, const CancellationToken &token) { return client.fetch(token); },
        2);
    EXPECT_TRUE(outcome->failedWith<MinimumVersionPolicyError>());
}

TEST_F(MinimumVersionPolicyClientTest, FollowsRedirectsToAnotherHost)
{
    // The operator's host sends both files on to a CDN of another origin.
    ServiceStandIn cdn;
    enqueueSignedPolicy(cdn, m_document);
    enqueuePolicy(m_standIn, ScriptedResponse::redirectTo(cdn.url(minimumVersionPolicyPath)),
        ScriptedResponse::redirectTo(cdn.url(minimumVersionSignaturePath)));
    QtNetworkMinimumVersionPolicyClient policyClient = client();
    EXPECT_EQ(runTask(policyClient.fetch({})).policy.minimumSupportedBuild, QStringLiteral("120"));
    // Each hop's request was sent once.
    EXPECT_EQ(m_standIn.requestCount(), 2);
    EXPECT_EQ(cdn.requestCount(), 2);
    expectAllScripted(cdn);
}

TEST(MinimumVersionPolicyStandInClientsTest, FixtureAndFailingClients)
{
    FailingMinimumVersionPolicyClient failing;
    EXPECT_EQ(fetchError(failing), Kind::invalidConfiguration);

    FixtureMinimumVersionPolicyClient allowed(FixtureMinimumVersionPolicyClient::Result::allowed);
    EXPECT_EQ(runTask(allowed.fetch({})),
        (VerifiedMinimumVersionPolicy{
            {1, 1, QStringLiteral("1"), QStringLiteral("0.1.0")}, QStringLiteral("fixture-1")}));
    FixtureMinimumVersionPolicyClient required(FixtureMinimumVersionPolicyClient::Result::required);
    EXPECT_EQ(runTask(required.fetch({})),
        (VerifiedMinimumVersionPolicy{
            {1, 1, QStringLiteral("9999"), QStringLiteral("99.0.0")}, QStringLiteral("fixture-9999")}));
    FixtureMinimumVersionPolicyClient failed(FixtureMinimumVersionPolicyClient::Result::failed);
    EXPECT_EQ(fetchError(failed), Kind::downloadFailed);

    // Suspended: only the caller's cancellation ends it.
    FixtureMinimumVersionPolicyClient suspended(FixtureMinimumVersionPolicyClient::Result::suspended);
    const CancellationToken token;
    const auto outcome = startFetch(suspended, token);
    for (int turn = 0; turn < 5; ++turn) {
        QCoreApplication::processEvents();
    }
    EXPECT_FALSE(outcome->finished);
    token.cancel();
    EXPECT_FALSE(outcome->finished) << "resumes on a later turn, never inside cancel()";
    ASSERT_TRUE(waitUntil([&] { return outcome->finished; }));
    EXPECT_TRUE(outcome->cancelled);
    EXPECT_FALSE(outcome->policy);
}
