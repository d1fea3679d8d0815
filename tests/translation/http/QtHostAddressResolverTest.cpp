// Test label: unit
#include "translation/http/QtHostAddressResolver.h"
#include "foundation/errors/Error.h"
#include "support/HostsServingSession.h"
#include "support/PrivateNetwork.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/http/QtNetworkHTTPTransport.h"

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using namespace std::chrono_literals;

TEST(QtHostAddressResolverTest, ALookupTheNameServerNeverAnswersEndsWithItsCancellationOrTheRequestsDeadline)
{
    // The system's resolver asks a name server of the test's own that never answers, in a
    // network that nothing leaves.
    if (!inPrivateNetwork()) {
        expectPassedInPrivateNetwork();
        return;
    }
    SilentNameServer nameServer;
    ASSERT_TRUE(nameServer.error().isEmpty()) << nameServer.error().toStdString();

    // The lookup itself, cancelled while the name server is asked.
    QtHostAddressResolver resolver;
    CancellationToken token;
    QCoro::Task<ResolvedHost> lookup = resolver.resolve(QStringLiteral("silent.veyra.example"), token);
    ASSERT_TRUE(waitUntil([&nameServer] { return nameServer.queriesFor(QStringLiteral("silent.veyra.example")) > 0; }));
    token.cancel();
    EXPECT_THROW(runTask(std::move(lookup)), CancellationError);

    // A host elsewhere (served here) sends the request on to a name that the transport
    // looks up with the system's resolver first: the request's deadline, and then its
    // caller's cancellation, ends it during the lookup.
    ServiceStandIn standIn;
    const auto hosts = std::make_shared<HostsServingSession>();
    hosts->serve(QUrl(QStringLiteral("https://releases.veyra.example")), standIn);
    QtNetworkHTTPTransport transport(hosts);
    HTTPRequest request;
    request.url = QUrl(QStringLiteral("https://releases.veyra.example/feed.xml"));
    request.redirectPolicy = HTTPRedirectPolicy::anyOriginOverHTTPS;
    request.timeout = 2s;
    standIn.enqueueResponse("GET", QStringLiteral("/feed.xml"),
        ScriptedResponse::redirectTo(QUrl(QStringLiteral("https://late.veyra.example/feed.xml"))));
    try {
        runTask(transport.data(request, {}));
        ADD_FAILURE() << "the request was answered";
    } catch (const HTTPTransportError &error) {
        EXPECT_EQ(error.kind(), HTTPTransportError::Kind::timedOut) << error.detail().toStdString();
    }
    EXPECT_TRUE(waitUntil([&nameServer] { return nameServer.queriesFor(QStringLiteral("late.veyra.example")) > 0; }));

    request.timeout = std::chrono::hours(1);
    standIn.enqueueResponse("GET", QStringLiteral("/feed.xml"),
        ScriptedResponse::redirectTo(QUrl(QStringLiteral("https://unheard.veyra.example/feed.xml"))));
    CancellationToken caller;
    QCoro::Task<HTTPResponse> running = transport.data(request, caller);
    ASSERT_TRUE(
        waitUntil([&nameServer] { return nameServer.queriesFor(QStringLiteral("unheard.veyra.example")) > 0; }));
    caller.cancel();
    EXPECT_THROW(runTask(std::move(running)), CancellationError);
    expectAllScripted(standIn);
}
