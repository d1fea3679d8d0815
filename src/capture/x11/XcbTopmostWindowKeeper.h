#pragma once

#include "capture/windows/TopmostWindowKeeping.h"
#include "foundation/logging/Logger.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <memory>

struct xcb_connection_t;

namespace veyra {

class XcbConnection;

// Keeps windows on top of an X display by restacking them itself, for windows that bypass
// the window manager (override-redirect), which no window manager's layers or full-screen
// rules touch. It watches the root's children through a connection of its own (the
// structure events of the root, read on the GUI thread as they come, without a round
// trip) and, after any window the window manager manages (or the game's window) was
// mapped or restacked, reads the stacking order on the X work thread and restacks the
// kept windows there when another window stands above them. Checks run one at a time and
// at most one every 50 ms, so a window that keeps raising itself costs little.
class XcbTopmostWindowKeeper : public QObject, public TopmostWindowKeeping
{
    Q_OBJECT

public:
    static constexpr int minimumCheckIntervalMs = 50;

    // An empty display name means $DISPLAY.
    explicit XcbTopmostWindowKeeper(QString displayName = QString(), QObject *parent = nullptr);
    ~XcbTopmostWindowKeeper() override;

    void keepOnTop(KeptWindows windows, std::uint32_t gameWindow) override;
    void stop() override;

    // How often the kept windows were restacked so far.
    int restackings() const { return m_restackings; }

private:
    struct Disconnect
    {
        void operator()(xcb_connection_t *connection) const;
    };

    void openEventConnection();
    void adoptEventConnection(xcb_connection_t *connection, int screen);
    void dropEventConnection();
    void selectEvents(bool watching);
    void readEvents();
    void requestCheck();
    void runCheck();
    void checkFinished(bool restacked);

    QString m_displayName;
    Logger m_logger;
    // Reads the stacking order and restacks, on the X work thread.
    std::shared_ptr<XcbConnection> m_queries;
    std::unique_ptr<xcb_connection_t, Disconnect> m_events;
    std::uint32_t m_root = 0;
    QPointer<QSocketNotifier> m_eventNotifier;
    bool m_openingEvents = false;
    KeptWindows m_windows;
    std::uint32_t m_gameWindow = 0;
    bool m_active = false;
    bool m_checkRunning = false;
    bool m_checkPending = false;
    QElapsedTimer m_lastCheck;
    QTimer m_delayedCheck;
    int m_restackings = 0;
};

} // namespace veyra
