#pragma once

#include "capture/target/GameWindowProfileKey.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

namespace veyra {

// One running application: a process that owns at least one client window.
struct RunningApplicationRecord
{
    std::int32_t processID = 0;
    // The class part of WM_CLASS, trimmed; absent when the windows carry none.
    std::optional<QString> bundleIdentifier;
    // /proc/<pid>/exe; absent when it cannot be read.
    std::optional<QUrl> executableURL;
    // The WM_CLASS class, else the process's command name; trimmed.
    QString applicationName;
    // A null image when the windows carry no icon.
    QImage icon;
    // True for every process that owns an ordinary window; kept so that the grouping
    // rules read like the rules of the window picker.
    bool isRegularApplication = true;
};

// One client window as the window server lists it.
struct WindowRecord
{
    std::uint32_t windowID = 0;
    std::int32_t processID = 0;
    // _NET_WM_NAME, else WM_NAME; trimmed, empty when the window has no title.
    QString title;
    // The client area in root-window coordinates.
    QRectF frame;
    // 0 for ordinary windows (window type normal, dialog or none), else another layer.
    int layer = 0;
    bool isShareable = true;

    friend bool operator==(const WindowRecord &a, const WindowRecord &b)
    {
        return a.windowID == b.windowID && a.processID == b.processID && canonicallyEqual(a.title, b.title)
            && a.frame.x() == b.frame.x() && a.frame.y() == b.frame.y() && a.frame.width() == b.frame.width()
            && a.frame.height() == b.frame.height() && a.layer == b.layer && a.isShareable == b.isShareable;
    }
};

// A window the user may pick: ordinary, shareable, and of non-zero size.
inline bool isSelectable(const WindowRecord &record)
{
    return record.layer == 0 && record.isShareable && record.frame.width() > 0 && record.frame.height() > 0;
}

} // namespace veyra
