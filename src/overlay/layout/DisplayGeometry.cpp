#include "overlay/layout/DisplayGeometry.h"

#include <algorithm>

namespace veyra {

double intersectionArea(const QRectF &a, const QRectF &b)
{
    const double width = std::min(maxX(a), maxX(b)) - std::max(minX(a), minX(b));
    const double height = std::min(maxY(a), maxY(b)) - std::max(minY(a), minY(b));
    if (!(width > 0) || !(height > 0)) {
        return 0;
    }
    return width * height;
}

} // namespace veyra
