#include "translation/http/QtHostAddressResolver.h"

#include "foundation/errors/Error.h"

#include <QFuture>
#include <QHostInfo>
#include <QPromise>

#include <qcoro/qcorofuture.h>

namespace veyra {

QCoro::Task<ResolvedHost> QtHostAddressResolver::resolve(QString host, CancellationToken token)
{
    token.throwIfCancelled();
    // Ended once, by the answer or by the cancellation, whichever comes first.
    const auto promise = std::make_shared<QPromise<ResolvedHost>>();
    promise->start();
    QFuture<ResolvedHost> answer = promise->future();
    // The answer is delivered to this thread through the context object; once the context
    // goes, a late answer is dropped.
    const auto context = std::make_unique<QObject>();
    const int lookup = QHostInfo::lookupHost(host, context.get(), [promise](const QHostInfo &info) {
        if (promise->future().isFinished()) {
            return;
        }
        ResolvedHost resolved;
        if (info.error() == QHostInfo::NoError) {
            resolved.addresses = info.addresses();
        } else {
            resolved.error = info.errorString();
        }
        promise->addResult(std::move(resolved));
        promise->finish();
    });
    const CancellationToken::Registration registration = token.onCancel([promise, lookup] {
        QHostInfo::abortHostLookup(lookup);
        if (!promise->future().isFinished()) {
            promise->finish();
        }
    });
    co_await answer;
    if (token.isCancelled() || answer.resultCount() == 0) {
        throw CancellationError();
    }
    co_return answer.result();
}

std::shared_ptr<HostAddressResolving> QtHostAddressResolver::shared()
{
    static const auto resolver = std::make_shared<QtHostAddressResolver>();
    return resolver;
}

} // namespace veyra
