#include "capture/recognition/DialogueSearchRegionDetector.h"

#include "capture/recognition/OpaquePixels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

namespace veyra {

namespace {

// One box of pixels in the working image, bounds inclusive.
struct DialogueSearchBounds
{
    std::int64_t minX = 0;
    std::int64_t minY = 0;
    std::int64_t maxX = 0;
    std::int64_t maxY = 0;

    std::int64_t width() const { return maxX - minX + 1; }
    std::int64_t height() const { return maxY - minY + 1; }
    std::int64_t area() const { return width() * height(); }
};

struct DialogueSearchCandidate
{
    DialogueSearchBounds bounds;
    double backgroundCoverage = 0.0;
    std::int64_t contrastPixelCount = 0;
};

constexpr std::int64_t backgroundDistanceSquared = 64 * 64;
constexpr std::int64_t contrastDistanceSquared = 80 * 80;

// Squared distances of every 8-bit channel value to one pattern component. A component
// outside 0...255 (a hand-edited file) is first brought to within 1024 of the channel
// range: no threshold decision changes, and no square can overflow.
std::array<std::int64_t, 256> squaredDistances(std::int64_t component)
{
    const std::int64_t c = std::clamp<std::int64_t>(component, -1024, 255 + 1024);
    std::array<std::int64_t, 256> table{};
    for (std::int64_t value = 0; value < 256; ++value) {
        table[static_cast<std::size_t>(value)] = (value - c) * (value - c);
    }
    return table;
}

// The squared distance of a colour to the pattern, per channel.
struct PatternDistances
{
    std::array<std::int64_t, 256> red;
    std::array<std::int64_t, 256> green;
    std::array<std::int64_t, 256> blue;

    explicit PatternDistances(const DialogueBackgroundPattern &pattern)
        : red(squaredDistances(pattern.red))
        , green(squaredDistances(pattern.green))
        , blue(squaredDistances(pattern.blue))
    { }

    std::int64_t operator()(QRgb rgb) const
    {
        return red[static_cast<std::size_t>(qRed(rgb))] + green[static_cast<std::size_t>(qGreen(rgb))]
            + blue[static_cast<std::size_t>(qBlue(rgb))];
    }
};

// The contrast floor of a candidate: at least one pixel in a hundred of the box differs
// strongly from it (the text).
constexpr double contrastFloor = 0.01;

// The source pixel that working pixel `index` samples along one side: the one under its
// centre.
std::int64_t sampledSourcePixel(std::int64_t index, std::int64_t sourceLength, std::int64_t workingLength)
{
    return std::min((2 * index + 1) * sourceLength / (2 * workingLength), sourceLength - 1);
}

// Whether the pixels of the image itself within a box of the working image hold contrast
// pixels up to the floor. The working image samples one source pixel of each block, which
// misses most strokes of thin text where a working pixel stands for five to eight source
// pixels a side: a short line of thin serif text that holds 1.09 % of its box in its own
// pixels measured 0.78 % there, and was never read. The source pixels counted run from the one sampled for the
// box's first working pixel to the one sampled for its last, on both axes: the blocks of
// its outermost working pixels reach past its edge into the scene.
bool sourceHoldsContrast(const QImage &image, const PatternDistances &distance, QSize working, std::int64_t minX,
    std::int64_t minY, std::int64_t maxX, std::int64_t maxY)
{
    const std::int64_t sourceWidth = image.width();
    const std::int64_t sourceHeight = image.height();
    const std::int64_t w = working.width();
    const std::int64_t h = working.height();
    const auto left = static_cast<int>(sampledSourcePixel(minX, sourceWidth, w));
    const auto top = static_cast<int>(sampledSourcePixel(minY, sourceHeight, h));
    const auto right = static_cast<int>(sampledSourcePixel(maxX, sourceWidth, w)) + 1;
    const auto bottom = static_cast<int>(sampledSourcePixel(maxY, sourceHeight, h)) + 1;
    const auto area = static_cast<std::int64_t>(right - left) * static_cast<std::int64_t>(bottom - top);
    const auto needed = static_cast<std::int64_t>(std::ceil(contrastFloor * static_cast<double>(area)));
    std::int64_t found = 0;
    const OpaquePixels pixels(image);
    for (int y = top; y < bottom; ++y) {
        const QRgb *scanLine = pixels.row(y);
        for (int x = left; x < right; ++x) {
            found += distance(pixels.rgbAt(scanLine, x, y)) >= contrastDistanceSquared ? 1 : 0;
        }
        if (found >= needed) {
            return area > 0;
        }
    }
    return false;
}

// Masks of the working image, row-major, index y * w + x.
struct WorkingMasks
{
    std::vector<std::uint8_t> background;
    std::vector<std::uint8_t> contrast;
    // The pixels whose colour lies in the pattern's bin (the pattern is the centre of the
    // eyedropper's colour bin, 32 values wide in every channel): the box's own colour,
    // without the colours near it.
    std::vector<std::uint8_t> ownColour;
};

// Draws the image into the w x h working image with nearest-neighbour sampling (the
// source pixel under the centre of each working pixel) and classifies every pixel.
WorkingMasks classifyPixels(const QImage &image, const PatternDistances &distance, int w, int h)
{
    constexpr std::int64_t binHalfWidthSquared = 16 * 16;
    const std::int64_t sourceWidth = image.width();
    const std::int64_t sourceHeight = image.height();
    const auto &red = distance.red;
    const auto &green = distance.green;
    const auto &blue = distance.blue;

    std::vector<int> sourceColumn(static_cast<std::size_t>(w));
    for (int x = 0; x < w; ++x) {
        sourceColumn[static_cast<std::size_t>(x)] = static_cast<int>(sampledSourcePixel(x, sourceWidth, w));
    }

    WorkingMasks masks;
    const auto count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    masks.background.assign(count, 0);
    masks.contrast.assign(count, 0);
    masks.ownColour.assign(count, 0);
    const OpaquePixels pixels(image);
    for (int y = 0; y < h; ++y) {
        const auto sourceY = static_cast<int>(sampledSourcePixel(y, sourceHeight, h));
        const QRgb *scanLine = pixels.row(sourceY);
        const std::size_t rowStart = static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        for (int x = 0; x < w; ++x) {
            const QRgb rgb = pixels.rgbAt(scanLine, sourceColumn[static_cast<std::size_t>(x)], sourceY);
            const std::int64_t r2 = red[static_cast<std::size_t>(qRed(rgb))];
            const std::int64_t g2 = green[static_cast<std::size_t>(qGreen(rgb))];
            const std::int64_t b2 = blue[static_cast<std::size_t>(qBlue(rgb))];
            const std::int64_t d2 = r2 + g2 + b2;
            const std::size_t index = rowStart + static_cast<std::size_t>(x);
            masks.background[index] = d2 <= backgroundDistanceSquared ? 1 : 0;
            masks.contrast[index] = d2 >= contrastDistanceSquared ? 1 : 0;
            masks.ownColour[index]
                = r2 <= binHalfWidthSquared && g2 <= binHalfWidthSquared && b2 <= binHalfWidthSquared ? 1 : 0;
        }
    }
    return masks;
}

// Closing with a 3 x 3 square. Dilation: set when any in-image pixel of the square is
// set. Erosion: set when all nine pixels lie inside the image and are set, so the outer
// border ring is always unset. Both squares are computed as a row pass and a column pass.
std::vector<std::uint8_t> closed(const std::vector<std::uint8_t> &mask, int w, int h)
{
    const auto index = [w](int x, int y) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
    };
    const std::size_t count = mask.size();

    std::vector<std::uint8_t> rows(count, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool left = x > 0 && mask[index(x - 1, y)];
            const bool right = x + 1 < w && mask[index(x + 1, y)];
            rows[index(x, y)] = (left || mask[index(x, y)] || right) ? 1 : 0;
        }
    }
    std::vector<std::uint8_t> dilated(count, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool above = y > 0 && rows[index(x, y - 1)];
            const bool below = y + 1 < h && rows[index(x, y + 1)];
            dilated[index(x, y)] = (above || rows[index(x, y)] || below) ? 1 : 0;
        }
    }

    std::fill(rows.begin(), rows.end(), 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 1; x + 1 < w; ++x) {
            rows[index(x, y)] = (dilated[index(x - 1, y)] && dilated[index(x, y)] && dilated[index(x + 1, y)]) ? 1 : 0;
        }
    }
    std::vector<std::uint8_t> eroded(count, 0);
    for (int y = 1; y + 1 < h; ++y) {
        for (int x = 1; x + 1 < w; ++x) {
            eroded[index(x, y)] = (rows[index(x, y - 1)] && rows[index(x, y)] && rows[index(x, y + 1)]) ? 1 : 0;
        }
    }
    return eroded;
}

// The bounds of every 8-connected component of the mask, in the order of their seeds
// (row-major scan), each flooded breadth-first. A pixel is cleared in the mask when it is
// queued, which marks it visited; the mask is used up.
std::vector<DialogueSearchBounds> components(std::vector<std::uint8_t> mask, int w, int h)
{
    static constexpr std::array<std::array<int, 2>, 8> neighbours{
        {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}};
    const auto index = [w](int x, int y) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x);
    };
    std::vector<DialogueSearchBounds> found;
    std::vector<std::array<int, 2>> queue;
    queue.reserve(mask.size());
    for (int seedY = 0; seedY < h; ++seedY) {
        for (int seedX = 0; seedX < w; ++seedX) {
            const std::size_t seed = index(seedX, seedY);
            if (!mask[seed]) {
                continue;
            }
            DialogueSearchBounds bounds{seedX, seedY, seedX, seedY};
            queue.clear();
            queue.push_back({seedX, seedY});
            mask[seed] = 0;
            for (std::size_t head = 0; head < queue.size(); ++head) {
                const auto [x, y] = queue[head];
                bounds.minX = std::min<std::int64_t>(bounds.minX, x);
                bounds.maxX = std::max<std::int64_t>(bounds.maxX, x);
                bounds.minY = std::min<std::int64_t>(bounds.minY, y);
                bounds.maxY = std::max<std::int64_t>(bounds.maxY, y);
                for (const auto &[dx, dy] : neighbours) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) {
                        continue;
                    }
                    const std::size_t next = index(nx, ny);
                    if (mask[next]) {
                        mask[next] = 0;
                        queue.push_back({nx, ny});
                    }
                }
            }
            found.push_back(bounds);
        }
    }
    return found;
}

bool isStrictlyBetter(const DialogueSearchCandidate &candidate, const DialogueSearchCandidate &best)
{
    const std::int64_t area = candidate.bounds.area();
    const std::int64_t bestArea = best.bounds.area();
    if (area != bestArea) {
        return area > bestArea;
    }
    if (candidate.backgroundCoverage != best.backgroundCoverage) {
        return candidate.backgroundCoverage > best.backgroundCoverage;
    }
    return candidate.contrastPixelCount > best.contrastPixelCount;
}

// The largest patch of the colour mask, after closing, that is big enough, mostly of the
// mask's colours and carries enough contrast pixels. A patch whose working pixels fall
// short of the contrast floor by less than half counts the image's own pixels instead
// (`sourceHoldsContrast`), where the working image stands for more than one source pixel;
// further off, no sample of text misses that much.
template <typename SourceContrast>
std::optional<DialogueSearchCandidate> bestCandidate(const std::vector<std::uint8_t> &colour,
    const std::vector<std::uint8_t> &contrast, int width, int height, const SourceContrast &sourceHoldsEnough)
{
    const std::int64_t w = width;
    const std::int64_t h = height;
    const auto minimumWidth
        = std::max<std::int64_t>(static_cast<std::int64_t>(std::ceil(0.15 * static_cast<double>(w))), 1);
    const auto minimumHeight
        = std::max<std::int64_t>(static_cast<std::int64_t>(std::ceil(0.05 * static_cast<double>(h))), 1);

    std::optional<DialogueSearchCandidate> best;
    for (const DialogueSearchBounds &bounds : components(closed(colour, width, height), width, height)) {
        if (bounds.width() < minimumWidth || bounds.height() < minimumHeight) {
            continue;
        }
        std::int64_t matches = 0;
        std::int64_t contrastPixels = 0;
        for (std::int64_t y = bounds.minY; y <= bounds.maxY; ++y) {
            const std::size_t rowStart = static_cast<std::size_t>(y * w);
            for (std::int64_t x = bounds.minX; x <= bounds.maxX; ++x) {
                matches += colour[rowStart + static_cast<std::size_t>(x)];
                contrastPixels += contrast[rowStart + static_cast<std::size_t>(x)];
            }
        }
        const auto area = static_cast<double>(bounds.area());
        const DialogueSearchCandidate candidate{bounds, static_cast<double>(matches) / area, contrastPixels};
        if (candidate.backgroundCoverage < 0.3) {
            continue;
        }
        const double contrastRatio = static_cast<double>(contrastPixels) / area;
        if (contrastRatio < contrastFloor
            && (contrastRatio < 0.5 * contrastFloor || (best && !isStrictlyBetter(candidate, *best))
                || !sourceHoldsEnough(bounds))) {
            continue;
        }
        if (!best || isStrictlyBetter(candidate, *best)) {
            best = candidate;
        }
    }
    return best;
}

} // namespace

QSize DialogueSearchRegionDetector::workingSize(QSize imageSize)
{
    const std::int64_t sourceWidth = std::max(imageSize.width(), 1);
    const std::int64_t sourceHeight = std::max(imageSize.height(), 1);
    const std::int64_t w = std::min<std::int64_t>(sourceWidth, maximumWorkingWidth);
    const double scaledHeight
        = std::round(static_cast<double>(sourceHeight) * static_cast<double>(w) / static_cast<double>(sourceWidth));
    const std::int64_t h = std::max<std::int64_t>(static_cast<std::int64_t>(scaledHeight), 1);
    return {static_cast<int>(w), static_cast<int>(h)};
}

std::optional<QRectF> DialogueSearchRegionDetector::detect(
    const QImage &image, const DialogueBackgroundPattern &pattern) const
{
    const std::int64_t sourceWidth = image.width();
    const std::int64_t sourceHeight = image.height();
    if (image.isNull() || sourceWidth < 1 || sourceHeight < 1) {
        return std::nullopt;
    }

    const QSize working = workingSize(image.size());
    const std::int64_t w = working.width();
    const std::int64_t h = working.height();
    const int width = working.width();
    const int height = working.height();

    // A scene within the background distance of the box's colour joins the box into one
    // patch as large as the search region, in which the text is too little to count:
    // where no patch of the colours near the box's qualifies, the patches of the box's own
    // colour are looked at.
    const PatternDistances distance(pattern);
    const bool sampled = w != sourceWidth || h != sourceHeight;
    const auto sourceHoldsEnough = [&](const DialogueSearchBounds &bounds) {
        return sampled
            && sourceHoldsContrast(image, distance, working, bounds.minX, bounds.minY, bounds.maxX, bounds.maxY);
    };
    std::optional<DialogueSearchCandidate> best;
    try {
        const WorkingMasks masks = classifyPixels(image, distance, width, height);
        best = bestCandidate(masks.background, masks.contrast, width, height, sourceHoldsEnough);
        if (!best) {
            best = bestCandidate(masks.ownColour, masks.contrast, width, height, sourceHoldsEnough);
        }
    } catch (const std::bad_alloc &) {
        // No memory for the working image: like a bitmap that cannot be created.
        return std::nullopt;
    }
    if (!best) {
        return std::nullopt;
    }

    const std::int64_t x0 = std::max<std::int64_t>(best->bounds.minX - 2, 0);
    const std::int64_t y0 = std::max<std::int64_t>(best->bounds.minY - 2, 0);
    const std::int64_t x1 = std::min<std::int64_t>(best->bounds.maxX + 3, w);
    const std::int64_t y1 = std::min<std::int64_t>(best->bounds.maxY + 3, h);

    const double sx = static_cast<double>(sourceWidth) / static_cast<double>(w);
    const double sy = static_cast<double>(sourceHeight) / static_cast<double>(h);
    const double left = std::max(std::floor(sx * static_cast<double>(x0)), 0.0);
    const double top = std::max(std::floor(sy * static_cast<double>(y0)), 0.0);
    const double right = std::min(std::ceil(sx * static_cast<double>(x1)), static_cast<double>(sourceWidth));
    const double bottom = std::min(std::ceil(sy * static_cast<double>(y1)), static_cast<double>(sourceHeight));
    if (right <= left || bottom <= top) {
        return std::nullopt;
    }
    return QRectF(left, top, right - left, bottom - top);
}

} // namespace veyra
