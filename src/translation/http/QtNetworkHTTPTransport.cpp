#include "translation/http/QtNetworkHTTPTransport.h"

#include "foundation/async/ThreadHandOff.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/http/RedirectFollowingRequest.h"

#include <QNetworkAccessManager>
#include <QNetworkCookieJar>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace veyra {

namespace {

// How much of an answer Qt may read ahead of the handlers below.
constexpr qint64 readAheadBytes = 256 * 1024;

// What the signal handlers of one reply learn while it runs.
struct Transfer
{
    QByteArray body;
    bool cancelled = false;
    bool tooLarge = false;
    bool pastDeadline = false;
};

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

QtNetworkHTTPTransport::QtNetworkHTTPTransport(
    std::shared_ptr<QNetworkAccessManager> session, qint64 maximumResponseBytes)
    : m_session(session ? std::move(session) : makeEphemeralNetworkSession())
    , m_maximumResponseBytes(maximumResponseBytes)
{
    threadHandOff::uncheckQtNetworkThreads();
}

QtNetworkHTTPTransport::~QtNetworkHTTPTransport() = default;

QCoro::Task<HTTPResponse> QtNetworkHTTPTransport::data(HTTPRequest request, CancellationToken token)
{
    token.throwIfCancelled();

    QNetworkRequest networkRequest(request.url);
    for (const auto &[name, value] : request.headers.fields()) {
        networkRequest.setRawHeader(name, value);
    }
    // Qt 6.4 loses the tail of some brotli-encoded answers while decoding them, without
    // reporting an error; answers come unencoded (a caller may still ask otherwise).
    if (!request.headers.contains("Accept-Encoding")) {
        networkRequest.setRawHeader("Accept-Encoding", "identity");
    }
    networkRequest.setTransferTimeout(static_cast<int>(request.timeout.count()));
    networkRequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    networkRequest.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    const qint64 limit = m_maximumResponseBytes;
    auto transfer = std::make_shared<Transfer>();
    // Set once the request exists; the handlers below run only while it does.
    RedirectFollowingRequest *sent = nullptr;
    const auto refuse = [transfer, &sent] {
        if (!transfer->tooLarge) {
            transfer->tooLarge = true;
            transfer->body.clear();
            sent->abort();
        }
    };
    RedirectFollowingRequest::Handlers handlers;
    handlers.answerBegan = [limit, refuse](QNetworkReply &reply) {
        bool known = false;
        const qlonglong length = reply.header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && length > limit) {
            refuse();
        }
    };
    handlers.bodyArrived = [limit, transfer, refuse](QNetworkReply &reply) {
        if (transfer->tooLarge) {
            // The abort is on its way; what stays unread stops Qt from reading further.
            return;
        }
        const QByteArray chunk = reply.readAll();
        if (transfer->body.size() + chunk.size() > limit) {
            refuse();
            return;
        }
        transfer->body += chunk;
    };
    // The request holds its own share of the session: the transport may go while it runs.
    // Qt's network thread reads ahead of this thread only this far: without a bound it
    // drains the socket as fast as the peer sends, queueing the data for this thread, so
    // an answer that is refused would still be read, and held, until the abort comes
    // through that queue.
    RedirectFollowingRequest following(m_session, networkRequest, request.method, request.body, request.redirectPolicy,
        readAheadBytes, std::move(handlers));
    sent = &following;

    // The request's time-out is also its deadline, over every hop: a server that keeps the
    // transfer alive with a byte now and then must not hold the request for ever.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [transfer, &following] {
        transfer->pastDeadline = true;
        following.abort();
    });
    deadline.start(request.timeout);
    // Cancelling aborts the connection on a later turn of the event loop.
    const CancellationToken::Registration registration = token.onCancel([transfer, &following] {
        transfer->cancelled = true;
        following.abort();
    });

    co_await following.run();
    deadline.stop();

    if (transfer->cancelled || token.isCancelled()) {
        throw CancellationError();
    }
    if (transfer->tooLarge) {
        throw HTTPTransportError(HTTPTransportError::Kind::responseTooLarge);
    }
    if (transfer->pastDeadline) {
        throw HTTPTransportError(HTTPTransportError::Kind::timedOut);
    }
    if (!following.refusal().isEmpty()) {
        throw HTTPTransportError(HTTPTransportError::Kind::networkFailure,
            QStringLiteral("The redirect was not followed: %1.").arg(following.refusal()));
    }
    QNetworkReply *reply = following.reply();
    if (!reply) {
        throw HTTPTransportError(
            HTTPTransportError::Kind::networkFailure, QStringLiteral("The network session has been closed."));
    }
    const QNetworkReply::NetworkError error = reply->error();
    // Nobody but the transfer time-out aborts a reply that was not cancelled.
    if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError) {
        throw HTTPTransportError(HTTPTransportError::Kind::timedOut);
    }
    const QByteArray rest = reply->isOpen() ? reply->readAll() : QByteArray();
    if (transfer->body.size() + rest.size() > limit) {
        throw HTTPTransportError(HTTPTransportError::Kind::responseTooLarge);
    }
    transfer->body += rest;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (error != QNetworkReply::NoError && !(status.isValid() && isAnswerFromServer(error))) {
        throw HTTPTransportError(HTTPTransportError::Kind::networkFailure, reply->errorString());
    }
    HTTPResponse response;
    if (status.isValid()) {
        response.statusCode = status.toInt();
    }
    response.headers = responseHeaders(*reply);
    response.body = std::move(transfer->body);
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
