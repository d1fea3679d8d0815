#include "capture/recognition/DialogueTextIsolation.h"

#include "capture/recognition/OpaquePixels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <tuple>
#include <vector>

namespace veyra {

namespace {

// The height of a line of text (ascenders to descenders) in the image handed to the
// recogniser.
constexpr double lineHeight = 40.0;
// How far the pixels of a box of one solid colour may stray from it (antialiasing),
// short of scenery that comes near its colour.
constexpr double solidTolerance = 28.0;
// White around the text, in pixels of that image.
constexpr int margin = 12;

struct Color
{
    double red = 0;
    double green = 0;
    double blue = 0;
};

double distance(QRgb pixel, const Color &color)
{
    const double dr = qRed(pixel) - color.red;
    const double dg = qGreen(pixel) - color.green;
    const double db = qBlue(pixel) - color.blue;
    return std::sqrt(dr * dr + dg * dg + db * db);
}

// The mean colour of the pixels that fall into the fullest bin of `bits` bits a channel,
// over the pixels `counts` accepts; nothing when it accepts none. `counts` is asked only
// within `within`, of an image `width` pixels wide.
template <typename Accept>
std::optional<Color> dominantColor(std::span<const QRgb> pixels, int width, QRect within, int bits, Accept counts)
{
    const auto forEach = [&](auto visit) {
        for (int y = within.top(); y <= within.bottom(); ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
            for (int x = within.left(); x <= within.right(); ++x) {
                visit(row + static_cast<std::size_t>(x));
            }
        }
    };
    const int shift = 8 - bits;
    const auto binOf = [shift, bits](QRgb pixel) {
        return ((qRed(pixel) >> shift) << (2 * bits)) | ((qGreen(pixel) >> shift) << bits) | (qBlue(pixel) >> shift);
    };
    std::vector<std::uint32_t> histogram(std::size_t{1} << (3 * bits), 0);
    forEach([&](std::size_t i) {
        if (counts(i)) {
            ++histogram[static_cast<std::size_t>(binOf(pixels[i]))];
        }
    });
    const auto fullest = std::max_element(histogram.begin(), histogram.end());
    if (*fullest == 0) {
        return std::nullopt;
    }
    const int bin = static_cast<int>(fullest - histogram.begin());
    Color sum;
    double count = 0;
    forEach([&](std::size_t i) {
        // The bin first: it is cheaper to tell than what `counts` asks.
        if (binOf(pixels[i]) == bin && counts(i)) {
            sum.red += qRed(pixels[i]);
            sum.green += qGreen(pixels[i]);
            sum.blue += qBlue(pixels[i]);
            ++count;
        }
    });
    return Color{sum.red / count, sum.green / count, sum.blue / count};
}

// The longest run of indices whose value reaches `threshold`, as [first, last]; {0, -1}
// when there is none.
std::pair<int, int> longestRun(const std::vector<double> &values, double threshold)
{
    std::pair<int, int> best{0, -1};
    int start = -1;
    for (int i = 0; i <= static_cast<int>(values.size()); ++i) {
        const bool inside = i < static_cast<int>(values.size()) && values[static_cast<std::size_t>(i)] >= threshold;
        if (inside && start < 0) {
            start = i;
        } else if (!inside && start >= 0) {
            if (i - 1 - start > best.second - best.first) {
                best = {start, i - 1};
            }
            start = -1;
        }
    }
    return best;
}

// What each pixel is, as bits of one mask byte.
enum PixelClass : std::uint8_t {
    // Within the detector's own distance of the pattern.
    nearPatternBit = 1,
    // Near the pattern, or near the box's measured colour (the wide reading of the box).
    boxColoredBit = 2,
    // Within the tolerance of a box of one solid colour (the strict reading).
    solidBit = 4,
};

// The squared distance between two pixels' colours.
int squaredDistance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

// The box within an image: what is reachable from the image's edge without crossing
// the box's colour lies outside it; the body is the run of rows that the rest spans
// nearly in full, and the run of columns it spans nearly in full over those rows.
struct BoxArea
{
    std::vector<std::uint8_t> outside;
    int left = 0;
    int top = 0;
    int right = -1; // inclusive
    int bottom = -1; // inclusive

    double size() const
    {
        return right < left || bottom < top ? 0.0 : double(right - left + 1) * double(bottom - top + 1);
    }
};

// `boxColored` is the bit of `classes` that counts as the box's colour.
BoxArea boxArea(const std::vector<std::uint8_t> &classes, std::uint8_t boxColored, int w, int h)
{
    const auto at = [w](int x, int y) { return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + x; };
    BoxArea area;
    area.outside.assign(classes.size(), 0);
    std::vector<std::uint8_t> &outside = area.outside;
    // Filled a run of a row at a time: each run reached marks the runs it touches in the
    // rows above and below (diagonally too) to be filled in turn. Seeds are pixel
    // indices; an image the engine can read has fewer than 2^32 pixels.
    const auto open = [&](std::size_t i) { return outside[i] == 0 && (classes[i] & boxColored) == 0; };
    std::vector<std::uint32_t> seeds;
    for (int x = 0; x < w; ++x) {
        seeds.push_back(static_cast<std::uint32_t>(at(x, 0)));
        seeds.push_back(static_cast<std::uint32_t>(at(x, h - 1)));
    }
    for (int y = 0; y < h; ++y) {
        seeds.push_back(static_cast<std::uint32_t>(at(0, y)));
        seeds.push_back(static_cast<std::uint32_t>(at(w - 1, y)));
    }
    while (!seeds.empty()) {
        const std::uint32_t seed = seeds.back();
        seeds.pop_back();
        if (!open(seed)) {
            continue;
        }
        const int y = static_cast<int>(seed / static_cast<std::uint32_t>(w));
        const int x = static_cast<int>(seed - static_cast<std::uint32_t>(y) * static_cast<std::uint32_t>(w));
        int first = x;
        while (first > 0 && open(at(first - 1, y))) {
            --first;
        }
        int last = x;
        while (last < w - 1 && open(at(last + 1, y))) {
            ++last;
        }
        std::fill_n(outside.begin() + static_cast<std::ptrdiff_t>(at(first, y)), last - first + 1, std::uint8_t{1});
        for (const int row : {y - 1, y + 1}) {
            if (row < 0 || row >= h) {
                continue;
            }
            bool inRun = false;
            for (int column = std::max(first - 1, 0); column <= std::min(last + 1, w - 1); ++column) {
                const bool reached = open(at(column, row));
                if (reached && !inRun) {
                    seeds.push_back(static_cast<std::uint32_t>(at(column, row)));
                }
                inRun = reached;
            }
        }
    }

    std::vector<double> rowCover(static_cast<std::size_t>(h), 0.0);
    for (int y = 0; y < h; ++y) {
        int inside = 0;
        for (int x = 0; x < w; ++x) {
            inside += outside[at(x, y)] == 0 ? 1 : 0;
        }
        rowCover[static_cast<std::size_t>(y)] = inside;
    }
    std::tie(area.top, area.bottom) = longestRun(rowCover, 0.6 * *std::max_element(rowCover.begin(), rowCover.end()));
    if (area.bottom < area.top) {
        return area;
    }
    std::vector<double> columnCover(static_cast<std::size_t>(w), 0.0);
    for (int y = area.top; y <= area.bottom; ++y) {
        for (int x = 0; x < w; ++x) {
            columnCover[static_cast<std::size_t>(x)] += outside[at(x, y)] == 0 ? 1 : 0;
        }
    }
    std::tie(area.left, area.right)
        = longestRun(columnCover, 0.6 * *std::max_element(columnCover.begin(), columnCover.end()));
    return area;
}

// A box is a rectangle: along each of its sides the scene's colours give way to the box's
// over nearly the whole side, even where the scene comes near the box's colour and the
// colour alone joins the two. Where such edges are found, they bound the body; a side
// without one (the search region cuts the box, or the box lets the scene through) keeps
// the body found by colour.
// The sides are looked for on either side of `inside`, a point within the box: the top side
// above it, the bottom side below it, and so on.
// `distances` holds each pixel's distance from the box's colour, `classes` its
// PixelClass bits.
void boundByEdges(BoxArea &area, QPoint inside, std::span<const QRgb> pixels, const std::vector<double> &distances,
    const std::vector<std::uint8_t> &classes, int w, int h)
{
    if (area.size() == 0 || w < 8 || h < 8) {
        return;
    }
    const auto at = [w](int x, int y) { return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + x; };
    // The box's colour at `inner`, and a clear step away from it at `outer`, two pixels
    // further out (an antialiased edge blends one row).
    const auto edgeBetween = [&](std::size_t inner, std::size_t outer) {
        // A translucent box takes on the scene's colours: its side is where the detector's
        // colour rule ends.
        if ((classes[inner] & nearPatternBit) != 0 && (classes[outer] & nearPatternBit) == 0) {
            return true;
        }
        // Otherwise only a pixel of the box's own solid colour lies on its side: a step
        // between other colours (the scene's, or a name tag's across the box's edge) would
        // pass for a side and take them into the body.
        if ((classes[inner] & solidBit) == 0) {
            return false;
        }
        const double in = distances[inner];
        // A step of at least 10 away from the box's colour, and of at least 12 from the
        // inner pixel's own colour.
        return distances[outer] >= in + 10.0 && squaredDistance(pixels[outer], pixels[inner]) >= 12 * 12;
    };
    // The outermost line on each side whose edge is nearly as long as the longest edge of
    // that orientation, and long for the image.
    const auto outermost = [](const std::vector<int> &runs, int from, int to, int step, double least) {
        int longest = 0;
        for (int run : runs) {
            longest = std::max(longest, run);
        }
        for (int i = from; i != to; i += step) {
            const int run = runs[static_cast<std::size_t>(i)];
            if (run >= least && run >= 0.8 * longest) {
                return i;
            }
        }
        return -1;
    };

    std::vector<int> topRuns(static_cast<std::size_t>(h), 0);
    std::vector<int> bottomRuns(static_cast<std::size_t>(h), 0);
    // The longest run of edge pixels along each row, and along each column (below).
    for (int y = 2; y < h - 2; ++y) {
        int topRun = 0;
        int bottomRun = 0;
        int &topBest = topRuns[static_cast<std::size_t>(y)];
        int &bottomBest = bottomRuns[static_cast<std::size_t>(y)];
        for (int x = 0; x < w; ++x) {
            topRun = edgeBetween(at(x, y), at(x, y - 2)) ? topRun + 1 : 0;
            topBest = std::max(topBest, topRun);
            bottomRun = edgeBetween(at(x, y), at(x, y + 2)) ? bottomRun + 1 : 0;
            bottomBest = std::max(bottomBest, bottomRun);
        }
    }
    const int top = outermost(topRuns, 2, std::max(inside.y(), 2), 1, 0.3 * w);
    const int bottom = outermost(bottomRuns, h - 3, std::min(inside.y(), h - 3), -1, 0.3 * w);
    if (top >= 0 && top < area.bottom) {
        area.top = top;
    }
    if (bottom >= 0 && bottom > area.top) {
        area.bottom = bottom;
    }
    const int rows = area.bottom - area.top + 1;
    // The columns' runs, row by row (the image's own order), each column's current run
    // carried from row to row.
    std::vector<int> leftRuns(static_cast<std::size_t>(w), 0);
    std::vector<int> rightRuns(static_cast<std::size_t>(w), 0);
    std::vector<int> leftRun(static_cast<std::size_t>(w), 0);
    std::vector<int> rightRun(static_cast<std::size_t>(w), 0);
    for (int y = area.top; y <= area.bottom; ++y) {
        for (int x = 2; x < w - 2; ++x) {
            const auto column = static_cast<std::size_t>(x);
            leftRun[column] = edgeBetween(at(x, y), at(x - 2, y)) ? leftRun[column] + 1 : 0;
            leftRuns[column] = std::max(leftRuns[column], leftRun[column]);
            rightRun[column] = edgeBetween(at(x, y), at(x + 2, y)) ? rightRun[column] + 1 : 0;
            rightRuns[column] = std::max(rightRuns[column], rightRun[column]);
        }
    }
    const int left = outermost(leftRuns, 2, std::max(inside.x(), 2), 1, 0.5 * rows);
    const int right = outermost(rightRuns, w - 3, std::min(inside.x(), w - 3), -1, 0.5 * rows);
    if (left >= 0 && left < area.right) {
        area.left = left;
    }
    if (right >= 0 && right > area.left) {
        area.right = right;
    }
}

struct Component
{
    int left = 0;
    int top = 0;
    int right = 0; // inclusive
    int bottom = 0; // inclusive
    int pixels = 0;
    // The largest distance of one of its pixels from its outline: half its thickest stroke.
    int depth = 0;
    bool kept = true;

    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0.0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

IsolatedDialogueText isolateDialogueText(const QImage &box, const DialogueBackgroundPattern &pattern)
{
    if (box.isNull() || box.width() < 1 || box.height() < 1) {
        return {};
    }
    const int w = box.width();
    const int h = box.height();
    const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    const auto at = [w](int x, int y) { return static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + x; };

    // The pixels as opaque colours, row after row: the box's own memory where it has that
    // layout already (a box copied out of a frame), a converted copy otherwise.
    std::vector<QRgb> converted;
    std::span<const QRgb> pixels;
    const QImage::Format format = box.format();
    if ((format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied)
        && box.bytesPerLine() == static_cast<qsizetype>(w) * static_cast<qsizetype>(sizeof(QRgb))) {
        pixels = std::span<const QRgb>(reinterpret_cast<const QRgb *>(box.constBits()), count);
    } else {
        converted.resize(count);
        const OpaquePixels opaque(box);
        for (int y = 0; y < h; ++y) {
            const QRgb *row = opaque.row(y);
            for (int x = 0; x < w; ++x) {
                converted[at(x, y)] = opaque.rgbAt(row, x, y);
            }
        }
        pixels = converted;
    }

    // The box's colour as it is in this image: the pattern is only the centre of the
    // eyedropper's colour bin. Pixels within 64 of the pattern's colour: whole numbers
    // both, so compared squared (a channel far out of range stays as far out of reach
    // when brought nearer).
    const auto channel
        = [](std::int64_t value) { return static_cast<int>(std::clamp<std::int64_t>(value, -512, 767)); };
    const int patternRed = channel(pattern.red);
    const int patternGreen = channel(pattern.green);
    const int patternBlue = channel(pattern.blue);
    std::vector<std::uint8_t> classes(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const int dr = qRed(pixels[i]) - patternRed;
        const int dg = qGreen(pixels[i]) - patternGreen;
        const int db = qBlue(pixels[i]) - patternBlue;
        classes[i] = dr * dr + dg * dg + db * db <= 64 * 64 ? nearPatternBit : 0;
    }
    const auto nearPattern = [&](std::size_t i) { return (classes[i] & nearPatternBit) != 0; };
    // The eyedropper took the box's colour at one spot, so the box has it within that
    // colour bin (32 levels a channel); the scene may fill more of the image within the
    // detector's wider distance.
    const auto inPatternBin = [&](std::size_t i) {
        return std::abs(qRed(pixels[i]) - patternRed) <= 20 && std::abs(qGreen(pixels[i]) - patternGreen) <= 20
            && std::abs(qBlue(pixels[i]) - patternBlue) <= 20;
    };
    std::optional<Color> boxColor = dominantColor(pixels, w, QRect(0, 0, w, h), 5, inPatternBin);
    if (!boxColor) {
        boxColor = dominantColor(pixels, w, QRect(0, 0, w, h), 5, nearPattern);
    }
    if (!boxColor) {
        return {};
    }
    std::vector<double> distances(count);
    for (std::size_t i = 0; i < count; ++i) {
        distances[i] = distance(pixels[i], *boxColor);
        // The detector's own rule, widened a little around the measured colour: a
        // translucent box lets the scene through, and stays within it.
        if (nearPattern(i) || distances[i] <= 40.0) {
            classes[i] |= boxColoredBit;
        }
        if (distances[i] <= solidTolerance) {
            classes[i] |= solidBit;
        }
    }

    // A box of one solid colour is told from the scene most surely by that colour alone;
    // a translucent box lets the scene through, and is only within the detector's wider
    // rule. The strict reading stands unless it finds much less of a box than the wide one.
    // Where the wide reading stands, the box's top and bottom sides are looked for above
    // and below the middle of the rows of the box's own solid colour, wherever the strict
    // reading finds some: the wide one also takes in scenery that comes near the box's
    // colour, above and below a box that stands on it (all of the search region, whose
    // middle may then lie below the box's top). Its left and right sides are looked for
    // on either side of the middle of the wide reading: a box is wide, and the solid
    // colour of a translucent one may be only where a dark shape of the scene lies behind
    // it, at one end.
    BoxArea area = boxArea(classes, solidBit, w, h);
    QPoint inside((area.left + area.right) / 2, (area.top + area.bottom) / 2);
    {
        BoxArea wide = boxArea(classes, boxColoredBit, w, h);
        if (area.size() < 0.85 * wide.size()) {
            inside = QPoint((wide.left + wide.right) / 2,
                area.size() == 0 ? (wide.top + wide.bottom) / 2 : (area.top + area.bottom) / 2);
            area = std::move(wide);
        }
    }
    boundByEdges(area, inside, pixels, distances, classes, w, h);
    // Each full-size buffer goes as soon as it is done with: two boxes are isolated at
    // once, and a 4K game's box takes megabytes for each byte a pixel.
    std::vector<std::uint8_t>().swap(classes);
    if (area.size() == 0) {
        return {};
    }
    const int left = area.left;
    const int top = area.top;
    const int right = area.right;
    const int bottom = area.bottom;
    const std::vector<std::uint8_t> &outside = area.outside;
    std::vector<std::uint32_t> queue;
    const auto inBody
        = [&](int x, int y) { return x >= left && x <= right && y >= top && y <= bottom && outside[at(x, y)] == 0; };
    // Marks lie within the body, so what only they count is looked for there.
    const QRect body(QPoint(left, top), QPoint(right, bottom));

    // The text's colour: the commonest colour among what differs strongly from the box.
    constexpr double strong = 96.0;
    const std::optional<Color> textColor = dominantColor(pixels, w, body, 4, [&](std::size_t i) {
        return distances[i] >= strong
            && inBody(
                static_cast<int>(i % static_cast<std::size_t>(w)), static_cast<int>(i / static_cast<std::size_t>(w)));
    });
    if (!textColor) {
        return {};
    }
    const double contrast = std::max(std::hypot(textColor->red - boxColor->red, textColor->green - boxColor->green,
                                         textColor->blue - boxColor->blue),
        strong);

    // Text pixels, and their connected marks.
    std::vector<std::uint8_t> ink(count, 0);
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const std::size_t i = at(x, y);
            ink[i] = inBody(x, y) && distances[i] >= 0.5 * contrast ? 1 : 0;
        }
    }
    // Chamfer distance of every ink pixel to the nearest non-ink pixel (3 per step),
    // saturated far beyond any stroke.
    constexpr int deepest = std::numeric_limits<std::uint16_t>::max();
    std::vector<std::uint16_t> depth(count, 0);
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const std::size_t i = at(x, y);
            if (ink[i] == 0) {
                continue;
            }
            int d = deepest;
            d = std::min(d, x > left ? depth[i - 1] + 3 : 3);
            d = std::min(d, y > top ? depth[i - static_cast<std::size_t>(w)] + 3 : 3);
            depth[i] = static_cast<std::uint16_t>(d);
        }
    }
    for (int y = bottom; y >= top; --y) {
        for (int x = right; x >= left; --x) {
            const std::size_t i = at(x, y);
            if (ink[i] == 0) {
                continue;
            }
            int d = depth[i];
            d = std::min(d, x < right ? depth[i + 1] + 3 : 3);
            d = std::min(d, y < bottom ? depth[i + static_cast<std::size_t>(w)] + 3 : 3);
            depth[i] = static_cast<std::uint16_t>(std::min(d, deepest));
        }
    }

    std::vector<int> label(count, -1);
    std::vector<Component> components;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            if (ink[at(x, y)] == 0 || label[at(x, y)] >= 0) {
                continue;
            }
            const int id = static_cast<int>(components.size());
            Component component{x, y, x, y, 0, 0, true};
            queue.clear();
            queue.push_back(static_cast<std::uint32_t>(at(x, y)));
            label[at(x, y)] = id;
            for (std::size_t next = 0; next < queue.size(); ++next) {
                const int cx = static_cast<int>(queue[next] % static_cast<std::size_t>(w));
                const int cy = static_cast<int>(queue[next] / static_cast<std::size_t>(w));
                component.left = std::min(component.left, cx);
                component.right = std::max(component.right, cx);
                component.top = std::min(component.top, cy);
                component.bottom = std::max(component.bottom, cy);
                component.depth = std::max(component.depth, static_cast<int>(depth[queue[next]]));
                ++component.pixels;
                for (int dy = -1; dy <= 1; ++dy) {
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = cx + dx;
                        const int ny = cy + dy;
                        if (nx < left || ny < top || nx > right || ny > bottom) {
                            continue;
                        }
                        const std::size_t ni = at(nx, ny);
                        if (ink[ni] != 0 && label[ni] < 0) {
                            label[ni] = id;
                            queue.push_back(static_cast<std::uint32_t>(ni));
                        }
                    }
                }
            }
            components.push_back(component);
        }
    }
    std::vector<std::uint16_t>().swap(depth);
    std::vector<std::uint32_t>().swap(queue);

    // Marks on the body's edge belong to the frame of the box, not to its text; marks
    // wider than half the box or nearly as tall are border lines, and so are thin marks
    // taller than half of it (the side of an inset border of a line or two, which a
    // window drawn at another scale leaves apart from its top and bottom where its
    // corners round off).
    const int bodyWidth = right - left + 1;
    const int bodyHeight = bottom - top + 1;
    for (Component &component : components) {
        if (component.left <= left || component.right >= right || component.top <= top || component.bottom >= bottom
            || component.width() > bodyWidth / 2 || component.height() > bodyHeight * 4 / 5
            || (component.height() > bodyHeight / 2 && component.width() * 8 <= component.height())) {
            component.kept = false;
        }
    }

    // Lines: the runs of rows that kept marks cover, with their marks.
    struct Band
    {
        int top = 0;
        int bottom = 0;
        std::vector<int> members;
        int height() const { return bottom - top + 1; }
    };
    std::vector<Band> bands;
    double textHeight = 0;
    double strokeDepth = 0;
    const auto findLines = [&] {
        std::vector<int> rowMarks(static_cast<std::size_t>(h), 0);
        for (const Component &component : components) {
            if (component.kept) {
                for (int y = component.top; y <= component.bottom; ++y) {
                    ++rowMarks[static_cast<std::size_t>(y)];
                }
            }
        }
        bands.clear();
        for (int y = top; y <= bottom; ++y) {
            if (rowMarks[static_cast<std::size_t>(y)] == 0) {
                continue;
            }
            if (bands.empty() || bands.back().bottom != y - 1) {
                bands.push_back({y, y, {}});
            } else {
                bands.back().bottom = y;
            }
        }
        for (int id = 0; id < static_cast<int>(components.size()); ++id) {
            const Component &component = components[static_cast<std::size_t>(id)];
            if (!component.kept) {
                continue;
            }
            for (Band &band : bands) {
                if (component.top >= band.top && component.bottom <= band.bottom) {
                    band.members.push_back(id);
                    break;
                }
            }
        }
        // Lines of text: several marks side by side, long for the line's height (a broken
        // border line is one long, thin mark), holding at least a quarter as many marks
        // as the fullest line (where a border that drawing at another scale broke into
        // specks gives a band of a few).
        std::vector<const Band *> textBands;
        std::size_t fullest = 0;
        for (Band &band : bands) {
            std::sort(band.members.begin(), band.members.end(),
                [&](int a, int b) { return components[std::size_t(a)].left < components[std::size_t(b)].left; });
            const int extent = components[std::size_t(band.members.back())].right
                - components[std::size_t(band.members.front())].left + 1;
            if (extent >= 3 * band.height() && band.members.size() >= 3 && band.height() >= 4) {
                textBands.push_back(&band);
                fullest = std::max(fullest, band.members.size());
            }
        }
        std::vector<double> textBandHeights;
        std::vector<double> strokeDepths;
        for (const Band *band : textBands) {
            if (band->members.size() * 4 < fullest) {
                continue;
            }
            textBandHeights.push_back(band->height());
            for (int id : band->members) {
                strokeDepths.push_back(components[std::size_t(id)].depth);
            }
        }
        textHeight = median(textBandHeights);
        if (textHeight <= 0) {
            for (const Band &band : bands) {
                textHeight = std::max(textHeight, static_cast<double>(band.height()));
            }
        }
        strokeDepth = std::max(median(strokeDepths), 3.0);
    };
    findLines();
    if (bands.empty()) {
        return {};
    }
    // Marks taller than a line of text, thin marks far wider than any character (a piece of
    // a border line that a name tag or drawing at another scale broke up), and big solid
    // blobs far thicker than the text's strokes (a name tag's plate, a shape of the
    // scene), are no text. A solid mark of a character's size with the line's marks close
    // on either side is a character, drawn too small for its strokes to part (a Hangul
    // syllable of three rows, such as 를, in text 10 pixels high).
    const auto withinLine = [&](const Component &component) {
        if (component.width() > 1.2 * textHeight || component.height() > 1.2 * textHeight) {
            return false;
        }
        bool before = false;
        bool after = false;
        for (const Component &other : components) {
            if (!other.kept || &other == &component || other.bottom < component.top || other.top > component.bottom) {
                continue;
            }
            before = before || (other.right < component.left && component.left - other.right <= textHeight);
            after = after || (other.left > component.right && other.left - component.right <= textHeight);
        }
        return before && after;
    };
    bool dropped = false;
    for (Component &component : components) {
        if (!component.kept) {
            continue;
        }
        const bool tall = component.height() > 1.5 * textHeight;
        const bool rule = component.width() > 2.5 * textHeight && component.height() * 8 <= component.width();
        const bool blob = component.depth > 3.5 * strokeDepth && component.width() > 0.5 * textHeight
            && component.height() > 0.5 * textHeight && !withinLine(component);
        if (tall || rule || blob) {
            component.kept = false;
            dropped = true;
        }
    }
    // Specks: marks at most a fifth of a line high and wide with no larger mark within a
    // line's height (what is left of a border line that drawing at another scale broke
    // up, a grain of the scene seen through the box). A full stop, a comma or the dot of
    // a letter stands beside its letters.
    const double speckSize = 0.2 * textHeight;
    const auto isSpeck = [speckSize](const Component &component) {
        return component.width() <= speckSize && component.height() <= speckSize;
    };
    std::vector<int> specks;
    std::vector<int> larger;
    for (int id = 0; id < static_cast<int>(components.size()); ++id) {
        const Component &component = components[std::size_t(id)];
        if (component.kept) {
            (isSpeck(component) ? specks : larger).push_back(id);
        }
    }
    for (int id : specks) {
        const Component &component = components[std::size_t(id)];
        const bool apart = std::none_of(larger.begin(), larger.end(), [&](int otherID) {
            const Component &other = components[std::size_t(otherID)];
            const int dx = std::max({other.left - component.right, component.left - other.right, 0});
            const int dy = std::max({other.top - component.bottom, component.top - other.bottom, 0});
            return dx <= textHeight && dy <= textHeight;
        });
        if (apart) {
            components[std::size_t(id)].kept = false;
            dropped = true;
        }
    }
    if (dropped) {
        findLines();
        if (bands.empty()) {
            return {};
        }
    }

    // The continue marker: a small mark alone on its line, or standing apart at the end
    // of a line, or a solid blob (far thicker than the strokes of the text) there.
    for (const Band &band : bands) {
        // Groups of marks no further apart than a line's height: words, or runs of CJK.
        std::vector<std::vector<int>> groups;
        int groupRight = 0;
        for (int id : band.members) {
            const Component &component = components[std::size_t(id)];
            if (groups.empty() || component.left - groupRight > textHeight) {
                groups.push_back({id});
            } else {
                groups.back().push_back(id);
            }
            groupRight = groups.back().size() == 1 ? component.right : std::max(groupRight, component.right);
        }
        const std::vector<int> &last = groups.back();
        int lastLeft = w;
        int lastRight = 0;
        int lastTop = h;
        int lastBottom = 0;
        int lastDepth = 0;
        for (int id : last) {
            const Component &component = components[std::size_t(id)];
            lastLeft = std::min(lastLeft, component.left);
            lastRight = std::max(lastRight, component.right);
            lastTop = std::min(lastTop, component.top);
            lastBottom = std::max(lastBottom, component.bottom);
            lastDepth = std::max(lastDepth, component.depth);
        }
        const int lastWidth = lastRight - lastLeft + 1;
        const int lastHeight = lastBottom - lastTop + 1;
        const bool small = lastWidth <= 1.5 * textHeight && lastHeight <= 1.1 * textHeight;
        const bool alone = groups.size() == 1
            ? bands.size() > 1 && band.height() < 0.8 * textHeight && lastWidth <= 1.5 * textHeight
            : true;
        const bool solid = last.size() <= 2 && lastDepth > 2.2 * strokeDepth;
        if (small && (alone || solid)) {
            for (int id : last) {
                components[std::size_t(id)].kept = false;
            }
        }
    }

    // A band that is no line of text (a single mark, or marks no wider than they are
    // tall: pieces of a border's rounded corner, a leaf of the scene) is dropped when the
    // box holds text lines besides it.
    const auto isTextLine = [&](const Band &band) {
        int count = 0;
        int lineLeft = w;
        int lineRight = -1;
        for (int id : band.members) {
            const Component &component = components[std::size_t(id)];
            if (component.kept) {
                ++count;
                lineLeft = std::min(lineLeft, component.left);
                lineRight = std::max(lineRight, component.right);
            }
        }
        return count >= 2 && lineRight - lineLeft + 1 >= 2 * band.height();
    };
    if (std::any_of(bands.begin(), bands.end(), isTextLine)) {
        for (const Band &band : bands) {
            if (!isTextLine(band)) {
                for (int id : band.members) {
                    components[std::size_t(id)].kept = false;
                }
            }
        }
    }

    // The lines that keep marks.
    const auto lines = static_cast<int>(std::count_if(bands.begin(), bands.end(), [&](const Band &band) {
        return std::any_of(
            band.members.begin(), band.members.end(), [&](int id) { return components[std::size_t(id)].kept; });
    }));

    // What remains, as dark text on white: the marks with a fringe of two pixels for
    // their antialiasing, shaded by how far they differ from the box's colour.
    int inkLeft = w;
    int inkTop = h;
    int inkRight = -1;
    int inkBottom = -1;
    for (const Component &component : components) {
        if (component.kept) {
            inkLeft = std::min(inkLeft, component.left);
            inkTop = std::min(inkTop, component.top);
            inkRight = std::max(inkRight, component.right);
            inkBottom = std::max(inkBottom, component.bottom);
        }
    }
    if (inkRight < inkLeft) {
        return {};
    }
    constexpr int fringe = 2;
    const int outLeft = std::max(inkLeft - fringe, 0);
    const int outTop = std::max(inkTop - fringe, 0);
    const int outRight = std::min(inkRight + fringe, w - 1);
    const int outBottom = std::min(inkBottom + fringe, h - 1);
    const int outWidth = outRight - outLeft + 1;
    const int outHeight = outBottom - outTop + 1;
    // The kept marks grown by the fringe: first along rows (in the ink mask's memory,
    // which is done with), then along columns.
    std::vector<std::uint8_t> &grown = ink;
    std::fill(grown.begin(), grown.end(), std::uint8_t{0});
    for (int y = outTop; y <= outBottom; ++y) {
        int lastKept = -fringe - 1;
        for (int x = std::max(outLeft - fringe, 0); x <= std::min(outRight + fringe, w - 1); ++x) {
            const int id = label[at(x, y)];
            if (id >= 0 && components[std::size_t(id)].kept) {
                for (int back = std::max(lastKept + 1, x - fringe); back <= x; ++back) {
                    grown[at(back, y)] = 1;
                }
                lastKept = x;
            } else if (x - lastKept <= fringe) {
                grown[at(x, y)] = 1;
            }
        }
    }
    const auto near = [&](int x, int y) {
        for (int ny = std::max(y - fringe, 0); ny <= std::min(y + fringe, h - 1); ++ny) {
            if (grown[at(x, ny)] != 0) {
                return true;
            }
        }
        return false;
    };
    QImage text(outWidth, outHeight, QImage::Format_Grayscale8);
    text.fill(255);
    const double low = 0.15 * contrast;
    const double high = 0.6 * contrast;
    for (int y = outTop; y <= outBottom; ++y) {
        uchar *line = text.scanLine(y - outTop);
        for (int x = outLeft; x <= outRight; ++x) {
            if (!inBody(x, y) || !near(x, y)) {
                continue;
            }
            const double shade = std::clamp((distances[at(x, y)] - low) / (high - low), 0.0, 1.0);
            line[x - outLeft] = static_cast<uchar>(std::lround(255.0 * (1.0 - shade)));
        }
    }

    const double scale = std::clamp(lineHeight / textHeight, 0.5, 4.0);
    QImage scaled = std::abs(scale - 1.0) < 0.05
        ? text
        : text.scaled(std::max(1, static_cast<int>(std::lround(outWidth * scale))),
            std::max(1, static_cast<int>(std::lround(outHeight * scale))), Qt::IgnoreAspectRatio,
            Qt::SmoothTransformation);
    QImage framed(scaled.width() + 2 * margin, scaled.height() + 2 * margin, QImage::Format_Grayscale8);
    framed.fill(255);
    for (int y = 0; y < scaled.height(); ++y) {
        std::copy_n(scaled.constScanLine(y), scaled.width(), framed.scanLine(y + margin) + margin);
    }
    return {framed, lines};
}

QImage isolatingDialogueText(const QImage &box, const DialogueBackgroundPattern &pattern)
{
    return isolateDialogueText(box, pattern).image;
}

} // namespace veyra
