#include "capture/pipeline/FrameCrops.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace veyra {

std::optional<QRect> cropRect(QSize imageSize, const QRectF &rect)
{
    if (!std::isfinite(rect.x()) || !std::isfinite(rect.y()) || !std::isfinite(rect.width())
        || !std::isfinite(rect.height())) {
        return std::nullopt;
    }
    const QRectF normalized = rect.normalized();
    // Clamp to the image before converting, so that no coordinate overflows an int.
    const double left = std::max(std::floor(normalized.left()), 0.0);
    const double top = std::max(std::floor(normalized.top()), 0.0);
    const double right = std::min(std::ceil(normalized.right()), static_cast<double>(imageSize.width()));
    const double bottom = std::min(std::ceil(normalized.bottom()), static_cast<double>(imageSize.height()));
    if (right <= left || bottom <= top) {
        return std::nullopt;
    }
    return QRect(
        static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left), static_cast<int>(bottom - top));
}

QImage pixelView(const QImage &image, QRect rect)
{
    if (image.isNull() || !image.rect().contains(rect) || rect.isEmpty()) {
        return {};
    }
    if (image.depth() != 32) {
        return image.copy(rect);
    }
    const uchar *first = image.constBits() + static_cast<qsizetype>(rect.y()) * image.bytesPerLine()
        + static_cast<qsizetype>(rect.x()) * 4;
    return QImage(first, rect.width(), rect.height(), image.bytesPerLine(), image.format());
}

bool samePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.format() != b.format()) {
        return false;
    }
    if (a.format() != QImage::Format_RGB32 && a.format() != QImage::Format_ARGB32
        && a.format() != QImage::Format_ARGB32_Premultiplied) {
        return a == b;
    }
    // Every bit counts, but the unused top byte of RGB32.
    const std::uint32_t mask = a.format() == QImage::Format_RGB32 ? 0x00ffffffu : 0xffffffffu;
    const int width = a.width();
    for (int y = 0; y < a.height(); ++y) {
        const auto *left = reinterpret_cast<const std::uint32_t *>(a.constScanLine(y));
        const auto *right = reinterpret_cast<const std::uint32_t *>(b.constScanLine(y));
        // No branch per pixel: the whole row in one sweep the compiler can vectorise.
        std::uint32_t difference = 0;
        for (int x = 0; x < width; ++x) {
            difference |= left[x] ^ right[x];
        }
        if ((difference & mask) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace veyra
