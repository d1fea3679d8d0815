#pragma once

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

namespace veyra::test {

// Gives the tasks cancelled while no event loop ran (by the destruction of the objects a
// test made) the turns they need to end, as the end of the application does: turns of the
// event loop until one has nothing to do (at most 100), then the deletions left.
inline void giveRemainingTurns()
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

} // namespace veyra::test
