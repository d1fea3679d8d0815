#pragma once

#include "foundation/logging/Logger.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class QLocalServer;
class QLocalSocket;

namespace veyra {

// Where the running Veyra of one user can be found, whatever its display: a lock file and a
// local socket in a folder that belongs to the user alone, both named after the bundle
// identifier.
struct HandoverPoint
{
    // Both empty when there is no such folder.
    QString lockPath;
    QString socketPath;

    bool isUsable() const { return !lockPath.isEmpty() && !socketPath.isEmpty(); }

    // The user's point, in the user's private runtime folder.
    static HandoverPoint forUser(const QString &bundleIdentifier);

    // One name for every way of writing one display: the screen number does not count
    // (":0" and ":0.0"), nor the transport to a server on this machine (":0", "unix:0",
    // "localhost:0", "tcp/localhost:0" and this machine's own name); a display of another
    // machine keeps its host. A name Xlib would not read stays as it is.
    static QString canonicalDisplay(const QString &displayName);

    // The folder for the point: $XDG_RUNTIME_DIR when it is a folder of this user that
    // nobody else may enter (not a link, owner only: mode 0700), else the fallback, a folder
    // of that kind made in the user's cache folder, one per bundle identifier and machine.
    // Empty when there is neither; `problem` then says why.
    static QString privateRuntimeFolder(const QString &bundleIdentifier, QString *problem = nullptr);

    // Whether the path names a folder (not a link to one) owned by this user, that no other
    // user may read, write or enter.
    static bool isPrivateFolder(const QString &path);
};

// Keeps one Veyra per user, whatever the display: two of them would write over each other's
// files. The first start holds the point's lock (flock, which the kernel lets go when the
// process ends however it ends, so a crashed Veyra never blocks a start) and, once its
// application object exists, listens on its socket. A later start connects, makes sure the
// listener is a process of the same user and asks it to come forward on its display: on the
// same display the running one comes forward and answers, and the start is done; on another
// it answers with its own display and stays where it is, and the start ends there. All
// before the later start connects to the X server. Main thread; claiming blocks.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        // This process is the running Veyra now.
        claimed,
        // The running Veyra took over this start.
        handedOver,
        // A Veyra runs on another display (runningVeyra() says which, and its process); this
        // start must end.
        runningElsewhere,
        // A Veyra holds the point but did not answer in time.
        unanswered,
    };

    // How long a later start waits.
    struct Patience
    {
        // For the answer of a running Veyra that has taken its connection (one that is
        // frozen or busy for longer does not answer).
        std::chrono::milliseconds answer;
        // In all, while the running Veyra does not listen yet or any more (it is starting
        // up or quitting).
        std::chrono::milliseconds overall;
    };
    static constexpr Patience defaultPatience{std::chrono::seconds(20), std::chrono::seconds(60)};
    // How long the running Veyra keeps a connection that has not asked anything.
    static constexpr std::chrono::seconds idleConnectionTimeout{5};
    // How many connections it keeps open at once; more are closed at once.
    static constexpr int mostOpenConnections = 8;

    // What a later start knows of the Veyra that holds the point.
    struct RunningVeyra
    {
        // Its process (from the socket's credentials), 0 until it has been reached.
        qint64 processID = 0;
        // Its display in canonical form, once it has answered that it runs elsewhere.
        QString display;
    };

    // For a Veyra on the display of that name (any spelling of it).
    SingleInstanceGuard(HandoverPoint point, const QString &displayName, QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // Claims the point, or hands this start over to the Veyra that holds it, or finds that
    // one on another display. Needs no application object. A point that cannot be used (no private folder) never keeps
    // Veyra from starting: it counts as claimed, without a listener. `waiting` is told, once, what this start waits for
    // when the running Veyra does not answer at once.
    Outcome claimOrHandOver(Patience patience, const std::function<void(const QString &)> &waiting = {});
    // The same patience for both.
    Outcome claimOrHandOver(
        std::chrono::milliseconds patience, const std::function<void(const QString &)> &waiting = {})
    {
        return claimOrHandOver(Patience{patience, patience}, waiting);
    }

    const RunningVeyra &runningVeyra() const { return m_running; }
    // The line that tells the player, after runningElsewhere, where Veyra runs.
    QString runningElsewhereMessage() const;

    // For the process that claimed the point, once its application object exists: from now
    // on later starts on its display hand over to it, and those on another are told where
    // it runs.
    void startAnswering();

    // Runs on the GUI thread each time a later start on this display hands over to this
    // process (never for a start on another display).
    void setOnHandover(std::function<void()> handler) { m_onHandover = std::move(handler); }

    // For a Veyra that is quitting: later starts get no answer any more and wait until
    // this process has ended, then start on their own. The handler is dropped.
    void stopAnswering();

    // The connections open now (for tests of the bounds).
    int openConnectionCount() const { return m_openConnections; }

private:
    enum class Attempt {
        answered,
        // The listener is a process of another user.
        untrusted,
        // Nobody listens, or the listener went away (starting up, quitting).
        notListening,
        // The listener took the request and did not answer in time.
        silent,
        // The listener runs on another display, and said which.
        elsewhere,
    };
    Attempt handOver(std::chrono::steady_clock::time_point deadline);
    void tell(bool &told, const QString &line);
    void accept(QLocalSocket *socket);
    void answer(QLocalSocket *socket);

    const HandoverPoint m_point;
    // In canonical form.
    const QString m_display;
    Logger m_logger{"Launch"};
    int m_lockFile = -1;
    bool m_claimed = false;
    bool m_warnedUntrusted = false;
    RunningVeyra m_running;
    std::function<void(const QString &)> m_waiting;
    Patience m_patience{};
    bool m_toldSilent = false;
    bool m_toldNotListening = false;
    QLocalServer *m_server = nullptr;
    int m_openConnections = 0;
    std::function<void()> m_onHandover;
};

} // namespace veyra
