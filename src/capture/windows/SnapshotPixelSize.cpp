#include "capture/windows/SnapshotPixelSize.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace veyra {

namespace {

int pixels(double points, double scale)
{
    const double scaled = std::round(points * scale);
    if (!(scaled >= 1.0)) {
        return 1;
    }
    return static_cast<int>(std::min(scaled, static_cast<double>(std::numeric_limits<int>::max())));
}

} // namespace

QSize snapshotPixelSize(QSizeF contentSize, double scale)
{
    const double effectiveScale = std::isfinite(scale) ? std::max(scale, 1.0) : 1.0;
    return {pixels(contentSize.width(), effectiveScale), pixels(contentSize.height(), effectiveScale)};
}

} // namespace veyra
