#pragma once

#include <QSize>
#include <QSizeF>

namespace veyra {

// The pixel size of a window image: the content size times the point-to-pixel scale
// (raised to 1 when smaller or unknown), each side rounded half away from zero and at
// least 1 pixel.
QSize snapshotPixelSize(QSizeF contentSize, double scale);

} // namespace veyra
