#include "translation/http/NetworkReplyHolder.h"

#include <QNetworkRequest>
#include <QTimer>

namespace veyra {

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
    QObject::connect(m_reply, &QNetworkReply::finished, resumeLater);
    QObject::connect(m_reply, &QObject::destroyed, resumeLater);
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

void NetworkReplyHolder::checkRedirects(
    HTTPRedirectPolicy policy, bool requestCarriesCredentials, std::function<void()> refused) const
{
    QNetworkReply *reply = m_reply.data();
    if (!reply) {
        return;
    }
    const QUrl requestURL = reply->url();
    QObject::connect(reply, &QNetworkReply::redirected, reply,
        [reply, policy, requestCarriesCredentials, requestURL, refused](const QUrl &target) {
            if (isRedirectAllowed(policy, requestURL, target, requestCarriesCredentials)) {
                emit reply->redirectAllowed();
                return;
            }
            if (refused) {
                refused();
            }
            abortLater(reply);
        });
}

void NetworkReplyHolder::prepareRedirectCheck(QNetworkRequest &request)
{
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
}

void NetworkReplyHolder::abortLater(QNetworkReply *reply)
{
    QMetaObject::invokeMethod(
        reply, [reply] { reply->abort(); }, Qt::QueuedConnection);
}

} // namespace veyra
