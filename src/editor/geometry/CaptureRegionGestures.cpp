#include "editor/geometry/CaptureRegionGestures.h"

#include <algorithm>
#include <cmath>

namespace veyra {

std::int64_t roundedPixel(double value)
{
    if (!std::isfinite(value)) {
        return 0;
    }
    // Well inside the 64-bit range, far beyond any image.
    constexpr double limit = 4.0e18;
    return static_cast<std::int64_t>(std::clamp(std::round(value), -limit, limit));
}

PixelDisplacement dragDisplacement(QPointF start, QPointF location, double scale)
{
    if (!(scale > 0)) {
        return {};
    }
    return {roundedPixel((location.x() - start.x()) / scale), roundedPixel((location.y() - start.y()) / scale)};
}

CaptureRegion movedRegion(
    const CaptureRegionGestureStart &start, QPointF location, double scale, const CaptureRegion &bounds)
{
    const PixelDisplacement d = dragDisplacement(start.location, location, scale);
    const CaptureRegion &r = start.region;
    return CaptureRegion{r.left + d.dx, r.top + d.dy, r.width, r.height}.clamped(bounds);
}

CaptureRegion resizedRegion(CaptureAreaResizeHandle handle, const CaptureRegionGestureStart &start, QPointF location,
    double scale, const CaptureRegion &bounds)
{
    using H = CaptureAreaResizeHandle;
    const PixelDisplacement d = dragDisplacement(start.location, location, scale);
    std::int64_t left = start.region.left;
    std::int64_t top = start.region.top;
    std::int64_t right = start.region.left + start.region.width;
    std::int64_t bottom = start.region.top + start.region.height;
    const std::int64_t boundsRight = bounds.left + bounds.width;
    const std::int64_t boundsBottom = bounds.top + bounds.height;

    if (handle == H::topLeft || handle == H::left || handle == H::bottomLeft) {
        left = std::min(std::max(left + d.dx, bounds.left), right - minimumResizedSide);
    }
    if (handle == H::topRight || handle == H::right || handle == H::bottomRight) {
        right = std::max(left + minimumResizedSide, std::min(right + d.dx, boundsRight));
    }
    if (handle == H::topLeft || handle == H::top || handle == H::topRight) {
        top = std::min(std::max(top + d.dy, bounds.top), bottom - minimumResizedSide);
    }
    if (handle == H::bottomLeft || handle == H::bottom || handle == H::bottomRight) {
        bottom = std::max(top + minimumResizedSide, std::min(bottom + d.dy, boundsBottom));
    }
    return CaptureRegion{left, top, right - left, bottom - top}.clamped(bounds);
}

QPointF captureRegionTagCenter(const QRectF &rect)
{
    return {std::max(std::min(rect.width() * 0.5, 62.0), 24.0), std::max(9.0 - rect.top(), -9.0)};
}

QPointF resizeHandleCenter(CaptureAreaResizeHandle handle, QSizeF size)
{
    const double w = size.width();
    const double h = size.height();
    switch (handle) {
    case CaptureAreaResizeHandle::topLeft:
        return {0, 0};
    case CaptureAreaResizeHandle::top:
        return {w / 2, 0};
    case CaptureAreaResizeHandle::topRight:
        return {w, 0};
    case CaptureAreaResizeHandle::right:
        return {w, h / 2};
    case CaptureAreaResizeHandle::bottomRight:
        return {w, h};
    case CaptureAreaResizeHandle::bottom:
        return {w / 2, h};
    case CaptureAreaResizeHandle::bottomLeft:
        return {0, h};
    case CaptureAreaResizeHandle::left:
        break;
    }
    return {0, h / 2};
}

} // namespace veyra
