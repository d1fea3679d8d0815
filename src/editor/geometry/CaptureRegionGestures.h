#pragma once

#include "capture/areas/CaptureArea.h"
#include "editor/geometry/CaptureAreaResizeHandle.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <cstdint>

namespace veyra {

// Where a move or resize drag began: the area's region then, and the press location in
// canvas points. Every change of the drag is computed from it, never from the previous
// change.
struct CaptureRegionGestureStart
{
    CaptureRegion region;
    QPointF location;

    bool operator==(const CaptureRegionGestureStart &) const = default;
};

// The smallest size the resize handles leave an area, in pixels.
inline constexpr std::int64_t minimumResizedSide = 4;

// A floating-point position or displacement as a whole pixel: rounded to the nearest
// integer, halves away from zero; non-finite values give 0, huge ones saturate.
std::int64_t roundedPixel(double value);

// A drag's displacement in snapshot pixels at `scale` canvas points per pixel (none when
// the scale is not positive).
struct PixelDisplacement
{
    std::int64_t dx = 0;
    std::int64_t dy = 0;
};
PixelDisplacement dragDisplacement(QPointF start, QPointF location, double scale);

// The region of a body drag: the start region shifted by the displacement, clamped into
// `bounds` (so the size never changes unless it exceeds the bounds).
CaptureRegion movedRegion(
    const CaptureRegionGestureStart &start, QPointF location, double scale, const CaptureRegion &bounds);

// The region of a handle drag: the handle's sides follow the displacement, stay inside
// `bounds` and keep at least 4 pixels from the opposite side; then clamped into `bounds`.
CaptureRegion resizedRegion(CaptureAreaResizeHandle handle, const CaptureRegionGestureStart &start, QPointF location,
    double scale, const CaptureRegion &bounds);

// The centre of an area's name tag relative to the top left of the area's canvas
// rectangle `rect`: over the middle of a narrow area, 62 points in on a wide one (never
// less than 24), 9 points above the top edge, but at least 9 points below the canvas top.
QPointF captureRegionTagCenter(const QRectF &rect);

// A handle's centre relative to the top left of an area's canvas rectangle of `size`.
QPointF resizeHandleCenter(CaptureAreaResizeHandle handle, QSizeF size);

} // namespace veyra
