#pragma once

#include "foundation/async/CancellationToken.h"

#include <QHostAddress>
#include <QList>
#include <QString>

#include <qcoro/qcorotask.h>

namespace veyra {

// What a host name resolves to: its addresses, or why there are none.
struct ResolvedHost
{
    QList<QHostAddress> addresses;
    // Empty when the name was resolved.
    QString error;
};

// Turns a host name into the addresses a connection to it would use, as the system's
// resolver sees them. GUI thread only.
class HostAddressResolving
{
public:
    virtual ~HostAddressResolving() = default;

    // The addresses of `host` (a name in its ASCII form, not an address). Throws
    // CancellationError once the token is cancelled, before or while it runs; a name that
    // does not resolve is no exception but a ResolvedHost with its error. A resolver that
    // gives up on its own may end with CancellationError too: callers take it as no answer.
    virtual QCoro::Task<ResolvedHost> resolve(QString host, CancellationToken token) = 0;
};

} // namespace veyra
