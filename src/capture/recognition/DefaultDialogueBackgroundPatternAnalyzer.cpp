#include "capture/recognition/DefaultDialogueBackgroundPatternAnalyzer.h"

#include "capture/recognition/OpaquePixels.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace veyra {

namespace {
// a + b without overflow (a region's right or bottom edge from a hand-edited file).
std::int64_t saturatingSum(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    }
    return sum;
}
} // namespace

std::optional<std::pair<DialogueBackgroundPattern, double>> DefaultDialogueBackgroundPatternAnalyzer::analyze(
    const QImage &image, const CaptureRegion &region) const
{
    if (region.width < 1 || region.height < 1 || image.isNull()) {
        return std::nullopt;
    }
    // The part of the region inside the image.
    const std::int64_t left = std::max<std::int64_t>(region.left, 0);
    const std::int64_t top = std::max<std::int64_t>(region.top, 0);
    const std::int64_t right = std::min<std::int64_t>(saturatingSum(region.left, region.width), image.width());
    const std::int64_t bottom = std::min<std::int64_t>(saturatingSum(region.top, region.height), image.height());
    if (right <= left || bottom <= top) {
        return std::nullopt;
    }

    std::array<std::int64_t, 512> histogram{};
    const OpaquePixels pixels(image);
    for (auto y = static_cast<int>(top); y < bottom; ++y) {
        const QRgb *scanLine = pixels.row(y);
        for (auto x = static_cast<int>(left); x < right; ++x) {
            const QRgb rgb = pixels.rgbAt(scanLine, x, y);
            ++histogram[static_cast<std::size_t>((qRed(rgb) / 32) * 64 + (qGreen(rgb) / 32) * 8 + qBlue(rgb) / 32)];
        }
    }

    std::size_t best = 0;
    for (std::size_t bin = 1; bin < histogram.size(); ++bin) {
        if (histogram[bin] > histogram[best]) {
            best = bin;
        }
    }
    const std::int64_t pixelCount = (right - left) * (bottom - top);
    const auto bin = static_cast<std::int64_t>(best);
    const DialogueBackgroundPattern pattern{(bin / 64) * 32 + 16, ((bin / 8) % 8) * 32 + 16, (bin % 8) * 32 + 16};
    return std::pair{pattern, static_cast<double>(histogram[best]) / static_cast<double>(pixelCount)};
}

} // namespace veyra
