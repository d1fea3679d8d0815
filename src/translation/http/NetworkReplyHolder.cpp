#include "translation/http/NetworkReplyHolder.h"

#include <QLoggingCategory>
#include <QTimer>

#include <atomic>

namespace veyra {

namespace {

Q_LOGGING_CATEGORY(replyLog, "veyra.network.reply")

// How many of a reply's signals or aborts that this file handles are on the stack of the
// GUI thread right now.
thread_local int replyCallDepth = 0;
std::atomic<int> resumedInsideReplyCall{0};
std::atomic<int> destroyedInsideReplyCall{0};

// Marks a call into a reply (its abort()) or out of one (a handler of its signals) for the
// checks of NetworkReplyHolder::violations().
class ReplyCallScope
{
public:
    explicit ReplyCallScope(QNetworkReply *reply)
        : m_reply(reply)
        , m_manager(reply ? reply->manager() : nullptr)
        , m_hadReply(reply != nullptr)
        , m_hadManager(!m_manager.isNull())
    {
        ++replyCallDepth;
    }
    ~ReplyCallScope()
    {
        --replyCallDepth;
        if ((m_hadReply && !m_reply) || (m_hadManager && !m_manager)) {
            ++destroyedInsideReplyCall;
            qCCritical(replyLog) << "A network reply or its manager was destroyed inside the reply's own call";
        }
    }
    ReplyCallScope(const ReplyCallScope &) = delete;
    ReplyCallScope &operator=(const ReplyCallScope &) = delete;

private:
    QPointer<QNetworkReply> m_reply;
    QPointer<QNetworkAccessManager> m_manager;
    bool m_hadReply;
    bool m_hadManager;
};

} // namespace

void NetworkReplyHolder::Finished::await_suspend(std::coroutine_handle<> handle) const
{
    // Once only, whether the reply finishes or is deleted first (or both).
    auto scheduled = std::make_shared<bool>(false);
    const auto resumeLater = [handle, scheduled] {
        if (!*scheduled) {
            *scheduled = true;
            QTimer::singleShot(0, [handle] { handle.resume(); });
        }
    };
    QNetworkReply *reply = m_reply.data();
    QObject::connect(reply, &QNetworkReply::finished, [reply, resumeLater] {
        const ReplyCallScope scope(reply);
        resumeLater();
    });
    QObject::connect(reply, &QObject::destroyed, [resumeLater] {
        // The reply is going: nothing of it may be looked at any more.
        const ReplyCallScope scope(nullptr);
        resumeLater();
    });
}

void NetworkReplyHolder::Finished::await_resume() const noexcept
{
    if (replyCallDepth > 0) {
        ++resumedInsideReplyCall;
        qCCritical(replyLog) << "A coroutine awaiting a network reply resumed inside the reply's own call";
    }
}

NetworkReplyHolder::NetworkReplyHolder(std::shared_ptr<QNetworkAccessManager> session, QNetworkReply *reply)
    : m_session(std::move(session))
    , m_reply(reply)
{ }

NetworkReplyHolder::~NetworkReplyHolder()
{
    if (m_reply) {
        // Qt may still be inside one of the reply's functions (an abort that finished it).
        m_reply->deleteLater();
    }
}

void NetworkReplyHolder::abortLater(QNetworkReply *reply)
{
    QMetaObject::invokeMethod(
        reply,
        [reply] {
            const ReplyCallScope scope(reply);
            reply->abort();
        },
        Qt::QueuedConnection);
}

NetworkReplyHolder::Violations NetworkReplyHolder::violations()
{
    return {resumedInsideReplyCall.load(), destroyedInsideReplyCall.load()};
}

} // namespace veyra
