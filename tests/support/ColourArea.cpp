#include "support/ColourArea.h"

#include <QVector>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace veyra::test {

std::optional<QRect> colourArea(
    const QImage &picture, const QRect &within, const QColor &colour, int minimum, int tolerance)
{
    const QImage pixels = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
        ? picture
        : picture.convertToFormat(QImage::Format_RGB32);
    const QRect area = within.intersected(pixels.rect());
    QVector<int> columns(area.width(), 0);
    QVector<int> rows(area.height(), 0);
    for (int y = 0; y < area.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(area.top() + y));
        for (int x = 0; x < area.width(); ++x) {
            const QRgb pixel = line[area.left() + x];
            if (std::abs(qRed(pixel) - colour.red()) <= tolerance
                && std::abs(qGreen(pixel) - colour.green()) <= tolerance
                && std::abs(qBlue(pixel) - colour.blue()) <= tolerance) {
                ++columns[x];
                ++rows[y];
            }
        }
    }
    const auto span = [minimum](const QVector<int> &counts) -> std::optional<std::pair<int, int>> {
        const auto filled = [minimum](int count) { return count > minimum; };
        const auto first = std::find_if(counts.begin(), counts.end(), filled);
        const auto last = std::find_if(counts.rbegin(), counts.rend(), filled);
        if (first == counts.end()) {
            return std::nullopt;
        }
        return std::pair{static_cast<int>(first - counts.begin()), static_cast<int>(counts.rend() - last) - 1};
    };
    const auto horizontal = span(columns);
    const auto vertical = span(rows);
    if (!horizontal || !vertical) {
        return std::nullopt;
    }
    return QRect(QPoint(area.left() + horizontal->first, area.top() + vertical->first),
        QPoint(area.left() + horizontal->second, area.top() + vertical->second));
}

} // namespace veyra::test
