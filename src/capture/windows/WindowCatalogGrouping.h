#pragma once

#include "capture/target/CaptureTarget.h"
#include "capture/windows/WindowRecord.h"

#include <QStringList>
#include <QVector>

#include <cstdint>

namespace veyra {

// Joins running applications with the window list into the picker's groups:
// - applications count when they are regular, not this process, not a build of Veyra
//   (bundle identifier in `ownBundleIdentifiers`) and named;
// - their selectable windows become targets, sorted by display title (the title, or the
//   localised "(Untitled)") with a localised case-insensitive comparison, then by window
//   number;
// - groups are sorted by application name the same way, then by process.
// An application without a selectable window yields no group.
QVector<CaptureApplicationGroup> groupSelectableWindows(const QVector<RunningApplicationRecord> &applications,
    const QVector<WindowRecord> &windows, std::int32_t ownProcessID, const QStringList &ownBundleIdentifiers);

// True when a selectable window with the target's window number and process is listed.
bool listsSelectableWindow(const QVector<WindowRecord> &windows, const CaptureTarget &target);

} // namespace veyra
