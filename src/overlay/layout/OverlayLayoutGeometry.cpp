#include "overlay/layout/OverlayLayoutGeometry.h"

#include <algorithm>
#include <cmath>

namespace veyra {

namespace {

double fraction(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    return std::clamp(value, 0.0, 1.0);
}

// At least the minimum (not a number counts as the minimum), then at most the limit.
double boundedLength(double length, double minimum, double limit)
{
    const double atLeastMinimum = std::isnan(length) ? minimum : std::max(length, minimum);
    return std::min(atLeastMinimum, limit);
}

} // namespace

QRectF frameFromLayout(const OverlayLayout &layout, const QRectF &visibleFrame, QSizeF minimumSize)
{
    const double width = boundedLength(layout.width, minimumSize.width(), visibleFrame.width());
    const double height = boundedLength(layout.height, minimumSize.height(), visibleFrame.height());
    const double roomX = std::max(visibleFrame.width() - width, 0.0);
    const double roomY = std::max(visibleFrame.height() - height, 0.0);
    return {minX(visibleFrame) + fraction(layout.normalizedX) * roomX,
        minY(visibleFrame) + fraction(layout.normalizedY) * roomY, width, height};
}

OverlayLayout layoutFromFrame(const QRectF &frame, const QRectF &visibleFrame)
{
    const double roomX = std::max(visibleFrame.width() - frame.width(), 0.0);
    const double roomY = std::max(visibleFrame.height() - frame.height(), 0.0);
    const double normalizedX = roomX > 0 ? (minX(frame) - minX(visibleFrame)) / roomX : 0;
    const double normalizedY = roomY > 0 ? (minY(frame) - minY(visibleFrame)) / roomY : 0;
    return {fraction(normalizedX), fraction(normalizedY), frame.width(), frame.height()};
}

QRectF clampFrame(const QRectF &frame, const QRectF &visibleFrame)
{
    const double width = boundedLength(frame.width(), minimumOverlayPanelSize.width(), visibleFrame.width());
    const double height = boundedLength(frame.height(), minimumOverlayPanelSize.height(), visibleFrame.height());
    const double highestX = std::max(minX(visibleFrame), maxX(visibleFrame) - width);
    const double highestY = std::max(minY(visibleFrame), maxY(visibleFrame) - height);
    const double x = std::min(std::max(minX(frame), minX(visibleFrame)), highestX);
    const double y = std::min(std::max(minY(frame), minY(visibleFrame)), highestY);
    return {x, y, width, height};
}

std::optional<DisplayGeometry> displayOverlappedMost(
    const QRectF &frame, const QVector<DisplayGeometry> &displays, QRectF DisplayGeometry::*area)
{
    if (displays.isEmpty()) {
        return std::nullopt;
    }
    const DisplayGeometry *best = &displays.front();
    for (const DisplayGeometry &candidate : displays) {
        // Strictly larger only: a tie keeps the earlier display.
        if (intersectionArea(frame, candidate.*area) > intersectionArea(frame, best->*area)) {
            best = &candidate;
        }
    }
    return *best;
}

std::optional<DisplayGeometry> displayGeometry(const QRectF &windowFrame, const QVector<DisplayGeometry> &displays)
{
    return displayOverlappedMost(windowFrame, displays, &DisplayGeometry::displayBounds);
}

QRectF controlStripFrame(const QRectF &panelFrame)
{
    return {maxX(panelFrame) - overlayControlStripSize.width() - overlayControlStripInset,
        minY(panelFrame) + overlayControlStripInset, overlayControlStripSize.width(), overlayControlStripSize.height()};
}

} // namespace veyra
