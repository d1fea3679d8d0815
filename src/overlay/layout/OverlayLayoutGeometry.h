#pragma once

#include "overlay/layout/DisplayGeometry.h"
#include "overlay/layout/OverlayLayout.h"

#include <QSizeF>
#include <QVector>

#include <optional>

// The arithmetic of the overlay's placement, in screen space (y upwards).

namespace veyra {

inline constexpr QSizeF minimumOverlayPanelSize{320, 120};
inline constexpr QSizeF defaultOverlayPanelSize{720, 220};
inline constexpr QSizeF overlayControlStripSize{156, 38};
// The strip's distance from the panel's right and bottom edges.
inline constexpr double overlayControlStripInset = 10;

// The panel frame of a stored layout in a visible frame: the size at least the minimum
// and at most the visible frame (the visible frame wins), the position the layout's
// fractions (clamped to 0-1; not a number counts as 0) of the free room.
QRectF frameFromLayout(const OverlayLayout &layout, const QRectF &visibleFrame, QSizeF minimumSize);

// The layout of a panel frame: its fractions of the free room (0 when there is none),
// clamped to 0-1, and its own size.
OverlayLayout layoutFromFrame(const QRectF &frame, const QRectF &visibleFrame);

// The frame kept inside a visible frame: the size between the minimum panel size and the
// visible frame's size (a size that is not a number becomes the minimum), the origin moved
// as little as possible.
QRectF clampFrame(const QRectF &frame, const QRectF &visibleFrame);

// The display whose area (`area` of it) a frame overlaps most: on a tie the earlier one,
// the first when the frame overlaps none. Nothing for an empty list.
std::optional<DisplayGeometry> displayOverlappedMost(
    const QRectF &frame, const QVector<DisplayGeometry> &displays, QRectF DisplayGeometry::*area);

// The display that shows most of a window (its frame in root coordinates, compared with
// the displays' bounds).
std::optional<DisplayGeometry> displayGeometry(const QRectF &windowFrame, const QVector<DisplayGeometry> &displays);

// The frame of the control strip inside a panel frame's bottom-right corner.
QRectF controlStripFrame(const QRectF &panelFrame);

} // namespace veyra
