#pragma once

#include <QRect>
#include <QString>

#include <cstdint>

struct xcb_connection_t;

namespace veyra::test {

// Reads windows straight from an X server over a connection of its own, and asks the
// window manager what a pager would (another workspace). Every call is a round trip.
class X11Probe
{
public:
    explicit X11Probe(const QString &display);
    ~X11Probe();

    X11Probe(const X11Probe &) = delete;
    X11Probe &operator=(const X11Probe &) = delete;

    // The window's area in root coordinates.
    QRect geometry(std::uint32_t window) const;
    // The window's area with the frame the window manager draws around it
    // (_NET_FRAME_EXTENTS; none when the window manager sets none).
    QRect framedGeometry(std::uint32_t window) const;
    bool isViewable(std::uint32_t window) const;
    // The position of the window's top-level frame among the root's children, bottom first.
    int stackingIndex(std::uint32_t window) const;
    // The top-level frame that takes the pointer's input where the pointer is.
    std::uint32_t topLevelUnderPointer() const;
    // The window's ancestor directly below the root (itself when it is one).
    std::uint32_t topLevel(std::uint32_t window) const;
    std::uint32_t inputFocus() const;

    // Whether a client owns the selection ("_NET_SYSTEM_TRAY_S0": a system tray runs).
    bool isSelectionOwned(const char *selection) const;

    // The workspace shown (_NET_CURRENT_DESKTOP), -1 when the window manager names none.
    int currentWorkspace() const;
    int workspaceCount() const;
    // Asks the window manager, as a pager does, for this many workspaces, or to show one.
    void requestWorkspaceCount(int count) const;
    void requestWorkspace(int index) const;
    // Asks the window manager to close the window, as its close button does.
    void requestClose(std::uint32_t window) const;

private:
    std::uint32_t atom(const char *name) const;
    int rootCardinal(const char *name) const;
    void sendToWindowManager(const char *message, std::uint32_t value, std::uint32_t window = 0) const;

    xcb_connection_t *m_connection;
    std::uint32_t m_root;
};

} // namespace veyra::test
