#pragma once

#include "translation/http/HTTPRedirectPolicy.h"
#include "translation/http/NetworkReplyHolder.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>

#include <qcoro/qcorotask.h>

#include <functional>
#include <memory>

namespace veyra {

// One request over a QNetworkAccessManager whose redirects are followed here, one reply
// per hop. Qt's own following is off for every hop (Qt hands back the 3xx): when Qt follows
// a redirect itself it now and then sends the original request a second time on the same
// connection, and the answer to that repeat can reach the reply. Here each hop is sent
// exactly once, and the caller's handlers only ever see the final answer, never the body
// of a redirect.
//
// - Followed: 301, 302, 303, 307 and 308 with a Location header (resolved against the
//   hop's URL). 301, 302 and 303 turn any request but a HEAD into a GET without a body
//   (what Qt and browsers do); 307 and 308 repeat the method and body.
// - Each redirect is checked against the policy before the next hop is sent
//   (isRedirectAllowed(): a request with credentials, an Authorization or Cookie header,
//   never leaves its origin), and at most maximumRedirects are followed. A redirect that
//   is not followed ends the request with refusal() set.
// - Every hop gets the request's headers, Qt's transfer time-out as set on the request,
//   the read-ahead bound (boundReadAhead) and a NetworkReplyHolder of its own, so the
//   awaiting coroutine resumes on a later turn of the event loop and each reply is
//   deleted through the event loop.
// GUI thread only.
class RedirectFollowingRequest
{
public:
    static constexpr int maximumRedirects = 10;

    // Called only for the reply of the final answer.
    struct Handlers
    {
        // Its status and headers have arrived.
        std::function<void(QNetworkReply &)> answerBegan;
        // More of its body can be read.
        std::function<void(QNetworkReply &)> bodyArrived;
    };

    RedirectFollowingRequest(std::shared_ptr<QNetworkAccessManager> session, QNetworkRequest request, QByteArray method,
        QByteArray body, HTTPRedirectPolicy policy, qint64 readAheadBytes, Handlers handlers);
    ~RedirectFollowingRequest();

    RedirectFollowingRequest(const RedirectFollowingRequest &) = delete;
    RedirectFollowingRequest &operator=(const RedirectFollowingRequest &) = delete;

    // Sends the request and follows its redirects; ends once the final answer has
    // finished, a redirect was not followed, the session went, or after abort(). Await it
    // once, from the coroutine that holds this object.
    QCoro::Task<void> run();

    // Aborts the hop in flight on a later turn of the event loop and sends no further hop.
    // Safe from the handlers and from any callback.
    void abort();
    bool aborted() const;

    // The reply of the last hop: the final answer once run() ended without a refusal or an
    // abort. Null before the first hop, or when something else deleted it.
    QNetworkReply *reply() const;

    // Why a redirect was not followed; empty when none was refused.
    QString refusal() const;

    // How many hops were sent.
    int hopCount() const;

private:
    struct State;

    std::shared_ptr<QNetworkAccessManager> m_session;
    QNetworkRequest m_request;
    QByteArray m_method;
    QByteArray m_body;
    HTTPRedirectPolicy m_policy;
    qint64 m_readAheadBytes;
    std::shared_ptr<State> m_state;
    std::unique_ptr<NetworkReplyHolder> m_holder;
};

} // namespace veyra
