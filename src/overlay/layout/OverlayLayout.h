#pragma once

#include <QJsonObject>

namespace veyra {

// Where the overlay stood and how large it was, independent of the screen's size: the
// position is a fraction (0-1) of the free room of the screen's visible frame, measured
// from its left and from its bottom edge; the size is in points.
struct OverlayLayout
{
    double normalizedX = 0;
    double normalizedY = 0;
    double width = 0;
    double height = 0;

    // {"normalizedX", "normalizedY", "width", "height"}; fromJson requires all four
    // numbers and throws DecodingError otherwise.
    QJsonObject toJson() const;
    static OverlayLayout fromJson(const QJsonObject &object);

    bool operator==(const OverlayLayout &) const = default;
};

} // namespace veyra
