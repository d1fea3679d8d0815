#include "translation/http/QtHostAddressResolver.h"

#include "foundation/errors/Error.h"

#include <QFuture>
#include <QHostInfo>
#include <QPromise>

#include <qcoro/qcorofuture.h>

namespace veyra {

namespace {

// Ends the promise with a lookup's answer, on the thread that asked. Qt calls it by its
// slot's name: the functor of a lookup that is aborted, or whose context object goes
// first, is never freed in Qt 6.4, and with it whatever it holds.
class LookupAnswer : public QObject
{
    Q_OBJECT

public:
    explicit LookupAnswer(std::shared_ptr<QPromise<ResolvedHost>> promise)
        : m_promise(std::move(promise))
    { }

public slots:
    void take(const QHostInfo &info)
    {
        if (m_promise->future().isFinished()) {
            return;
        }
        ResolvedHost resolved;
        if (info.error() == QHostInfo::NoError) {
            resolved.addresses = info.addresses();
        } else {
            resolved.error = info.errorString();
        }
        m_promise->addResult(std::move(resolved));
        m_promise->finish();
    }

private:
    std::shared_ptr<QPromise<ResolvedHost>> m_promise;
};

} // namespace

QCoro::Task<ResolvedHost> QtHostAddressResolver::resolve(QString host, CancellationToken token)
{
    token.throwIfCancelled();
    // Ended once, by the answer or by the cancellation, whichever comes first.
    const auto promise = std::make_shared<QPromise<ResolvedHost>>();
    promise->start();
    const QFuture<ResolvedHost> answer = promise->future();
    // Once the receiver goes, a late answer is dropped.
    const auto receiver = std::make_unique<LookupAnswer>(promise);
    const int lookup = QHostInfo::lookupHost(host, receiver.get(), SLOT(take(QHostInfo)));
    const CancellationToken::Registration registration = token.onCancel([promise, lookup] {
        QHostInfo::abortHostLookup(lookup);
        if (!promise->future().isFinished()) {
            promise->finish();
        }
    });
    // Awaited as a future without a value: a cancelled lookup finishes the promise without
    // its result, and the result of such a future must never be read.
    co_await QFuture<void>(answer);
    if (token.isCancelled()) {
        throw CancellationError();
    }
    if (answer.resultCount() == 0) {
        co_return ResolvedHost{{}, QStringLiteral("the lookup ended without an answer")};
    }
    co_return answer.result();
}

std::shared_ptr<HostAddressResolving> QtHostAddressResolver::shared()
{
    static const auto resolver = std::make_shared<QtHostAddressResolver>();
    return resolver;
}

} // namespace veyra

#include "QtHostAddressResolver.moc"
