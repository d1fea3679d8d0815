#include "capture/recognition/DialogueBoxEdges.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace veyra {

namespace {

int channel(std::int64_t component)
{
    return static_cast<int>(std::clamp<std::int64_t>(component, 0, 255));
}

// Within distance 64 of the pattern: the colour the detector takes for the background.
bool isBackground(QRgb pixel, const DialogueBackgroundPattern &pattern)
{
    const std::int64_t dr = qRed(pixel) - pattern.red;
    const std::int64_t dg = qGreen(pixel) - pattern.green;
    const std::int64_t db = qBlue(pixel) - pattern.blue;
    return dr * dr + dg * dg + db * db <= 64 * 64;
}

} // namespace

QImage clearingEdgeScenery(const QImage &box, const DialogueBackgroundPattern &pattern, QSize band)
{
    if (box.isNull() || box.width() < 1 || box.height() < 1) {
        return box;
    }
    QImage image = box.convertToFormat(QImage::Format_RGB32);
    const int width = image.width();
    const int height = image.height();
    const int bandX = std::clamp(band.width(), 0, width);
    const int bandY = std::clamp(band.height(), 0, height);
    if (bandX == 0 && bandY == 0) {
        return image;
    }
    const auto inBand
        = [&](int x, int y) { return x < bandX || x >= width - bandX || y < bandY || y >= height - bandY; };
    const auto pixel = [&image](int x, int y) -> QRgb & { return reinterpret_cast<QRgb *>(image.scanLine(y))[x]; };
    const QRgb fill = qRgb(channel(pattern.red), channel(pattern.green), channel(pattern.blue));

    std::vector<std::uint8_t> visited(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    std::vector<std::pair<int, int>> queue;
    const auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height || !inBand(x, y)) {
            return;
        }
        const std::size_t index = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x;
        if (visited[index] != 0 || isBackground(pixel(x, y), pattern)) {
            return;
        }
        visited[index] = 1;
        queue.emplace_back(x, y);
    };
    for (int x = 0; x < width; ++x) {
        visit(x, 0);
        visit(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        visit(0, y);
        visit(width - 1, y);
    }
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const auto [x, y] = queue[next];
        pixel(x, y) = fill;
        visit(x - 1, y);
        visit(x + 1, y);
        visit(x, y - 1);
        visit(x, y + 1);
    }
    return image;
}

} // namespace veyra
