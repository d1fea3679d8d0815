#pragma once

#include <QPointF>
#include <QRectF>

namespace veyra {

// The overlay's geometry is worked out in screen space: origin at the bottom-left corner
// of the main display, y growing upwards, x as in Qt. Qt's global coordinates (and the
// root coordinates of X11 window frames) have y growing downwards; ScreenSpace mirrors
// between the two about the main display's bottom edge. The conversion is its own inverse.
class ScreenSpace
{
public:
    // The y of the main display's bottom edge in Qt's global coordinates.
    explicit ScreenSpace(double mainDisplayBottom)
        : m_mainDisplayBottom(mainDisplayBottom)
    { }

    QRectF fromGlobal(const QRectF &rect) const
    {
        return {rect.x(), m_mainDisplayBottom - rect.y() - rect.height(), rect.width(), rect.height()};
    }
    QRectF toGlobal(const QRectF &rect) const { return fromGlobal(rect); }
    QPointF fromGlobal(const QPointF &point) const { return {point.x(), m_mainDisplayBottom - point.y()}; }
    QPointF toGlobal(const QPointF &point) const { return fromGlobal(point); }

    double mainDisplayBottom() const { return m_mainDisplayBottom; }

private:
    double m_mainDisplayBottom;
};

// One display, described in both spaces.
struct DisplayGeometry
{
    // The display's bounds in the root window's coordinates (device pixels, y downwards),
    // the space of a game window's frame.
    QRectF displayBounds;
    // The display's frame in screen space.
    QRectF screenFrame;
    // The frame less the panels and docks that reserve room (the desktop's work area), in
    // screen space.
    QRectF visibleFrame;

    bool operator==(const DisplayGeometry &) const = default;
};

// Edges of a rectangle in screen space (y upwards): maxY is the top edge.
inline double minX(const QRectF &rect)
{
    return rect.x();
}
inline double maxX(const QRectF &rect)
{
    return rect.x() + rect.width();
}
inline double minY(const QRectF &rect)
{
    return rect.y();
}
inline double maxY(const QRectF &rect)
{
    return rect.y() + rect.height();
}
inline double midX(const QRectF &rect)
{
    return rect.x() + rect.width() / 2;
}
inline double midY(const QRectF &rect)
{
    return rect.y() + rect.height() / 2;
}

// The area two rectangles share; 0 when they do not meet.
double intersectionArea(const QRectF &a, const QRectF &b);

} // namespace veyra
