#pragma once

#include "translation/http/HTTPTransport.h"
#include "translation/http/HostAddressResolving.h"

#include <QNetworkAccessManager>

#include <memory>

namespace veyra {

// The live transport: sends each request over one QNetworkAccessManager and returns the
// answer whatever its status. It retries nothing and adds no header of its own except
// "Accept-Encoding: identity" when the caller set none (Qt 6.4 can silently truncate a
// brotli-encoded answer).
//
// - The request's time-out bounds the whole request (an answer that trickles in still
//   ends then) and is also Qt's transfer time-out; either way the connection is aborted
//   and the request fails with HTTPTransportError::timedOut. Only a request whose token
//   was cancelled ends with CancellationError; cancelling aborts the connection.
// - An answer body larger than maximumResponseBytes fails the request with
//   HTTPTransportError::responseTooLarge as soon as the size is known, so a runaway
//   answer never fills memory.
// - Redirects are followed one reply per hop (RedirectFollowingRequest: each hop sent
//   once, only the final answer returned, at most ten redirects) and follow the
//   request's redirect policy: by default only within the same scheme, host and port, so
//   no header the caller set travels to another host; credentials, and a request that a
//   307 or 308 would send again with a body or headers of its caller, never leave their
//   origin; no host elsewhere can send a request to this machine, by its address or by a
//   name that resolves to it. A redirect that is not
//   followed fails the request with HTTPTransportError::networkFailure. The time-out is
//   one deadline over all hops; the size limit and read-ahead bound apply to each.
// - Each request holds its own share of the session and resumes its caller on a later
//   turn of the event loop (NetworkReplyHolder), so the transport, its clients and their
//   callers may be destroyed at any time, also while a request ends.
class QtNetworkHTTPTransport : public HTTPTransport
{
public:
    static constexpr qint64 defaultMaximumResponseBytes = 4 * 1024 * 1024;

    // A transport over its own session (see makeEphemeralNetworkSession()).
    explicit QtNetworkHTTPTransport(qint64 maximumResponseBytes = defaultMaximumResponseBytes);
    // A transport over a session it shares with others (without one, over its own), which
    // looks up the names of redirect targets through `resolver` (without one, the system's).
    explicit QtNetworkHTTPTransport(std::shared_ptr<QNetworkAccessManager> session,
        qint64 maximumResponseBytes = defaultMaximumResponseBytes,
        std::shared_ptr<HostAddressResolving> resolver = nullptr);
    ~QtNetworkHTTPTransport() override;

    QtNetworkHTTPTransport(const QtNetworkHTTPTransport &) = delete;
    QtNetworkHTTPTransport &operator=(const QtNetworkHTTPTransport &) = delete;

    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken token) override;

    const std::shared_ptr<QNetworkAccessManager> &session() const { return m_session; }
    qint64 maximumResponseBytes() const { return m_maximumResponseBytes; }

private:
    std::shared_ptr<QNetworkAccessManager> m_session;
    qint64 m_maximumResponseBytes;
    std::shared_ptr<HostAddressResolving> m_resolver;
};

// A session that keeps nothing on disk: no cache, cookies only in memory, no stored
// credentials, a 15-second transfer time-out by default, and no redirect followed by Qt
// (the transport follows them itself).
std::unique_ptr<QNetworkAccessManager> makeEphemeralNetworkSession();

// The transport an HTTP client uses: the given transport; else one over the given
// session; else one over a session of its own.
std::shared_ptr<HTTPTransport> chooseHTTPTransport(
    std::shared_ptr<HTTPTransport> transport, std::shared_ptr<QNetworkAccessManager> session);

} // namespace veyra
