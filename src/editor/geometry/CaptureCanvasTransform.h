#pragma once

#include "capture/areas/CaptureArea.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

namespace veyra {

// The aspect-fit mapping between a snapshot (whole pixels) and the canvas that shows it
// (floating-point points, origin top left, y downwards): the image is scaled to fit and
// centred, with empty bands on two sides when the aspect ratios differ.
struct CaptureCanvasTransform
{
    // The snapshot's size in pixels.
    QSizeF sourceSize;
    // The canvas's size in points.
    QSizeF viewportSize;

    // Canvas points per snapshot pixel: 1 for an empty source, 0 for an empty canvas.
    double scale() const;
    // Where the fitted image lies on the canvas.
    QRectF fittedImageRect() const;

    // The region's rectangle on the canvas, unrounded.
    QRectF viewRect(const CaptureRegion &region) const;

    // The snapshot position (in pixels, unrounded) under a canvas point; nothing outside
    // the fitted image (whose right and bottom edges lie outside it) or on an empty canvas.
    std::optional<QPointF> pixelPoint(QPointF point) const;

    bool operator==(const CaptureCanvasTransform &) const = default;
};

} // namespace veyra
