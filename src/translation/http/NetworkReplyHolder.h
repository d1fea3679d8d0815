#pragma once

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

#include <coroutine>
#include <functional>
#include <memory>

namespace veyra {

// One reply of a request in flight, held by the coroutine that awaits it, together with
// the session that sent it. Qt finishes a reply synchronously inside abort() and emits
// its signals from deep inside its own code, so nothing that owns the reply, its session
// or the awaiting coroutine may go away there:
//
// - the awaiting coroutine resumes on a later turn of the event loop, never inside the
//   reply's own signals or abort();
// - the session lives as long as the holder (a client or transport that goes meanwhile
//   only lets go of its share), and the reply is deleted through the event loop;
// - aborts are queued, so that they never run inside the caller's stack.
// GUI thread only.
class NetworkReplyHolder
{
public:
    // Awaited, suspends until the reply has finished (or is gone) and resumes on a later
    // turn of the event loop.
    class Finished
    {
    public:
        explicit Finished(QPointer<QNetworkReply> reply)
            : m_reply(std::move(reply))
        { }
        bool await_ready() const noexcept { return !m_reply || m_reply->isFinished(); }
        void await_suspend(std::coroutine_handle<> handle) const;
        void await_resume() const noexcept;

    private:
        QPointer<QNetworkReply> m_reply;
    };

    NetworkReplyHolder(std::shared_ptr<QNetworkAccessManager> session, QNetworkReply *reply);
    ~NetworkReplyHolder();

    NetworkReplyHolder(const NetworkReplyHolder &) = delete;
    NetworkReplyHolder &operator=(const NetworkReplyHolder &) = delete;

    // The reply; null only when something else deleted it.
    QNetworkReply *get() const { return m_reply.data(); }

    Finished finished() const { return Finished(m_reply); }

    // Aborts the reply on a later turn of the event loop (nothing when it is gone by then).
    static void abortLater(QNetworkReply *reply);

    // What went against the rules above since the process started, counted where it
    // happens: a coroutine that resumed while a reply's finished, destroyed or abort() was
    // on the stack, and a reply whose manager, or the reply itself, was destroyed while
    // one of those ran. Both stay zero; tests check them, and each case is also logged.
    struct Violations
    {
        int resumedInsideReplyCall = 0;
        int destroyedInsideReplyCall = 0;
        bool operator==(const Violations &) const = default;
    };
    static Violations violations();

private:
    // Declared first, so that it is let go of after the reply.
    std::shared_ptr<QNetworkAccessManager> m_session;
    QPointer<QNetworkReply> m_reply;
};

} // namespace veyra
