#include "translation/http/RedirectFollowingRequest.h"

#include "foundation/errors/Error.h"
#include "translation/http/HTTPRedirectPolicy.h"
#include "translation/http/QtHostAddressResolver.h"
#include "translation/http/ReadAheadBound.h"

#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace veyra {

namespace {

// How much of a redirect's own body is read (and dropped) before its connection is given
// up: the redirect is followed all the same.
constexpr qint64 redirectBodyBytes = 64 * 1024;

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// One hop as Qt sends it.
QNetworkRequest hopRequest(const QUrl &url, const HTTPHeaders &headers, std::chrono::milliseconds stallTimeout)
{
    QNetworkRequest request(url);
    for (const auto &[name, value] : headers.fields()) {
        request.setRawHeader(name, value);
    }
    if (!headers.contains("Accept-Encoding")) {
        request.setRawHeader("Accept-Encoding", "identity");
    }
    request.setTransferTimeout(static_cast<int>(std::min<qint64>(stallTimeout.count(), INT_MAX)));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Qt hands back every redirect, whatever the session's own policy.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return request;
}

QNetworkReply *send(
    QNetworkAccessManager &session, const QNetworkRequest &request, const QByteArray &method, const QByteArray &body)
{
    // Qt reads no body after the headers only of its own HEAD: sent by name, a HEAD would
    // wait for the body that its Content-Length announces and never comes.
    if (method == "HEAD" && body.isEmpty()) {
        return session.head(request);
    }
    return body.isEmpty() ? session.sendCustomRequest(request, method)
                          : session.sendCustomRequest(request, method, body);
}

// What one hop's reply turned out to be.
struct Hop
{
    bool decided = false;
    bool redirect = false;
    int status = 0;
    QByteArray location;
    qint64 dropped = 0;
};

} // namespace

struct RedirectFollowingRequest::State
{
    Handlers handlers;
    QPointer<QNetworkReply> current;
    // Cancels the name lookup in flight, if any.
    CancellationToken lookup;
    // Why the request was ended from this side, by the first that ended it.
    std::optional<Outcome> endedHere;
    bool cancelled = false;
    // Set when the request object goes: late signals of its replies do nothing.
    bool closed = false;

    bool aborted() const { return cancelled || endedHere.has_value(); }

    void end(Ending ending, const QString &detail = {})
    {
        if (aborted()) {
            return;
        }
        endedHere = Outcome{ending, detail};
        abortCurrent();
    }

    void cancel()
    {
        const bool wasAborted = aborted();
        cancelled = true;
        if (!wasAborted) {
            abortCurrent();
        }
    }

    void judge(const Verdict &verdict)
    {
        if (verdict) {
            end(Ending::stopped, *verdict);
        }
    }

    Outcome ending() const { return endedHere.value_or(Outcome{}); }

private:
    void abortCurrent() const
    {
        if (current) {
            NetworkReplyHolder::abortLater(current);
        }
        lookup.cancel();
    }
};

RedirectFollowingRequest::RedirectFollowingRequest(std::shared_ptr<QNetworkAccessManager> session, HTTPRequest request,
    Limits limits, Handlers handlers, std::shared_ptr<HostAddressResolving> resolver)
    : m_session(std::move(session))
    , m_request(std::move(request))
    , m_limits(limits)
    , m_resolver(resolver ? std::move(resolver) : QtHostAddressResolver::shared())
    , m_state(std::make_shared<State>())
{
    m_state->handlers = std::move(handlers);
}

RedirectFollowingRequest::~RedirectFollowingRequest()
{
    m_state->closed = true;
    m_state->handlers = {};
}

QNetworkReply *RedirectFollowingRequest::reply() const
{
    return m_holder ? m_holder->get() : nullptr;
}

QCoro::Task<RedirectFollowingRequest::Outcome> RedirectFollowingRequest::run(CancellationToken token)
{
    token.throwIfCancelled();
    const std::shared_ptr<State> state = m_state;

    // A server that keeps each hop alive with a byte now and then must not hold the
    // request for ever.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [state] { state->end(Ending::pastDeadline); });
    deadline.start(m_request.timeout);
    const CancellationToken::Registration registration = token.onCancel([state] { state->cancel(); });

    const Outcome outcome = co_await follow();
    deadline.stop();
    if (state->cancelled || token.isCancelled()) {
        throw CancellationError();
    }
    co_return outcome;
}

QCoro::Task<RedirectFollowingRequest::Outcome> RedirectFollowingRequest::follow()
{
    const std::shared_ptr<State> state = m_state;
    QUrl url = m_request.url;
    QByteArray method = m_request.method;
    QByteArray body = m_request.body;
    HTTPHeaders headers = m_request.headers;

    for (int redirects = 0;; ++redirects) {
        if (state->aborted()) {
            co_return state->ending();
        }
        const QNetworkRequest request = hopRequest(url, headers, m_limits.stallTimeout);
        QNetworkReply *reply = send(*m_session, request, method, body);
        // Set first, while the network thread is still busy starting the request.
        boundReadAhead(reply, m_limits.readAheadBytes);
        // The previous hop's reply, if any, is deleted through the event loop.
        m_holder = std::make_unique<NetworkReplyHolder>(m_session, reply);
        state->current = reply;

        auto hop = std::make_shared<Hop>();
        // Whether the reply is a redirect or the final answer, once its status is known.
        const auto decide = [state, hop, reply] {
            if (hop->decided || state->closed) {
                return;
            }
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            if (!status.isValid()) {
                return;
            }
            hop->decided = true;
            hop->status = status.toInt();
            hop->location = reply->rawHeader("Location");
            hop->redirect = isRedirectStatus(hop->status) && !hop->location.isEmpty();
            if (!hop->redirect && !state->aborted() && state->handlers.answerBegan) {
                state->judge(state->handlers.answerBegan(*reply));
            }
        };
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, decide);
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [state, hop, reply, decide] {
            if (state->closed) {
                return;
            }
            decide();
            if (!hop->decided) {
                return;
            }
            if (hop->redirect) {
                // A redirect's own body is nobody's answer.
                hop->dropped += reply->skip(reply->bytesAvailable());
                if (hop->dropped > redirectBodyBytes) {
                    NetworkReplyHolder::abortLater(reply);
                }
                return;
            }
            if (!state->aborted() && state->handlers.bodyArrived) {
                state->judge(state->handlers.bodyArrived(*reply));
            }
        });

        co_await m_holder->finished();

        if (state->aborted()) {
            co_return state->ending();
        }
        reply = m_holder->get();
        if (!reply) {
            co_return Outcome{Ending::sessionClosed, {}};
        }
        decide();
        if (state->aborted()) {
            co_return state->ending();
        }
        if (!hop->redirect) {
            const QNetworkReply::NetworkError error = reply->error();
            // Nothing but Qt's transfer time-out aborts a reply that was not aborted here.
            if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError) {
                co_return Outcome{Ending::stalled, {}};
            }
            if (reply->isOpen() && reply->bytesAvailable() > 0 && state->handlers.bodyArrived) {
                state->judge(state->handlers.bodyArrived(*reply));
            }
            co_return state->endedHere.value_or(Outcome{Ending::answered, {}});
        }

        const QUrl target = url.resolved(QUrl::fromEncoded(hop->location));
        if (redirects >= maximumRedirects) {
            co_return Outcome{Ending::redirectRefused, QStringLiteral("more than %1 redirects").arg(maximumRedirects)};
        }
        // What the next hop sends.
        if (hop->status != 307 && hop->status != 308 && method != "HEAD") {
            method = "GET";
            body.clear();
            headers.remove("Content-Type");
            headers.remove("Content-Length");
        }
        if (!isRedirectAllowed(
                m_request.redirectPolicy, url, target, keepsToItsOrigin(hop->status, method, body, headers))) {
            co_return Outcome{Ending::redirectRefused,
                QStringLiteral("a redirect to a location this request may not follow (%1 on %2)")
                    .arg(target.scheme(), target.host())};
        }
        if (redirectNeedsResolvedHost(m_request.redirectPolicy, url, target)) {
            const std::optional<QString> refusal = co_await refusalOfResolvedHost(target);
            if (state->aborted()) {
                co_return state->ending();
            }
            if (refusal) {
                co_return Outcome{Ending::redirectRefused, *refusal};
            }
        }
        url = target;
    }
}

QCoro::Task<std::optional<QString>> RedirectFollowingRequest::refusalOfResolvedHost(QUrl target)
{
    const std::shared_ptr<State> state = m_state;
    const std::shared_ptr<HostAddressResolving> resolver = m_resolver;
    const QString host = target.host(QUrl::FullyEncoded);
    ResolvedHost resolved;
    try {
        resolved = co_await resolver->resolve(host, state->lookup);
    } catch (const CancellationError &) {
        // When the request was ended (its deadline, its caller), the caller reads that
        // ending instead. A resolver that gives up on its own gave no answer, and a name
        // without one is not followed.
        co_return QStringLiteral("the lookup of the name %1 of a redirect's location ended without an answer")
            .arg(host);
    }
    if (!resolved.error.isEmpty() || resolved.addresses.isEmpty()) {
        co_return QStringLiteral("the name %1 of a redirect's location could not be resolved (%2)")
            .arg(host, resolved.error.isEmpty() ? QStringLiteral("no address") : resolved.error);
    }
    for (const QHostAddress &address : std::as_const(resolved.addresses)) {
        if (isAddressOfThisMachine(address)) {
            co_return QStringLiteral("a redirect to %1, a name of this machine (%2)").arg(host, address.toString());
        }
    }
    co_return std::nullopt;
}

} // namespace veyra
