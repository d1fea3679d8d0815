#pragma once

#include "foundation/logging/Logger.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class QLocalServer;
class QLocalSocket;

namespace veyra {

// Where the running Veyra of one user on one X display can be found: a lock file and a
// local socket in the user's runtime folder ($XDG_RUNTIME_DIR), both named after the
// bundle identifier and the display.
struct HandoverPoint
{
    QString lockPath;
    QString socketPath;

    // The display's screen number does not count (":0" and ":0.0" are one display).
    static HandoverPoint forDisplay(const QString &bundleIdentifier, const QString &displayName);
};

// Keeps one Veyra per user and display. The first start holds the point's lock (flock,
// which the kernel lets go when the process ends however it ends, so a crashed Veyra never
// blocks a start) and listens on its socket; a later start connects, asks the running one
// to come forward, waits for its answer and is done. Main thread; claiming blocks, before
// the event loop runs.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        // This process is the running Veyra now.
        claimed,
        // The running Veyra took over this start.
        handedOver,
        // A Veyra holds the point but did not answer in time.
        unanswered,
    };

    explicit SingleInstanceGuard(HandoverPoint point, QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // Claims the point, or hands this start over to the Veyra that holds it. A point that
    // cannot be used (no runtime folder) never keeps Veyra from starting: it counts as
    // claimed, without a listener.
    Outcome claimOrHandOver(std::chrono::milliseconds patience);

    // Runs on the GUI thread each time a later start hands over to this process.
    void setOnHandover(std::function<void()> handler) { m_onHandover = std::move(handler); }

    // For a Veyra that is quitting: later starts get no answer any more and wait until
    // this process has ended, then start on their own. The handler is dropped.
    void stopAnswering();

private:
    bool handOver(std::chrono::steady_clock::time_point deadline);
    void listen();
    void answer(QLocalSocket *socket);

    const HandoverPoint m_point;
    Logger m_logger{"Launch"};
    int m_lockFile = -1;
    QLocalServer *m_server = nullptr;
    std::function<void()> m_onHandover;
};

} // namespace veyra
