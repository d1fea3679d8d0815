#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <memory>

namespace veyra::test {

// A private X server (Xvfb with Composite and, unless told otherwise, MIT-SHM) for one
// test program, optionally with a window manager (openbox unless another is chosen) and a
// compositing manager. Everything it starts ends with the session.
class XvfbSession
{
public:
    // Window managers with stacking rules of their own: openbox, metacity (the GNOME
    // family's X11 rules; it composites the screen itself) and xfwm4 (XFCE; run with a
    // private session bus for its settings daemon, its own compositor off unless asked).
    enum class WindowManager { openbox, metacity, xfwm4 };

    struct Options
    {
        int width = 1920;
        int height = 1080;
        bool windowManager = true;
        // Bits per pixel of the screen's colours: 24, or 16 as on old or remote servers.
        int depth = 24;
        // Without it clients read images with plain GetImage, as on a remote display.
        bool sharedMemory = true;
        // Which window manager runs while windowManager is set.
        WindowManager manager = WindowManager::openbox;
        // xfwm4 with its own compositor on, as XFCE runs by default (it is off otherwise);
        // the session is ready once the compositor has taken the screen.
        bool windowManagerCompositor = false;
        // Without it the server offers no Composite extension, as some X servers are
        // configured: nothing can read a window's own pixels there.
        bool composite = true;
    };

    // Starts the server (and the window manager) and waits until they are ready.
    // Check isRunning() afterwards: on failure errorString() says why.
    XvfbSession();
    explicit XvfbSession(Options options);
    // A session on a server that is already running (":N"), e.g. the one a parent process
    // started; it starts nothing and leaves the server running.
    explicit XvfbSession(const QString &runningDisplay);
    ~XvfbSession();

    XvfbSession(const XvfbSession &) = delete;
    XvfbSession &operator=(const XvfbSession &) = delete;

    bool isRunning() const { return m_running; }
    QString errorString() const { return m_error; }

    // ":N"
    QString display() const { return m_display; }

    // The environment of a program that should show its windows on this server.
    QProcessEnvironment environment() const;

    // Starts or stops the window manager.
    bool startWindowManager();
    void stopWindowManager();

    // Starts a compositing manager (xcompmgr), which blends translucent windows as a
    // player's desktop does; it ends with the session. False when it did not come up (or
    // another compositing manager runs).
    bool startCompositor();
    // Whether a compositing manager (a window manager's own among them) runs now.
    bool isComposited() const;

    // The window manager's name ("openbox"), for messages.
    static QString name(WindowManager manager);

    // Ends the server (closing every client's connection) and starts a new one on the
    // same display, as when the X server of a desktop session restarts. False when the
    // new server did not come up (another program may have taken the display meanwhile).
    bool restart();

private:
    // On `display`, or on a free one of its own choosing when that is empty.
    bool startServer(const QString &display);
    bool startServerOn(const QString &display);
    void stopServer();
    // Until the window manager reports that it has finished starting (openbox).
    bool waitForWindowManagerStart(int timeoutMs);
    // Until the window manager has announced itself on the root window.
    bool waitForWindowManager(int timeoutMs);
    // Until a compositing manager holds the screen, while the window manager runs.
    bool waitForCompositor(int timeoutMs);

    void stopProcess(std::unique_ptr<QProcess> &process);

    Options m_options;
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_windowManager;
    // The session bus of a window manager that needs one (xfwm4 keeps its settings in a
    // daemon started on the bus).
    std::unique_ptr<QProcess> m_sessionBus;
    std::unique_ptr<QProcess> m_compositor;
    QString m_display;
    QString m_error;
    bool m_running = false;
};

} // namespace veyra::test
