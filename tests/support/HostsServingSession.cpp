#include "support/HostsServingSession.h"

#include <QHostAddress>
#include <QNetworkRequest>

#include <algorithm>

namespace veyra::test {

namespace {

int portOf(const QUrl &url)
{
    return url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
}

bool isSameOrigin(const QUrl &first, const QUrl &second)
{
    return first.scheme() == second.scheme() && first.host().compare(second.host(), Qt::CaseInsensitive) == 0
        && portOf(first) == portOf(second);
}

} // namespace

HostsServingSession::HostsServingSession()
{
    setAutoDeleteReplies(false);
    setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

void HostsServingSession::serve(const QUrl &origin, const ServiceStandIn &standIn)
{
    m_served.append({origin, standIn.url()});
}

QNetworkReply *HostsServingSession::createRequest(Operation operation, const QNetworkRequest &request, QIODevice *body)
{
    const QUrl url = request.url();
    if (QHostAddress().setAddress(url.host())) {
        return QNetworkAccessManager::createRequest(operation, request, body);
    }
    QUrl sent = url;
    const auto served = std::find_if(m_served.begin(), m_served.end(),
        [&url](const std::pair<QUrl, QUrl> &origin) { return isSameOrigin(origin.first, url); });
    if (served != m_served.end()) {
        const QUrl &standIn = served->second;
        sent.setScheme(standIn.scheme());
        sent.setHost(standIn.host());
        sent.setPort(standIn.port());
    } else {
        // Qt knows no such scheme: the reply fails on a later turn of the event loop, and
        // nothing looks the name up.
        sent.setScheme(QStringLiteral("unresolved-name"));
    }
    QNetworkRequest redirected = request;
    redirected.setUrl(sent);
    return QNetworkAccessManager::createRequest(operation, redirected, body);
}

} // namespace veyra::test
