#pragma once

#include "support/ServiceStandIn.h"

#include <QList>
#include <QNetworkAccessManager>
#include <QUrl>

#include <utility>

namespace veyra::test {

// A session (as the transports make theirs: no redirect followed by Qt, replies deleted by
// their holders) that never asks the system's resolver for a name, so that no name server
// hears of a test: a request to an origin given to serve() (scheme, host and port,
// "https://mirror.veyra.example" say) goes to its stand-in in plain HTTP, as if the name
// resolved there and TLS were done, while the client keeps its URL; a request to any other
// name fails at once, as a name that does not resolve would (with
// QNetworkReply::ProtocolUnknownError); a request to an address goes where its URL says.
class HostsServingSession : public QNetworkAccessManager
{
public:
    HostsServingSession();

    // Serves `origin` by `standIn`, which must outlive the requests sent to it.
    void serve(const QUrl &origin, const ServiceStandIn &standIn);

protected:
    QNetworkReply *createRequest(Operation operation, const QNetworkRequest &request, QIODevice *body) override;

private:
    // Each origin and the stand-in's URL.
    QList<std::pair<QUrl, QUrl>> m_served;
};

} // namespace veyra::test
