#include "translation/http/QtNetworkHTTPTransport.h"

#include "foundation/async/ThreadHandOff.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/http/RedirectFollowingRequest.h"

#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace veyra {

namespace {

// How much of an answer Qt may read ahead of the handlers below.
constexpr qint64 readAheadBytes = 256 * 1024;

// Errors that Qt reports for an HTTP error status: the server did answer, and its
// status and body are the answer.
bool isAnswerFromServer(QNetworkReply::NetworkError error)
{
    const int code = static_cast<int>(error);
    return error == QNetworkReply::NoError || (code >= 201 && code <= 299)
        || error == QNetworkReply::ProtocolInvalidOperationError || (code >= 401 && code <= 499);
}

HTTPHeaders responseHeaders(const QNetworkReply &reply)
{
    HTTPHeaders headers;
    for (const auto &[name, value] : reply.rawHeaderPairs()) {
        headers.add(name, value);
    }
    return headers;
}

} // namespace

QtNetworkHTTPTransport::QtNetworkHTTPTransport(qint64 maximumResponseBytes)
    : QtNetworkHTTPTransport(makeEphemeralNetworkSession(), maximumResponseBytes)
{ }

QtNetworkHTTPTransport::QtNetworkHTTPTransport(std::shared_ptr<QNetworkAccessManager> session,
    qint64 maximumResponseBytes, std::shared_ptr<HostAddressResolving> resolver)
    : m_session(session ? std::move(session) : makeEphemeralNetworkSession())
    , m_maximumResponseBytes(maximumResponseBytes)
    , m_resolver(std::move(resolver))
{
    threadHandOff::uncheckQtNetworkThreads();
}

QtNetworkHTTPTransport::~QtNetworkHTTPTransport() = default;

QCoro::Task<HTTPResponse> QtNetworkHTTPTransport::data(HTTPRequest request, CancellationToken token)
{
    token.throwIfCancelled();

    const qint64 limit = m_maximumResponseBytes;
    auto body = std::make_shared<QByteArray>();
    // The only reason the handlers stop a request.
    const QString tooLarge = QStringLiteral("the answer is larger than %1 bytes").arg(limit);
    RedirectFollowingRequest::Handlers handlers;
    handlers.answerBegan = [limit, tooLarge](QNetworkReply &reply) -> RedirectFollowingRequest::Verdict {
        bool known = false;
        const qlonglong length = reply.header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && length > limit) {
            return tooLarge;
        }
        return std::nullopt;
    };
    handlers.bodyArrived = [limit, body, tooLarge](QNetworkReply &reply) -> RedirectFollowingRequest::Verdict {
        const QByteArray chunk = reply.readAll();
        if (body->size() + chunk.size() > limit) {
            body->clear();
            return tooLarge;
        }
        *body += chunk;
        return std::nullopt;
    };
    // The request holds its own share of the session: the transport may go while it runs.
    // Qt's network thread reads ahead of this thread only this far: without a bound it
    // drains the socket as fast as the peer sends, queueing the data for this thread, so
    // an answer that is refused would still be read, and held, until the abort comes
    // through that queue. The request's time-out is both the deadline over every hop and
    // the longest a hop may stall.
    const std::chrono::milliseconds timeout = request.timeout;
    RedirectFollowingRequest following(
        m_session, std::move(request), {timeout, readAheadBytes}, std::move(handlers), m_resolver);
    const RedirectFollowingRequest::Outcome outcome = co_await following.run(token);

    switch (outcome.ending) {
    case RedirectFollowingRequest::Ending::answered:
        break;
    case RedirectFollowingRequest::Ending::stopped:
        throw HTTPTransportError(HTTPTransportError::Kind::responseTooLarge);
    case RedirectFollowingRequest::Ending::stalled:
    case RedirectFollowingRequest::Ending::pastDeadline:
        throw HTTPTransportError(HTTPTransportError::Kind::timedOut);
    case RedirectFollowingRequest::Ending::redirectRefused:
        throw HTTPTransportError(HTTPTransportError::Kind::networkFailure,
            QStringLiteral("The redirect was not followed: %1.").arg(outcome.detail));
    case RedirectFollowingRequest::Ending::sessionClosed:
        throw HTTPTransportError(
            HTTPTransportError::Kind::networkFailure, QStringLiteral("The network session has been closed."));
    }
    const QNetworkReply &reply = *following.reply();
    const QNetworkReply::NetworkError error = reply.error();
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (error != QNetworkReply::NoError && !(status.isValid() && isAnswerFromServer(error))) {
        throw HTTPTransportError(HTTPTransportError::Kind::networkFailure, reply.errorString());
    }
    HTTPResponse response;
    if (status.isValid()) {
        response.statusCode = status.toInt();
    }
    response.headers = responseHeaders(reply);
    response.body = std::move(*body);
    co_return response;
}

std::unique_ptr<QNetworkAccessManager> makeEphemeralNetworkSession()
{
    auto session = std::make_unique<QNetworkAccessManager>();
    session->setCookieJar(new QNetworkCookieJar(session.get()));
    // Redirects are followed by RedirectFollowingRequest, never by Qt.
    session->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    session->setTransferTimeout(static_cast<int>(defaultHTTPRequestTimeout.count()));
    session->setAutoDeleteReplies(false);
    return session;
}

std::shared_ptr<HTTPTransport> chooseHTTPTransport(
    std::shared_ptr<HTTPTransport> transport, std::shared_ptr<QNetworkAccessManager> session)
{
    if (transport) {
        return transport;
    }
    if (session) {
        return std::make_shared<QtNetworkHTTPTransport>(std::move(session));
    }
    return std::make_shared<QtNetworkHTTPTransport>();
}

} // namespace veyra
