#pragma once

#include "foundation/async/CancellationToken.h"
#include "translation/http/HTTPMessage.h"
#include "translation/http/HostAddressResolving.h"
#include "translation/http/NetworkReplyHolder.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QString>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace veyra {

// One request over a QNetworkAccessManager whose redirects are followed here, one reply
// per hop, within a deadline and until cancelled. Qt's own following is off for every hop
// (Qt hands back the 3xx): when Qt follows a redirect itself it now and then sends the
// original request a second time on the same connection, and the answer to that repeat
// can reach the reply. Here each hop is sent exactly once, and the caller's handlers only
// ever see the final answer, never the body of a redirect.
//
// - Followed: 301, 302, 303, 307 and 308 with a Location header (resolved against the
//   hop's URL). 301, 302 and 303 turn any request but a HEAD into a GET without a body
//   (what Qt and browsers do); 307 and 308 repeat the method and body. A redirect's own
//   body is dropped, and its connection given up after 64 KiB of it.
// - Each redirect is checked against the request's policy before the next hop is sent
//   (keepsToItsOrigin(), isRedirectAllowed()), and at most maximumRedirects are followed.
//   Where the policy depends on where the target's name leads (redirectNeedsResolvedHost()),
//   the name is resolved first, and a name with any address of this machine is refused,
//   as is one that does not resolve or whose lookup ends without an answer.
// - Every hop carries the caller's headers (and "Accept-Encoding: identity" unless the
//   caller chose an encoding: Qt 6.4 can silently truncate a brotli-encoded answer), uses
//   no cache, gets the stall time-out as Qt's transfer time-out, the read-ahead bound
//   (boundReadAhead) and a NetworkReplyHolder of its own, so the awaiting coroutine
//   resumes on a later turn of the event loop and each reply is deleted through the event
//   loop.
// - The request's time-out is its deadline over all hops. The deadline, a handler that
//   stops the request and the cancellation token abort the hop in flight on a later turn
//   of the event loop; no further hop is sent and no handler called after that.
// GUI thread only.
class RedirectFollowingRequest
{
public:
    static constexpr int maximumRedirects = 10;

    // Why a handler stops the request, or nothing to go on.
    using Verdict = std::optional<QString>;

    // Called only for the reply of the final answer.
    struct Handlers
    {
        // Its status and headers have arrived.
        std::function<Verdict(QNetworkReply &)> answerBegan;
        // More of its body can be read (also once more after it finished, when some of it
        // is still unread).
        std::function<Verdict(QNetworkReply &)> bodyArrived;
    };

    struct Limits
    {
        // A hop on which no data moves for this long ends (Qt's transfer time-out).
        std::chrono::milliseconds stallTimeout;
        // How far Qt's network thread may read a reply ahead of the handlers.
        qint64 readAheadBytes;
    };

    enum class Ending {
        // The final answer has finished, with or without an error of its own: reply().
        answered,
        // A handler stopped the request (the detail is its reason).
        stopped,
        // No data moved on a hop for the stall time-out.
        stalled,
        // The request's time-out passed.
        pastDeadline,
        // A redirect was not followed (the detail says why).
        redirectRefused,
        // The reply went before it finished (its session was destroyed).
        sessionClosed,
    };

    struct Outcome
    {
        Ending ending = Ending::answered;
        QString detail;
    };

    // `resolver` looks up the names of redirect targets (without one, the system's:
    // QtHostAddressResolver::shared()).
    RedirectFollowingRequest(std::shared_ptr<QNetworkAccessManager> session, HTTPRequest request, Limits limits,
        Handlers handlers, std::shared_ptr<HostAddressResolving> resolver = nullptr);
    ~RedirectFollowingRequest();

    RedirectFollowingRequest(const RedirectFollowingRequest &) = delete;
    RedirectFollowingRequest &operator=(const RedirectFollowingRequest &) = delete;

    // Sends the request and follows its redirects until one of the endings. Throws
    // CancellationError once the token is cancelled (before or while it runs), whatever
    // else happened. Await it once, from the coroutine that holds this object.
    QCoro::Task<Outcome> run(CancellationToken token);

    // The reply of the final answer once run() ended with Ending::answered; what it did
    // not hand to the handlers can still be read.
    QNetworkReply *reply() const;

private:
    struct State;

    QCoro::Task<Outcome> follow();
    // Why the redirect to `target` may not be followed as its name resolves, or nothing.
    QCoro::Task<std::optional<QString>> refusalOfResolvedHost(QUrl target);

    std::shared_ptr<QNetworkAccessManager> m_session;
    HTTPRequest m_request;
    Limits m_limits;
    std::shared_ptr<HostAddressResolving> m_resolver;
    std::shared_ptr<State> m_state;
    std::unique_ptr<NetworkReplyHolder> m_holder;
};

} // namespace veyra
