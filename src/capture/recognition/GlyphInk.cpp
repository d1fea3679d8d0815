#include "capture/recognition/GlyphInk.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace veyra {

namespace {

// A run of columns with ink, bounds inclusive.
struct Run
{
    int left = 0;
    int right = 0;
};

} // namespace

std::optional<bool> inkIsDarkIn(const QImage &grey)
{
    const int w = grey.width();
    const int h = grey.height();
    qsizetype dark = 0;
    for (int y = 0; y < h; ++y) {
        const uchar *row = grey.constScanLine(y);
        dark += std::count_if(row, row + w, [](uchar value) { return value < 128; });
    }
    if (dark == 0 || dark == static_cast<qsizetype>(w) * h) {
        return std::nullopt;
    }
    return dark * 2 < static_cast<qsizetype>(w) * h;
}

bool isSolidStroke(const QImage &image, const QRect &line, int words, int word)
{
    const QRect area = line.intersected(image.rect());
    if (area.isEmpty() || word < 0 || word >= words) {
        return false;
    }
    const QImage grey = image.copy(area).convertToFormat(QImage::Format_Grayscale8);
    const std::optional<bool> inkIsDark = inkIsDarkIn(grey);
    if (!inkIsDark) {
        return false;
    }
    const int w = grey.width();
    const int h = grey.height();
    // How much ink a pixel holds, 0 to 255.
    const auto inkAt = [&grey, darkInk = *inkIsDark](int x, int y) {
        const uchar value = grey.constScanLine(y)[x];
        return darkInk ? 255 - value : static_cast<int>(value);
    };
    const auto inked = [&inkAt, h](int x) {
        for (int y = 0; y < h; ++y) {
            if (inkAt(x, y) > 127) {
                return true;
            }
        }
        return false;
    };

    // The line's glyphs, and the runs of the word: the line's runs split at the widest
    // gaps into as many groups as the line has words.
    std::vector<Run> runs;
    for (int x = 0; x < w;) {
        if (!inked(x)) {
            ++x;
            continue;
        }
        const int left = x;
        while (x < w && inked(x)) {
            ++x;
        }
        runs.push_back({left, x - 1});
    }
    if (static_cast<int>(runs.size()) < words) {
        return false;
    }
    std::vector<std::size_t> gaps(runs.size() - 1);
    std::iota(gaps.begin(), gaps.end(), std::size_t{0});
    std::stable_sort(gaps.begin(), gaps.end(), [&runs](std::size_t a, std::size_t b) {
        return runs[a + 1].left - runs[a].right > runs[b + 1].left - runs[b].right;
    });
    // Gap i lies after run i; the word's first run follows the word-th of the widest gaps
    // in line order.
    std::vector<std::size_t> cuts(gaps.begin(), gaps.begin() + (words - 1));
    std::sort(cuts.begin(), cuts.end());
    const std::size_t first = word == 0 ? 0 : cuts[static_cast<std::size_t>(word - 1)] + 1;
    const std::size_t last = word == words - 1 ? runs.size() - 1 : cuts[static_cast<std::size_t>(word)];
    if (first != last) {
        return false;
    }

    // How dark the glyph is in each row: its darkest pixel there.
    const Run run = runs[first];
    std::vector<int> darkness(static_cast<std::size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        int &row = darkness[static_cast<std::size_t>(y)];
        for (int x = run.left; x <= run.right; ++x) {
            row = std::max(row, inkAt(x, y));
        }
    }
    const int darkest = *std::max_element(darkness.cbegin(), darkness.cend());
    const auto isInked = [darkest](int value) { return 2 * value >= darkest; };
    const int top = static_cast<int>(std::find_if(darkness.cbegin(), darkness.cend(), isInked) - darkness.cbegin());
    const int bottom
        = h - 1 - static_cast<int>(std::find_if(darkness.crbegin(), darkness.crend(), isInked) - darkness.crbegin());
    const int height = bottom - top + 1;
    // A gap: a row lighter than the darkest rows both within a quarter of the glyph's
    // height above it and within as much below it. Where a dot stands close below a
    // stroke, the smoothing of the scaled image leaves a shade between them that still
    // passes for ink. The stem of a capital I with serifs may be lighter than its serifs
    // where it is thin, but it is longer than half the glyph: each of its rows has rows of
    // the stem alone within that reach on one side.
    const int reach = std::max(1, height / 4);
    for (int y = top + 1; y < bottom; ++y) {
        const auto row = darkness.cbegin() + y;
        const int above = *std::max_element(row - std::min(reach, y - top), row);
        const int below = *std::max_element(row + 1, row + 1 + std::min(reach, bottom - y));
        if (100 * (std::min(above, below) - *row) > 12 * darkest) {
            return false;
        }
    }
    return true;
}

} // namespace veyra
