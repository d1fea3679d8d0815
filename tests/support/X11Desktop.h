#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>

#include <cstdint>
#include <optional>

struct xcb_connection_t;

namespace veyra::test {

// A window on the screen, as X reports it: one the window manager manages, or a top-level
// window that bypasses it.
struct X11ManagedWindow
{
    std::uint32_t id = 0;
    // _NET_WM_NAME, else WM_NAME.
    QString title;
    // The class part of WM_CLASS.
    QString windowClass;
    // WM_WINDOW_ROLE: Veyra's windows carry their identity (their object name) there.
    QString role;
    // _NET_WM_PID, 0 when absent.
    qint64 processID = 0;
    // The client area in root coordinates.
    QRect geometry;
    // Mapped, and every ancestor mapped too.
    bool isViewable = false;
    // Override-redirect: no window manager manages it (menus, the overlay's panels).
    bool bypassesWindowManager = false;
};

// What a user sees of a test X server, read the way any X client can: the window
// manager's client list with titles and positions, and the picture on the screen (the
// root window, with every window as it is stacked). Its own connection; every call is a
// round trip.
class X11Desktop
{
public:
    explicit X11Desktop(const QString &display);
    ~X11Desktop();

    X11Desktop(const X11Desktop &) = delete;
    X11Desktop &operator=(const X11Desktop &) = delete;

    bool isValid() const { return m_valid; }

    // The managed windows, bottom to top (_NET_CLIENT_LIST_STACKING; without it, the
    // clients with a WM_STATE inside the root's children).
    QVector<X11ManagedWindow> managedWindows();
    // The top-level windows that bypass the window manager, bottom to top.
    QVector<X11ManagedWindow> unmanagedWindows();
    // The topmost viewable managed window with exactly this title (of the process, when
    // one is given), else such a window that bypasses the window manager.
    std::optional<X11ManagedWindow> viewableWindow(const QString &title, qint64 processID = 0);
    // The same for the window with exactly this role (WM_WINDOW_ROLE).
    std::optional<X11ManagedWindow> viewableWindowWithRole(const QString &role, qint64 processID = 0);

    // The window the window manager has made active (_NET_ACTIVE_WINDOW), 0 when none.
    std::uint32_t activeWindow();
    // Asks the window manager to iconify the window, as its minimise button does.
    void iconify(std::uint32_t window);

    // The whole screen as shown now.
    QImage screenshot();

private:
    X11ManagedWindow describe(std::uint32_t id);
    // The window itself or the topmost of its descendants down to `depth` levels that
    // carries WM_STATE (a client window a window manager manages), 0 when none.
    std::uint32_t clientIn(std::uint32_t window, int depth);
    QByteArray property(std::uint32_t window, std::uint32_t property, std::uint32_t type);
    std::uint32_t atom(const char *name);

    xcb_connection_t *m_connection = nullptr;
    std::uint32_t m_root = 0;
    bool m_valid = false;
};

} // namespace veyra::test
