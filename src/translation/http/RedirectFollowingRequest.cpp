#include "translation/http/RedirectFollowingRequest.h"

#include "translation/http/ReadAheadBound.h"

#include <QPointer>

namespace veyra {

namespace {

// How much of a redirect's own body is read (and dropped) before its connection is given
// up: the redirect is followed all the same.
constexpr qint64 redirectBodyBytes = 64 * 1024;

bool isRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool carriesCredentials(const QNetworkRequest &request)
{
    return request.hasRawHeader("Authorization") || request.hasRawHeader("Cookie");
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
    bool aborted = false;
    // Set when the request object goes: late signals of its replies do nothing.
    bool closed = false;
    QString refusal;
    int hops = 0;
};

RedirectFollowingRequest::RedirectFollowingRequest(std::shared_ptr<QNetworkAccessManager> session,
    QNetworkRequest request, QByteArray method, QByteArray body, HTTPRedirectPolicy policy, qint64 readAheadBytes,
    Handlers handlers)
    : m_session(std::move(session))
    , m_request(std::move(request))
    , m_method(std::move(method))
    , m_body(std::move(body))
    , m_policy(policy)
    , m_readAheadBytes(readAheadBytes)
    , m_state(std::make_shared<State>())
{
    m_state->handlers = std::move(handlers);
    // Qt hands back every redirect, whatever the session's own policy.
    m_request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
}

RedirectFollowingRequest::~RedirectFollowingRequest()
{
    m_state->closed = true;
    m_state->handlers = {};
}

void RedirectFollowingRequest::abort()
{
    if (m_state->aborted) {
        return;
    }
    m_state->aborted = true;
    if (m_state->current) {
        NetworkReplyHolder::abortLater(m_state->current);
    }
}

bool RedirectFollowingRequest::aborted() const
{
    return m_state->aborted;
}

QNetworkReply *RedirectFollowingRequest::reply() const
{
    return m_holder ? m_holder->get() : nullptr;
}

QString RedirectFollowingRequest::refusal() const
{
    return m_state->refusal;
}

int RedirectFollowingRequest::hopCount() const
{
    return m_state->hops;
}

QCoro::Task<void> RedirectFollowingRequest::run()
{
    const std::shared_ptr<State> state = m_state;
    QNetworkRequest request = m_request;
    QByteArray method = m_method;
    QByteArray body = m_body;
    const bool credentials = carriesCredentials(request);

    for (int redirects = 0;; ++redirects) {
        if (state->aborted) {
            co_return;
        }
        QNetworkReply *reply = body.isEmpty() ? m_session->sendCustomRequest(request, method)
                                              : m_session->sendCustomRequest(request, method, body);
        ++state->hops;
        // Set first, while the network thread is still busy starting the request.
        boundReadAhead(reply, m_readAheadBytes);
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
            if (!hop->redirect && !state->aborted && state->handlers.answerBegan) {
                state->handlers.answerBegan(*reply);
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
            if (!state->aborted && state->handlers.bodyArrived) {
                state->handlers.bodyArrived(*reply);
            }
        });

        co_await m_holder->finished();

        if (state->aborted) {
            co_return;
        }
        reply = m_holder->get();
        if (!reply) {
            co_return;
        }
        decide();
        if (!hop->redirect) {
            co_return;
        }
        const QUrl current = request.url();
        const QUrl target = current.resolved(QUrl::fromEncoded(hop->location));
        if (redirects >= maximumRedirects) {
            state->refusal = QStringLiteral("more than %1 redirects").arg(maximumRedirects);
            co_return;
        }
        if (!isRedirectAllowed(m_policy, current, target, credentials)) {
            state->refusal = QStringLiteral("a redirect to a location this request may not follow (%1 on %2)")
                                 .arg(target.scheme(), target.host());
            co_return;
        }
        if (hop->status != 307 && hop->status != 308 && method != "HEAD") {
            method = "GET";
            body.clear();
            // A null value removes the header.
            request.setRawHeader("Content-Type", QByteArray());
            request.setRawHeader("Content-Length", QByteArray());
        }
        request.setUrl(target);
    }
}

} // namespace veyra
