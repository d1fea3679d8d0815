#include "editor/geometry/CaptureCanvasTransform.h"

#include <algorithm>

namespace veyra {

namespace {
bool hasValidSource(const QSizeF &size)
{
    return size.width() > 0 && size.height() > 0;
}
} // namespace

double CaptureCanvasTransform::scale() const
{
    if (!hasValidSource(sourceSize)) {
        return 1.0;
    }
    return std::min(viewportSize.height() / sourceSize.height(), viewportSize.width() / sourceSize.width());
}

QRectF CaptureCanvasTransform::fittedImageRect() const
{
    const double s = scale();
    const QSizeF fitted(sourceSize.width() * s, sourceSize.height() * s);
    return {QPointF((viewportSize.width() - fitted.width()) * 0.5, (viewportSize.height() - fitted.height()) * 0.5),
        fitted};
}

QRectF CaptureCanvasTransform::viewRect(const CaptureRegion &region) const
{
    const double s = scale();
    const QPointF origin = fittedImageRect().topLeft();
    return {origin.x() + s * static_cast<double>(region.left), origin.y() + s * static_cast<double>(region.top),
        s * static_cast<double>(region.width), s * static_cast<double>(region.height)};
}

std::optional<QPointF> CaptureCanvasTransform::pixelPoint(QPointF point) const
{
    const QRectF image = fittedImageRect();
    const bool inside = point.x() >= image.left() && point.x() < image.right() && point.y() >= image.top()
        && point.y() < image.bottom();
    if (!inside) {
        return std::nullopt;
    }
    const double s = scale();
    if (hasValidSource(sourceSize) && !(s > 0)) {
        return std::nullopt;
    }
    return QPointF((point.x() - image.left()) / s, (point.y() - image.top()) / s);
}

} // namespace veyra
