#pragma once

#include "foundation/errors/Error.h"
#include "translation/http/HostAddressResolving.h"

#include <QHash>
#include <QPromise>
#include <QSet>
#include <QStringList>

#include <qcoro/qcorofuture.h>

#include <memory>

namespace veyra::test {

// Names resolved as a test has them: each name in `names` to its addresses, and one listed
// there without any never answers until its lookup is cancelled; a name in `givingUp` ends
// at once without an answer, as a resolver that gives up does (CancellationError, though
// nothing was cancelled); any other name does not resolve.
class ScriptedHostResolver : public HostAddressResolving
{
public:
    QHash<QString, QList<QHostAddress>> names;
    QSet<QString> givingUp;
    // Every name asked for, in order.
    QStringList asked;
    // How many lookups that never answer were cancelled.
    int cancelled = 0;

    QCoro::Task<ResolvedHost> resolve(QString host, CancellationToken token) override
    {
        token.throwIfCancelled();
        asked.append(host);
        if (givingUp.contains(host)) {
            throw CancellationError();
        }
        if (!names.contains(host)) {
            co_return ResolvedHost{{}, QStringLiteral("Host not found")};
        }
        if (names.value(host).isEmpty()) {
            auto never = std::make_shared<QPromise<void>>();
            never->start();
            const auto registration = token.onCancel([this, never] {
                ++cancelled;
                never->finish();
            });
            co_await never->future();
            throw CancellationError();
        }
        co_return ResolvedHost{names.value(host), {}};
    }
};

} // namespace veyra::test
