#include "foundation/async/AsyncTask.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

#include <algorithm>

namespace veyra {

void finishRemainingTasks()
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

QThreadPool &cpuWorkPool()
{
    static QThreadPool *pool = [] {
        auto *created = new QThreadPool;
        created->setObjectName(QStringLiteral("VeyraCpuWork"));
        created->setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 2));
        created->setExpiryTimeout(-1);
        return created;
    }();
    return *pool;
}

} // namespace veyra
