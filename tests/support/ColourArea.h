#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <optional>

namespace veyra::test {

// Where the colour fills the picture inside `within`: the rows and columns that hold more
// than `minimum` pixels of it (each channel within `tolerance`), so that stray pixels do not
// count. Nothing when no row or column does.
std::optional<QRect> colourArea(
    const QImage &picture, const QRect &within, const QColor &colour, int minimum = 20, int tolerance = 6);

} // namespace veyra::test
