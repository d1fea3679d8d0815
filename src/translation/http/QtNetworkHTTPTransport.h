#pragma once

#include "translation/http/HTTPTransport.h"

#include <QNetworkAccessManager>
#include <QPointer>

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
// - Redirects are followed only within the same scheme, host and port, so no header
//   the caller set (a bearer token, say) travels to another host.
class QtNetworkHTTPTransport : public HTTPTransport
{
public:
    static constexpr qint64 defaultMaximumResponseBytes = 4 * 1024 * 1024;

    // A transport over its own session (see makeEphemeralNetworkSession()).
    explicit QtNetworkHTTPTransport(qint64 maximumResponseBytes = defaultMaximumResponseBytes);
    // A transport over a session that the caller owns and keeps alive for longer.
    explicit QtNetworkHTTPTransport(
        QNetworkAccessManager *session, qint64 maximumResponseBytes = defaultMaximumResponseBytes);
    ~QtNetworkHTTPTransport() override;

    QtNetworkHTTPTransport(const QtNetworkHTTPTransport &) = delete;
    QtNetworkHTTPTransport &operator=(const QtNetworkHTTPTransport &) = delete;

    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken token) override;

    QNetworkAccessManager *session() const { return m_session; }
    qint64 maximumResponseBytes() const { return m_maximumResponseBytes; }

private:
    std::unique_ptr<QNetworkAccessManager> m_ownedSession;
    QPointer<QNetworkAccessManager> m_session;
    qint64 m_maximumResponseBytes;
};

// A session that keeps nothing on disk: no cache, cookies only in memory, no stored
// credentials, a 15-second transfer time-out by default, same-origin redirects only.
std::unique_ptr<QNetworkAccessManager> makeEphemeralNetworkSession();

// The transport an HTTP client uses: the given transport; else one over the given
// session; else one over a session of its own.
std::shared_ptr<HTTPTransport> chooseHTTPTransport(
    std::shared_ptr<HTTPTransport> transport, QNetworkAccessManager *session);

} // namespace veyra
