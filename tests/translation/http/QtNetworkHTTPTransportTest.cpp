// Test label: unit
#include "translation/http/QtNetworkHTTPTransport.h"
#include "support/ClientTeardown.h"
#include "support/HostsServingSession.h"
#include "support/PrivateNetwork.h"
#include "support/ProcessInput.h"
#include "support/RunTask.h"
#include "support/ScriptedHostResolver.h"
#include "support/ServiceStandIn.h"
#include "translation/http/HTTPTransportError.h"

#include <QFile>
#include <QHostInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

#include <unistd.h>

using namespace veyra;
using namespace veyra::test;
using namespace std::chrono_literals;

namespace {

HTTPRequest post(const QUrl &url, QByteArray body)
{
    HTTPRequest request;
    request.method = "POST";
    request.url = url;
    request.headers.set("Content-Type", "application/json");
    request.headers.set("X-Trace", "one");
    request.body = std::move(body);
    return request;
}

HTTPTransportError::Kind transportFailure(QCoro::Task<HTTPResponse> task)
{
    try {
        runTask(std::move(task));
    } catch (const HTTPTransportError &error) {
        return error.kind();
    }
    ADD_FAILURE() << "the request did not fail with a transport error";
    return HTTPTransportError::Kind::networkFailure;
}

// A session whose GUI thread is busy for a while as each answer begins, before the
// transport sees it: only the read-ahead bound keeps Qt's network thread from reading on.
class BusyWhenAnswersBegin : public QNetworkAccessManager
{
protected:
    QNetworkReply *createRequest(Operation operation, const QNetworkRequest &request, QIODevice *body) override
    {
        QNetworkReply *reply = QNetworkAccessManager::createRequest(operation, request, body);
        connect(reply, &QNetworkReply::metaDataChanged, reply, [] { QThread::msleep(500); });
        return reply;
    }
};

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Counts the connections made to a port of this machine, on every address.
class ConnectionCounter
{
public:
    ConnectionCounter()
    {
        EXPECT_TRUE(m_server.listen(QHostAddress::Any));
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++m_count;
                socket->deleteLater();
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    int count() const { return m_count; }

private:
    QTcpServer m_server;
    int m_count = 0;
};

class QtNetworkHTTPTransportTest : public ::testing::Test
{
protected:
    // Every answer is scripted once: a request sent twice finds no answer.
    void TearDown() override { expectAllScripted(m_standIn); }

    ServiceStandIn m_standIn;
    QtNetworkHTTPTransport m_transport;
};

} // namespace

TEST_F(QtNetworkHTTPTransportTest, SendsTheRequestUnchangedAndReturnsTheAnswer)
{
    m_standIn.enqueueResponse(
        "POST", QStringLiteral("/echo"), ScriptedResponse::raw(200, "{\"ok\":true}").withHeader("X-Answer", "yes"));
    const HTTPResponse response
        = runTask(m_transport.data(post(m_standIn.url(QStringLiteral("/echo")), "{\"a\":1}"), {}));
    EXPECT_EQ(response.statusCode, 200);
    EXPECT_EQ(response.body, "{\"ok\":true}");
    EXPECT_EQ(response.headers.value("x-answer"), QByteArray("yes"));
    EXPECT_EQ(response.headers.value("Content-Type"), QByteArray("application/json"));

    const QList<RecordedRequest> received = m_standIn.requests();
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received[0].method, "POST");
    EXPECT_EQ(received[0].path, QStringLiteral("/echo"));
    EXPECT_EQ(received[0].body, "{\"a\":1}");
    EXPECT_EQ(received[0].header("content-type"), QByteArray("application/json"));
    EXPECT_EQ(received[0].header("X-Trace"), QByteArray("one"));
    EXPECT_FALSE(received[0].header("Authorization"));

    // Another method without a body.
    m_standIn.enqueueResponse("GET", QStringLiteral("/policy"), ScriptedResponse::raw(200, "policy"));
    HTTPRequest get;
    get.url = m_standIn.url(QStringLiteral("/policy"));
    EXPECT_EQ(runTask(m_transport.data(get, {})).body, "policy");
}

TEST_F(QtNetworkHTTPTransportTest, ErrorStatusesAreAnswers)
{
    const QList<int> statuses{201, 204, 400, 401, 403, 404, 409, 418, 429, 500, 502, 503};
    for (int status : statuses) {
        const QByteArray body
            = status == 204 ? QByteArray() : QByteArray("{\"status\":") + QByteArray::number(status) + '}';
        m_standIn.enqueueResponse("POST", QStringLiteral("/status"), ScriptedResponse::raw(status, body));
        const HTTPResponse response
            = runTask(m_transport.data(post(m_standIn.url(QStringLiteral("/status")), "{}"), {}));
        EXPECT_EQ(response.statusCode, status);
        EXPECT_EQ(response.body, body) << status;
    }
}

TEST_F(QtNetworkHTTPTransportTest, TimeOutIsANetworkErrorNotACancellation)
{
    m_standIn.enqueueResponse("POST", QStringLiteral("/slow"), ScriptedResponse::raw(200, "{}").heldUntilReleased());
    HTTPRequest request = post(m_standIn.url(QStringLiteral("/slow")), "{}");
    request.timeout = 1s;
    CancellationToken token;
    EXPECT_EQ(transportFailure(m_transport.data(request, token)), HTTPTransportError::Kind::timedOut);
    EXPECT_FALSE(token.isCancelled());
    // The connection was given up, so the stand-in's answer has nobody to go to.
    EXPECT_TRUE(waitUntil([this] { return m_standIn.requests().value(0).clientDisconnected; }));

    // The time-out is a deadline for the whole request: an answer that trickles in, a
    // byte every tenth of a second, never finishes it within its time-out.
    const QByteArray slowBody(50, 'x');
    m_standIn.enqueueResponse(
        "POST", QStringLiteral("/trickle"), ScriptedResponse::raw(200, slowBody, "text/plain").trickled(100ms));
    request.url = m_standIn.url(QStringLiteral("/trickle"));
    EXPECT_EQ(transportFailure(m_transport.data(request, token)), HTTPTransportError::Kind::timedOut);
    EXPECT_FALSE(token.isCancelled());
    ASSERT_TRUE(waitUntil([this] { return m_standIn.requests().value(1).answerEnded; }));
    EXPECT_GT(m_standIn.requests().value(1).answerBytesSent, 0);
    EXPECT_LT(m_standIn.requests().value(1).answerBytesSent, slowBody.size());

    // After a redirect, the time-out still ends the request.
    m_standIn.enqueueResponse(
        "POST", QStringLiteral("/hop"), ScriptedResponse::redirectTo(m_standIn.url(QStringLiteral("/slow")), 307));
    m_standIn.enqueueResponse("POST", QStringLiteral("/slow"), ScriptedResponse::raw(200, "{}").heldUntilReleased());
    request.url = m_standIn.url(QStringLiteral("/hop"));
    EXPECT_EQ(transportFailure(m_transport.data(request, token)), HTTPTransportError::Kind::timedOut);
    EXPECT_TRUE(waitUntil([this] { return m_standIn.requests().value(3).clientDisconnected; }));
    EXPECT_EQ(m_standIn.requests().value(3).path, QStringLiteral("/slow"));
}

TEST_F(QtNetworkHTTPTransportTest, CancellingAbortsTheConnection)
{
    m_standIn.enqueueResponse("POST", QStringLiteral("/slow"), ScriptedResponse::raw(200, "{}").heldUntilReleased());
    CancellationToken token;
    // A time-out that no test waits for: only the cancellation ends the request.
    HTTPRequest request = post(m_standIn.url(QStringLiteral("/slow")), "{}");
    request.timeout = std::chrono::hours(1);
    QCoro::Task<HTTPResponse> running = m_transport.data(request, token);
    ASSERT_TRUE(waitUntil([this] { return m_standIn.pendingResponseCount() == 1; }));
    token.cancel();
    EXPECT_THROW(runTask(std::move(running)), CancellationError);
    EXPECT_TRUE(waitUntil([this] { return m_standIn.requests().value(0).clientDisconnected; }));

    // A token cancelled beforehand sends nothing.
    EXPECT_THROW(
        runTask(m_transport.data(post(m_standIn.url(QStringLiteral("/slow")), "{}"), token)), CancellationError);
    EXPECT_EQ(m_standIn.requestCount(), 1);
}

TEST_F(QtNetworkHTTPTransportTest, OversizedAnswersFail)
{
    const qint64 limit = QtNetworkHTTPTransport::defaultMaximumResponseBytes;
    const QByteArray justRight(limit, 'x');
    const QByteArray tooLarge(limit + 1, 'x');
    m_standIn.enqueueResponse("GET", QStringLiteral("/big"), ScriptedResponse::raw(200, justRight, "text/plain"));
    m_standIn.enqueueResponse("GET", QStringLiteral("/big"), ScriptedResponse::raw(200, tooLarge, "text/plain"));
    m_standIn.enqueueResponse(
        "GET", QStringLiteral("/big"), ScriptedResponse::raw(200, tooLarge, "text/plain").inChunks());
    m_standIn.enqueueResponse(
        "GET", QStringLiteral("/big"), ScriptedResponse::raw(500, tooLarge, "text/plain").inChunks());
    HTTPRequest request;
    request.url = m_standIn.url(QStringLiteral("/big"));

    EXPECT_EQ(runTask(m_transport.data(request, {})).body.size(), limit);
    // Declared too large, streamed without a length, and an error page: all refused.
    for (int attempt = 0; attempt < 3; ++attempt) {
        EXPECT_EQ(transportFailure(m_transport.data(request, {})), HTTPTransportError::Kind::responseTooLarge);
    }

    // A huge answer is refused before it is taken in, whether its size is declared or
    // not, whether the request has a body or not and after a redirect: this process reads
    // little more of it from the socket than the limit, even when the GUI thread is slow
    // to refuse it.
    QtNetworkHTTPTransport busy(std::make_shared<BusyWhenAnswersBegin>());
    for (const QByteArray method : {"GET", "POST", "redirected"}) {
        for (const bool declared : {true, false}) {
            constexpr qint64 huge = qint64(100) * 1024 * 1024;
            const ScriptedResponse answer = ScriptedResponse::generated(200, huge);
            const QUrl hugeUrl = m_standIn.url(QStringLiteral("/huge"));
            HTTPRequest hugeRequest = post(hugeUrl, "{}");
            if (method != "POST") {
                hugeRequest = HTTPRequest();
                hugeRequest.url = hugeUrl;
            }
            if (method == "redirected") {
                m_standIn.enqueueResponse("GET", QStringLiteral("/hop"), ScriptedResponse::redirectTo(hugeUrl));
                hugeRequest.url = m_standIn.url(QStringLiteral("/hop"));
            }
            m_standIn.enqueueResponse(
                hugeRequest.method, QStringLiteral("/huge"), declared ? answer : answer.inChunks());
            const qint64 readBefore = bytesReadByThisProcess();
            EXPECT_EQ(transportFailure(busy.data(hugeRequest, {})), HTTPTransportError::Kind::responseTooLarge);
            ASSERT_TRUE(waitUntil([this] { return m_standIn.requests().last().answerEnded; }));
            const qint64 read = bytesReadByThisProcess() - readBefore;
            // The limit, what Qt reads ahead and what the kernel had buffered by then.
            EXPECT_LT(read, limit + 8 * 1024 * 1024) << method.constData() << (declared ? " declared" : " chunked");
        }
    }

    // A declared length over the bound is refused as the headers arrive: of a bound larger
    // than what Qt and the kernel buffer, almost nothing is read.
    constexpr qint64 largeBound = qint64(32) * 1024 * 1024;
    QtNetworkHTTPTransport bounded(m_transport.session(), largeBound);
    m_standIn.enqueueResponse("GET", QStringLiteral("/big"), ScriptedResponse::generated(200, 4 * largeBound));
    const qint64 readBefore = bytesReadByThisProcess();
    EXPECT_EQ(transportFailure(bounded.data(request, {})), HTTPTransportError::Kind::responseTooLarge);
    ASSERT_TRUE(waitUntil([this] { return m_standIn.requests().last().answerEnded; }));
    EXPECT_LT(bytesReadByThisProcess() - readBefore, largeBound / 4);

    // A large answer that compresses well arrives whole (Qt's own brotli decoding would
    // cut it short).
    QtNetworkHTTPTransport roomy(m_transport.session(), 8 * 1024 * 1024);
    m_standIn.enqueueResponse(
        "GET", QStringLiteral("/big"), ScriptedResponse::raw(200, QByteArray(5000000, 'z'), "text/plain"));
    EXPECT_EQ(runTask(roomy.data(request, {})).body, QByteArray(5000000, 'z'));

    // A smaller bound of a transport of its own.
    QtNetworkHTTPTransport small(m_transport.session(), 16);
    m_standIn.enqueueResponse("GET", QStringLiteral("/big"), ScriptedResponse::raw(200, QByteArray(17, 'y')));
    EXPECT_EQ(transportFailure(small.data(request, {})), HTTPTransportError::Kind::responseTooLarge);
}

TEST_F(QtNetworkHTTPTransportTest, UnreachableServerIsANetworkFailure)
{
    // A port that was free a moment ago and has no listener now.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    HTTPRequest request;
    request.url = QUrl(QStringLiteral("http://127.0.0.1:%1/v1").arg(port));
    try {
        runTask(m_transport.data(request, {}));
        ADD_FAILURE() << "the request reached a closed port";
    } catch (const HTTPTransportError &error) {
        EXPECT_EQ(error.kind(), HTTPTransportError::Kind::networkFailure);
        EXPECT_FALSE(error.detail().isEmpty());
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Veyra couldn't reach the server: ")));
    }
}

TEST_F(QtNetworkHTTPTransportTest, RedirectsFollowTheRequestsPolicy)
{
    // Same origin: followed, with the caller's headers; each hop is sent once and only the
    // final answer's body is returned (not the redirect's own).
    m_standIn.enqueueResponse("GET", QStringLiteral("/old"),
        ScriptedResponse::raw(302, "the redirect's own body", "text/plain")
            .withHeader("Location", m_standIn.url(QStringLiteral("/new")).toEncoded()));
    m_standIn.enqueueResponse("GET", QStringLiteral("/new"), ScriptedResponse::raw(200, "moved"));
    HTTPRequest request;
    request.url = m_standIn.url(QStringLiteral("/old"));
    request.headers.set("Authorization", "Bearer secret");
    EXPECT_EQ(runTask(m_transport.data(request, {})).body, "moved");
    const QList<RecordedRequest> followed = m_standIn.requests(QByteArray("GET"), QStringLiteral("/new"));
    ASSERT_EQ(followed.size(), 1);
    EXPECT_EQ(followed[0].header("Authorization"), QByteArray("Bearer secret"));
    EXPECT_EQ(m_standIn.requestCount(), 2);

    // A redirect whose own body never ends is followed once a little of it was dropped.
    m_standIn.enqueueResponse("GET", QStringLiteral("/old"),
        ScriptedResponse::generated(302, qint64(64) * 1024 * 1024 * 1024)
            .withHeader("Location", m_standIn.url(QStringLiteral("/new")).toEncoded()));
    m_standIn.enqueueResponse("GET", QStringLiteral("/new"), ScriptedResponse::raw(200, "moved"));
    EXPECT_EQ(runTask(m_transport.data(request, {})).body, "moved");
    ASSERT_TRUE(waitUntil([this] { return m_standIn.requests().value(2).answerEnded; }));
    EXPECT_LT(m_standIn.requests().value(2).answerBytesSent, 8 * 1024 * 1024);

    // Another origin (another port here): refused by default, and for any request with
    // credentials, so that they stay home.
    ServiceStandIn elsewhere;
    elsewhere.setDefaultResponse("GET", QStringLiteral("/file"), ScriptedResponse::raw(200, "from elsewhere"));
    elsewhere.setDefaultResponse("POST", QStringLiteral("/file"), ScriptedResponse::raw(200, "from elsewhere"));
    const ScriptedResponse away = ScriptedResponse::redirectTo(elsewhere.url(QStringLiteral("/file")));
    m_standIn.enqueueResponse("GET", QStringLiteral("/old"), away);
    EXPECT_EQ(transportFailure(m_transport.data(request, {})), HTTPTransportError::Kind::networkFailure);
    request.redirectPolicy = HTTPRedirectPolicy::anyOriginOverHTTPS;
    request.headers = {};
    for (const QByteArray credential : {"Authorization", "Proxy-Authorization", "Cookie"}) {
        HTTPRequest withCredential = request;
        withCredential.headers.set(credential, "secret");
        m_standIn.enqueueResponse("GET", QStringLiteral("/old"), away);
        EXPECT_EQ(transportFailure(m_transport.data(withCredential, {})), HTTPTransportError::Kind::networkFailure)
            << credential.constData();
    }
    // Nor is a request sent again as it was (307, 308) when it carries a body or headers
    // of its caller.
    for (const int status : {307, 308}) {
        const ScriptedResponse sentAgain = ScriptedResponse::redirectTo(elsewhere.url(QStringLiteral("/file")), status);
        HTTPRequest posted = post(request.url, "{\"a\":1}");
        posted.redirectPolicy = HTTPRedirectPolicy::anyOriginOverHTTPS;
        posted.headers = {};
        m_standIn.enqueueResponse("POST", QStringLiteral("/old"), sentAgain);
        EXPECT_EQ(transportFailure(m_transport.data(posted, {})), HTTPTransportError::Kind::networkFailure) << status;
        HTTPRequest withHeader = request;
        withHeader.headers.set("X-Api-Key", "key");
        m_standIn.enqueueResponse("GET", QStringLiteral("/old"), sentAgain);
        EXPECT_EQ(transportFailure(m_transport.data(withHeader, {})), HTTPTransportError::Kind::networkFailure)
            << status;
    }
    EXPECT_EQ(elsewhere.requestCount(), 0);

    // A download without anything of its own that may go anywhere: followed.
    for (const int status : {302, 307}) {
        m_standIn.enqueueResponse("GET", QStringLiteral("/old"),
            ScriptedResponse::redirectTo(elsewhere.url(QStringLiteral("/file")), status));
        EXPECT_EQ(runTask(m_transport.data(request, {})).body, "from elsewhere");
    }
    EXPECT_EQ(elsewhere.requestCount(), 2);
    EXPECT_EQ(m_standIn.requestCount(), 14);
    expectAllScripted(elsewhere);
}

TEST_F(QtNetworkHTTPTransportTest, AHostElsewhereCannotSendARequestToThisMachine)
{
    // The stand-in serves an https host elsewhere; a service of the player's own listens
    // on loopback.
    const QUrl publicHost(QStringLiteral("https://releases.veyra.example"));
    QtNetworkHTTPTransport transport(sessionServingOrigin(publicHost, m_standIn));
    ServiceStandIn local;
    local.setDefaultResponse("GET", QStringLiteral("/admin"), ScriptedResponse::raw(200, "a local service"));
    HTTPRequest request;
    request.url = QUrl(QStringLiteral("https://releases.veyra.example/feed.xml"));
    request.redirectPolicy = HTTPRedirectPolicy::anyOriginOverHTTPS;

    // The host's redirects on itself are followed.
    m_standIn.enqueueResponse(
        "GET", QStringLiteral("/feed.xml"), ScriptedResponse::raw(302, {}).withHeader("Location", "/v2/feed.xml"));
    m_standIn.enqueueResponse("GET", QStringLiteral("/v2/feed.xml"), ScriptedResponse::raw(200, "feed"));
    EXPECT_EQ(runTask(transport.data(request, {})).body, "feed");

    // To this machine, in any spelling and either scheme: not followed.
    const QString port = QString::number(local.port());
    for (const QString &target : {"http://localhost:" + port, "http://127.0.0.1:" + port, "http://0x7f.1:" + port,
             "http://2130706433:" + port, "http://127.1:" + port, "http://[::ffff:127.0.0.1]:" + port,
             "http://[::1]:" + port, "http://0:" + port, "https://localhost:" + port, "https://127.0.0.1:" + port}) {
        m_standIn.enqueueResponse(
            "GET", QStringLiteral("/feed.xml"), ScriptedResponse::redirectTo(QUrl(target + QStringLiteral("/admin"))));
        try {
            runTask(transport.data(request, {}));
            ADD_FAILURE() << "followed to " << target.toStdString();
        } catch (const HTTPTransportError &error) {
            EXPECT_EQ(error.kind(), HTTPTransportError::Kind::networkFailure) << target.toStdString();
            EXPECT_TRUE(error.detail().startsWith(QStringLiteral("The redirect was not followed")))
                << target.toStdString() << ": " << error.detail().toStdString();
        }
    }
    EXPECT_EQ(local.requestCount(), 0);

    // Nor to a name that resolves to this machine, with any of its addresses: the name is
    // resolved before the hop is sent, and a name that does not resolve, or whose lookup
    // ends without an answer, is not followed either. A name elsewhere is followed. (The
    // session looks up no name itself: a hop to a name it does not serve fails at once.)
    auto resolver = std::make_shared<ScriptedHostResolver>();
    resolver->names = {{"mixed.veyra.example", {QHostAddress("203.0.113.7"), QHostAddress::LocalHost}},
        {"v6.veyra.example", {QHostAddress::LocalHostIPv6}}, {"any.veyra.example", {QHostAddress("0.0.0.0")}},
        {"hanging.veyra.example", {}}, {"mirror.veyra.example", {QHostAddress("203.0.113.8")}}};
    resolver->givingUp = {"unanswered.veyra.example"};
    ServiceStandIn mirror;
    const auto hosts = std::make_shared<HostsServingSession>();
    hosts->serve(publicHost, m_standIn);
    hosts->serve(QUrl(QStringLiteral("https://mirror.veyra.example")), mirror);
    QtNetworkHTTPTransport resolving(hosts, QtNetworkHTTPTransport::defaultMaximumResponseBytes, resolver);
    const ConnectionCounter listener;
    const QString listening = QString::number(listener.port());
    for (const char *name : {"mixed.veyra.example", "v6.veyra.example", "any.veyra.example", "unknown.veyra.example",
             "unanswered.veyra.example"}) {
        m_standIn.enqueueResponse("GET", QStringLiteral("/feed.xml"),
            ScriptedResponse::redirectTo(
                QUrl(QStringLiteral("https://%1:%2/admin").arg(QLatin1String(name), listening))));
        try {
            runTask(resolving.data(request, {}));
            ADD_FAILURE() << "followed to " << name;
        } catch (const HTTPTransportError &error) {
            EXPECT_TRUE(error.detail().startsWith(QStringLiteral("The redirect was not followed")))
                << name << ": " << error.detail().toStdString();
        }
    }
    EXPECT_EQ(resolver->asked.join(QLatin1Char(' ')).toStdString(),
        "mixed.veyra.example v6.veyra.example any.veyra.example unknown.veyra.example unanswered.veyra.example");
    m_standIn.enqueueResponse("GET", QStringLiteral("/feed.xml"),
        ScriptedResponse::redirectTo(QUrl(QStringLiteral("https://mirror.veyra.example/feed.xml"))));
    mirror.enqueueResponse("GET", QStringLiteral("/feed.xml"), ScriptedResponse::raw(200, "the mirror's feed"));
    EXPECT_EQ(runTask(resolving.data(request, {})).body, "the mirror's feed");
    EXPECT_EQ(resolver->asked.value(resolver->asked.size() - 1), QStringLiteral("mirror.veyra.example"));
    expectAllScripted(mirror);
    // A lookup that never answers ends with the request's deadline.
    HTTPRequest hurried = request;
    hurried.timeout = 1s;
    m_standIn.enqueueResponse("GET", QStringLiteral("/feed.xml"),
        ScriptedResponse::redirectTo(QUrl(QStringLiteral("https://hanging.veyra.example/feed.xml"))));
    EXPECT_EQ(transportFailure(resolving.data(hurried, {})), HTTPTransportError::Kind::timedOut);
    EXPECT_EQ(resolver->cancelled, 1);

    // A connection would have been accepted by now.
    EXPECT_FALSE(waitUntil([&listener] { return listener.count() > 0; }, 200));
}

TEST(QtNetworkHTTPTransportInPrivateNetwork, ARedirectToThisMachinesOwnNameIsNotFollowed)
{
    // This machine's own name, looked up with the system's resolver as the transport does:
    // in a network of the test's own, whose hosts file maps it to loopback as Debian's does
    // and whose only name server never answers, so that the case runs whatever this
    // machine's hosts file holds and no lookup leaves the machine.
    if (!inPrivateNetwork()) {
        // Here, in the machine's own network, a name server of a test changes nothing
        // whatever the environment claims: neither a marker exported for a whole run, nor
        // one naming this program's parent as if it had started this program.
        const QByteArray resolverConfiguration = fileContents(QStringLiteral("/etc/resolv.conf"));
        const auto [marker, claim] = privateNetworkMarker(::getppid());
        const QByteArray exported = qgetenv(marker.constData());
        for (const QByteArray &value : {QByteArray("1"), claim}) {
            qputenv(marker.constData(), value);
            EXPECT_EQ(inPrivateNetwork(), value == claim);
            const SilentNameServer refused;
            EXPECT_FALSE(refused.error().isEmpty());
            if (value == claim) {
                EXPECT_TRUE(refused.error().contains(QStringLiteral("shares the net namespace")))
                    << refused.error().toStdString();
            }
        }
        exported.isNull() ? qunsetenv(marker.constData()) : qputenv(marker.constData(), exported);
        EXPECT_EQ(fileContents(QStringLiteral("/etc/resolv.conf")), resolverConfiguration);
        expectPassedInPrivateNetwork();
        return;
    }
    const QString ownName = QHostInfo::localHostName();
    const QStringList configuration{
        QStringLiteral("/etc/resolv.conf"), QStringLiteral("/etc/nsswitch.conf"), QStringLiteral("/etc/hosts")};
    QByteArrayList before;
    for (const QString &file : configuration) {
        before.append(fileContents(file));
    }
    {
        SilentNameServer nameServer({{ownName, QHostAddress(QStringLiteral("127.0.1.1"))}});
        ASSERT_TRUE(nameServer.error().isEmpty()) << nameServer.error().toStdString();
        ServiceStandIn standIn;
        QtNetworkHTTPTransport transport(
            sessionServingOrigin(QUrl(QStringLiteral("https://releases.veyra.example")), standIn));
        const ConnectionCounter listener;
        HTTPRequest request;
        request.url = QUrl(QStringLiteral("https://releases.veyra.example/feed.xml"));
        request.redirectPolicy = HTTPRedirectPolicy::anyOriginOverHTTPS;
        request.timeout = 3s;
        standIn.enqueueResponse("GET", QStringLiteral("/feed.xml"),
            ScriptedResponse::redirectTo(
                QUrl(QStringLiteral("https://%1:%2/admin").arg(ownName).arg(listener.port()))));
        try {
            runTask(transport.data(request, {}));
            ADD_FAILURE() << "followed to " << ownName.toStdString();
        } catch (const HTTPTransportError &error) {
            EXPECT_TRUE(error.detail().startsWith(QStringLiteral("The redirect was not followed")))
                << error.detail().toStdString();
        }
        EXPECT_EQ(nameServer.queriesFor(ownName), 0) << "the hosts file answers for the name";
        EXPECT_FALSE(waitUntil([&listener] { return listener.count() > 0; }, 200));
        expectAllScripted(standIn);
    }
    // Gone with the name server: its files are unmounted.
    for (qsizetype index = 0; index < configuration.size(); ++index) {
        EXPECT_EQ(fileContents(configuration[index]), before[index]) << configuration[index].toStdString();
    }
}

TEST_F(QtNetworkHTTPTransportTest, RedirectsChangeTheMethodAsHTTPSaysAndEndAfterTenHops)
{
    // 303 always, and 301 and 302 for a POST too, go on as a GET without the body; 307
    // and 308 repeat the method and body. A relative location is resolved against the hop.
    for (const int status : {301, 302, 303, 307, 308}) {
        const bool keepsMethod = status == 307 || status == 308;
        const QByteArray method = keepsMethod ? "POST" : "GET";
        m_standIn.enqueueResponse("POST", QStringLiteral("/form"),
            ScriptedResponse::raw(status, {}).withHeader("Location", "/after?from=form"));
        m_standIn.enqueueResponse(method, QStringLiteral("/after"), ScriptedResponse::raw(200, "after"));
        const HTTPResponse response
            = runTask(m_transport.data(post(m_standIn.url(QStringLiteral("/form")), "{\"a\":1}"), {}));
        EXPECT_EQ(response.statusCode, 200) << status;
        EXPECT_EQ(response.body, "after") << status;
        const RecordedRequest last = m_standIn.requests().last();
        EXPECT_EQ(last.method, method) << status;
        EXPECT_EQ(last.target, "/after?from=form") << status;
        EXPECT_EQ(last.body, keepsMethod ? QByteArray("{\"a\":1}") : QByteArray()) << status;
        EXPECT_EQ(
            last.header("Content-Type"), keepsMethod ? std::optional<QByteArray>("application/json") : std::nullopt)
            << status;
        EXPECT_EQ(last.header("X-Trace"), QByteArray("one")) << status;
    }
    EXPECT_EQ(m_standIn.requestCount(), 10);

    // A HEAD stays a HEAD (and gets the headers of the answer without its body).
    for (const int status : {301, 302, 303}) {
        m_standIn.enqueueResponse(
            "HEAD", QStringLiteral("/form"), ScriptedResponse::raw(status, "moved").withHeader("Location", "/after"));
        m_standIn.enqueueResponse("HEAD", QStringLiteral("/after"),
            ScriptedResponse::raw(200, "the body a GET would get").withHeader("X-Answer", "head"));
        HTTPRequest head;
        head.method = "HEAD";
        head.url = m_standIn.url(QStringLiteral("/form"));
        const HTTPResponse response = runTask(m_transport.data(head, {}));
        EXPECT_EQ(response.statusCode, 200) << status;
        EXPECT_EQ(response.headers.value("X-Answer"), QByteArray("head")) << status;
        EXPECT_EQ(response.body, QByteArray()) << status;
        EXPECT_EQ(m_standIn.requests().last().method, "HEAD") << status;
    }

    // A relative location is resolved against the hop that sent it, not the first URL.
    m_standIn.enqueueResponse(
        "GET", QStringLiteral("/first/start"), ScriptedResponse::raw(302, {}).withHeader("Location", "/second/middle"));
    m_standIn.enqueueResponse(
        "GET", QStringLiteral("/second/middle"), ScriptedResponse::raw(302, {}).withHeader("Location", "end?x=1"));
    m_standIn.enqueueResponse("GET", QStringLiteral("/second/end"), ScriptedResponse::raw(200, "the end"));
    HTTPRequest chained;
    chained.url = m_standIn.url(QStringLiteral("/first/start"));
    EXPECT_EQ(runTask(m_transport.data(chained, {})).body, "the end");
    EXPECT_EQ(m_standIn.requests().last().target, "/second/end?x=1");

    // Ten redirects are followed; the eleventh fails the request and is not followed.
    HTTPRequest request;
    request.url = m_standIn.url(QStringLiteral("/loop"));
    const ScriptedResponse again = ScriptedResponse::redirectTo(request.url, 307);
    for (int hop = 0; hop < 10; ++hop) {
        m_standIn.enqueueResponse("GET", QStringLiteral("/loop"), again);
    }
    m_standIn.enqueueResponse("GET", QStringLiteral("/loop"), ScriptedResponse::raw(200, "arrived"));
    EXPECT_EQ(runTask(m_transport.data(request, {})).body, "arrived");
    for (int hop = 0; hop < 11; ++hop) {
        m_standIn.enqueueResponse("GET", QStringLiteral("/loop"), again);
    }
    EXPECT_EQ(transportFailure(m_transport.data(request, {})), HTTPTransportError::Kind::networkFailure);
    EXPECT_EQ(m_standIn.requests("GET", QStringLiteral("/loop")).size(), 22);

    // A redirect status without a location is an answer like any other.
    m_standIn.enqueueResponse("GET", QStringLiteral("/nowhere"), ScriptedResponse::raw(302, "no location"));
    request.url = m_standIn.url(QStringLiteral("/nowhere"));
    const HTTPResponse unlocated = runTask(m_transport.data(request, {}));
    EXPECT_EQ(unlocated.statusCode, 302);
    EXPECT_EQ(unlocated.body, "no location");
}

TEST_F(QtNetworkHTTPTransportTest, ADestroyedTransportEndsItsRequestQuietly)
{
    m_standIn.enqueueResponse("GET", QStringLiteral("/slow"), ScriptedResponse::raw(200, "late").heldUntilReleased());
    const auto outcome = destroyWhileInFlight(m_standIn, std::make_unique<QtNetworkHTTPTransport>(),
        [this](QtNetworkHTTPTransport &transport, const CancellationToken &token) {
            HTTPRequest request;
            request.url = m_standIn.url(QStringLiteral("/slow"));
            return transport.data(request, token);
        });
    EXPECT_TRUE(outcome->failedWith<CancellationError>());

    // A request that its caller keeps goes on without the transport to its answer.
    m_standIn.enqueueResponse("GET", QStringLiteral("/slow"), ScriptedResponse::raw(200, "late").heldUntilReleased());
    auto transport = std::make_unique<QtNetworkHTTPTransport>();
    HTTPRequest request;
    request.url = m_standIn.url(QStringLiteral("/slow"));
    QCoro::Task<HTTPResponse> running = transport->data(request, {});
    ASSERT_TRUE(waitUntil([this] { return m_standIn.pendingResponseCount() == 1; }));
    transport.reset();
    m_standIn.releaseHeldResponses();
    EXPECT_EQ(runTask(std::move(running)).body, "late");
}

TEST(QtNetworkHTTPTransportChoice, GivenTransportThenSessionThenOwnSession)
{
    auto given = std::make_shared<QtNetworkHTTPTransport>();
    EXPECT_EQ(chooseHTTPTransport(given, nullptr), given);

    const auto session = std::make_shared<QNetworkAccessManager>();
    auto overSession = std::dynamic_pointer_cast<QtNetworkHTTPTransport>(chooseHTTPTransport(nullptr, session));
    ASSERT_TRUE(overSession);
    EXPECT_EQ(overSession->session(), session);

    auto own = std::dynamic_pointer_cast<QtNetworkHTTPTransport>(chooseHTTPTransport(nullptr, nullptr));
    ASSERT_TRUE(own);
    ASSERT_NE(own->session(), nullptr);
    EXPECT_NE(own->session(), session);
    EXPECT_EQ(own->session()->transferTimeout(), 15000);
    EXPECT_EQ(own->session()->cache(), nullptr);
}
