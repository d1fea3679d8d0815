#include "foundation/async/AsyncTask.h"

#include "foundation/async/LastSaves.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace veyra {

namespace {

// Every pool newWorkerPool() made; the pools themselves live as long as the process.
struct WorkerPools
{
    QMutex mutex;
    QList<QThreadPool *> pools;
};

WorkerPools &workerPools()
{
    static auto *pools = new WorkerPools;
    return *pools;
}

std::atomic<bool> poolsEnded = false;

// Ends the work of every pool for good: what is queued runs as nothing (it only tells its
// awaiting task), and what runs is waited for, at most `limit` in all. Whether all of it
// ended within the limit.
bool endWorkerPools(std::chrono::milliseconds limit)
{
    poolsEnded.store(true, std::memory_order_release);
    QList<QThreadPool *> pools;
    {
        WorkerPools &all = workerPools();
        const QMutexLocker lock(&all.mutex);
        pools = all.pools;
    }
    const QDeadlineTimer deadline(limit);
    bool ended = true;
    for (QThreadPool *pool : pools) {
        if (!pool->waitForDone(int(std::max<qint64>(0, deadline.remainingTime())))) {
            qCCritical(Logger("worker-pools")) << "Work on" << pool->objectName() << "runs beyond" << limit.count()
                                               << "ms after the application ended";
            ended = false;
        }
    }
    return ended;
}

} // namespace

QThreadPool &newWorkerPool(const QString &name, int maximumThreadCount)
{
    auto *pool = new QThreadPool;
    pool->setObjectName(name);
    pool->setMaxThreadCount(maximumThreadCount);
    pool->setExpiryTimeout(-1);
    WorkerPools &all = workerPools();
    const QMutexLocker lock(&all.mutex);
    all.pools.append(pool);
    return *pool;
}

bool workerPoolsHaveEnded()
{
    return poolsEnded.load(std::memory_order_acquire);
}

void giveRemainingTurns()
{
    constexpr int maximumTurns = 100;
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    for (int turn = 0; turn < maximumTurns && dispatcher != nullptr; ++turn) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (!dispatcher->processEvents(QEventLoop::AllEvents)) {
            break;
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void finishApplicationWork(int status)
{
    runLastSaves();
    if (!endWorkerPools(workerPoolEndLimit)) {
        qCCritical(Logger("worker-pools")) << "Veyra ends without waiting any longer for that work";
        std::fflush(nullptr);
        std::_Exit(status);
    }
    giveRemainingTurns();
}

void endProcessWithin(int status, std::chrono::milliseconds limit)
{
    // A thread of its own, which the process's end takes with it; it touches nothing of Qt.
    std::thread([status, limit] {
        std::this_thread::sleep_for(limit);
        static constexpr char line[] = "Veyra ends without waiting any longer for its teardown (host-name lookups "
                                       "of a name server that does not answer, say)\n";
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, sizeof(line) - 1);
#if defined(__SANITIZE_ADDRESS__)
        __lsan_do_leak_check();
#endif
        std::_Exit(status);
    }).detach();
}

QThreadPool &cpuWorkPool()
{
    static QThreadPool &pool
        = newWorkerPool(QStringLiteral("VeyraCpuWork"), std::clamp(QThread::idealThreadCount(), 1, 2));
    return pool;
}

} // namespace veyra
