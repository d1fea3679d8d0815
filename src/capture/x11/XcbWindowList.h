#pragma once

#include "capture/windows/WindowRecord.h"

#include <QImage>
#include <QVector>

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace veyra {

class XcbConnection;

// Reads the window server's lists on an open connection, on the X work thread. Each
// function sends its requests for all windows at once and then collects the answers,
// so that a listing costs a few round trips whatever the number of windows. They throw
// XcbError when the connection breaks; a window that disappears meanwhile is left out.

// The client windows of the display: the _NET_CLIENT_LIST of a running EWMH window
// manager; without one, the top-level windows that carry WM_STATE (normal or iconic)
// and, when no window manager runs at all (nobody sets WM_STATE then), every mapped
// top-level window. Override-redirect windows (menus, tooltips) never count.
std::vector<xcb_window_t> readClientWindows(XcbConnection &x11);

// The process owning each window: _NET_WM_PID, else the X-Resource client-id query;
// 0 where neither answers (a window that is gone, or a remote client).
std::vector<std::int32_t> readWindowProcessIDs(XcbConnection &x11, const std::vector<xcb_window_t> &windows);

// The records of the windows that still exist and have a known owner, in list order.
QVector<WindowRecord> readWindowRecords(XcbConnection &x11, const std::vector<xcb_window_t> &windows);

// One record per process owning the given windows, in order of first appearance. The
// name and bundle identifier come from the first window with a WM_CLASS class, the
// icon from the process's first window.
QVector<RunningApplicationRecord> readRunningApplications(XcbConnection &x11, const QVector<WindowRecord> &windows);

// The best icon of a _NET_WM_ICON value (width, height and width x height ARGB pixels,
// repeated): the smallest at least `preferredSize` wide and high, else the largest.
// Malformed entries end the scan; a null image when none is usable.
QImage windowIconFromProperty(const std::uint32_t *data, std::size_t count, int preferredSize = 64);

} // namespace veyra
