// Test label: unit
#include "capture/recognition/DialogueSearchRegionDetector.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace veyra;

QT_BEGIN_NAMESPACE
void PrintTo(const QRectF &rect, std::ostream *out)
{
    *out << "QRectF(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height() << ")";
}
QT_END_NAMESPACE

namespace {

const DialogueBackgroundPattern pattern{40, 60, 140};
const QColor patternColour(40, 60, 140);
const QColor darkText(10, 10, 10); // far from the pattern: a contrast pixel
const QColor backdrop(0, 0, 0); // neither background nor, inside no box, counted

QImage frame(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(backdrop);
    return image;
}

void fill(QImage &image, const QRect &rect, const QColor &colour)
{
    QPainter painter(&image);
    painter.fillRect(rect, colour);
}

// Single dark pixels on a grid inside `rect`: the closing fills them in the mask, but
// they count as contrast. Returns how many were set.
int sprinkle(QImage &image, const QRect &rect, int step, const QColor &colour = darkText, int limit = 1 << 30)
{
    int count = 0;
    for (int y = rect.top() + 1; y < rect.bottom() && count < limit; y += step) {
        for (int x = rect.left() + 1; x < rect.right() && count < limit; x += step) {
            image.setPixelColor(x, y, colour);
            ++count;
        }
    }
    return count;
}

// A box of the pattern colour with text-like dark dots on about 4 % of it.
void dialogueBox(QImage &image, const QRect &rect)
{
    fill(image, rect, patternColour);
    sprinkle(image, rect, 5);
}

std::optional<QRectF> detect(const QImage &image, const DialogueBackgroundPattern &colour = pattern)
{
    return DialogueSearchRegionDetector().detect(image, colour);
}

} // namespace

TEST(DialogueSearchRegionDetector, EmptyOrUniformImagesHaveNoBox)
{
    EXPECT_EQ(detect(QImage()), std::nullopt);
    EXPECT_EQ(detect(QImage(0, 0, QImage::Format_RGB32)), std::nullopt);

    QImage uniform = frame(200, 100);
    uniform.fill(patternColour);
    EXPECT_EQ(detect(uniform), std::nullopt) << "coverage 1.0 but no contrast";

    QImage tiny = frame(1, 1);
    tiny.fill(patternColour);
    EXPECT_EQ(detect(tiny), std::nullopt);
}

TEST(DialogueSearchRegionDetector, FindsTheBoxWithTwoPixelsOfMargin)
{
    // No scaling below 320 pixels: the 160 x 60 box comes back 2 pixels larger each side.
    QImage image = frame(200, 100);
    fill(image, QRect(20, 20, 160, 60), patternColour);
    // Dark "letters" of 3 x 6 pixels: real holes in the mask, not just single pixels.
    for (int x = 30; x < 170; x += 8) {
        fill(image, QRect(x, 40, 3, 6), darkText);
    }
    EXPECT_EQ(detect(image), QRectF(18, 18, 164, 64));

    // The same frame in other pixel formats.
    EXPECT_EQ(detect(image.convertToFormat(QImage::Format_RGB888)), QRectF(18, 18, 164, 64));
    EXPECT_EQ(detect(image.convertToFormat(QImage::Format_ARGB32)), QRectF(18, 18, 164, 64));
    EXPECT_EQ(detect(image.convertToFormat(QImage::Format_RGBA64)), QRectF(18, 18, 164, 64));

    // Transparent pixels are read as drawn onto black: a fully transparent pattern
    // colour is no background.
    QImage transparent = image.convertToFormat(QImage::Format_ARGB32);
    transparent.fill(QColor(40, 60, 140, 0));
    EXPECT_EQ(detect(transparent), std::nullopt);
}

TEST(DialogueSearchRegionDetector, BoxesAtTheEdgeComeBackToTheEdge)
{
    QImage topLeft = frame(200, 100);
    dialogueBox(topLeft, QRect(0, 0, 160, 60));
    EXPECT_EQ(detect(topLeft), QRectF(0, 0, 162, 62));

    QImage bottomRight = frame(200, 100);
    dialogueBox(bottomRight, QRect(40, 40, 160, 60));
    EXPECT_EQ(detect(bottomRight), QRectF(38, 38, 162, 62));
}

TEST(DialogueSearchRegionDetector, ScalesBackFromAWorkingWidthOf320)
{
    // 640 x 100 is worked at 320 x 50; every edge comes back even.
    QImage even = frame(640, 100);
    fill(even, QRect(100, 20, 400, 60), patternColour);
    for (int x = 110; x < 490; x += 16) {
        fill(even, QRect(x, 40, 8, 8), darkText);
    }
    EXPECT_EQ(detect(even), QRectF(96, 16, 408, 68));

    // 1000 x 150 is worked at 320 x 48 (factor 3.125): the box at x 250...749, y 30...121
    // covers working pixels 80...239 and 10...38; padded to [78, 242) x [8, 41) and scaled
    // back with left and top rounded down, right and bottom up.
    QImage fractional = frame(1000, 150);
    fill(fractional, QRect(250, 30, 500, 92), patternColour);
    for (int x = 260; x < 740; x += 20) {
        fill(fractional, QRect(x, 60, 10, 10), darkText);
    }
    EXPECT_EQ(detect(fractional), QRectF(243, 25, 514, 104));

    // A search crop of a 3840 x 2160 frame: the working image is still 320 pixels wide.
    QImage large = frame(3840, 2160);
    fill(large, QRect(480, 1560, 2880, 480), patternColour);
    for (int x = 600; x < 3200; x += 96) {
        fill(large, QRect(x, 1700, 48, 64), darkText);
    }
    const auto box = detect(large);
    ASSERT_TRUE(box.has_value());
    // One working pixel is 12 source pixels; the margin is 2 working pixels.
    EXPECT_EQ(*box, QRectF(456, 1536, 2928, 528));
}

TEST(DialogueSearchRegionDetector, SmallOrSparsePatchesAreNeverReturned)
{
    // In 200 x 100 the minimum box is ceil(0.15 x 200) = 30 by ceil(0.05 x 100) = 5.
    const auto patch = [](const QRect &rect) {
        QImage image = frame(200, 100);
        fill(image, rect, patternColour);
        sprinkle(image, rect, 3);
        return detect(image);
    };
    EXPECT_EQ(patch(QRect(50, 20, 29, 40)), std::nullopt);
    EXPECT_EQ(patch(QRect(50, 20, 30, 40)), QRectF(48, 18, 34, 44));
    EXPECT_EQ(patch(QRect(50, 20, 100, 4)), std::nullopt);
    EXPECT_EQ(patch(QRect(50, 20, 100, 5)), QRectF(48, 18, 104, 9));

    // A thin diagonal band: its bounding box is mostly not background.
    QImage band = frame(200, 100);
    {
        QPainter painter(&band);
        painter.setPen(QPen(patternColour, 6));
        painter.drawLine(10, 10, 190, 90);
    }
    EXPECT_EQ(detect(band), std::nullopt);

    // Too few contrast pixels: 95 of 9600 (below 1 %) is dropped, 96 is kept.
    for (const int dots : {95, 96}) {
        QImage image = frame(200, 100);
        const QRect rect(20, 20, 160, 60);
        fill(image, rect, patternColour);
        ASSERT_EQ(sprinkle(image, rect, 4, darkText, dots), dots);
        EXPECT_EQ(detect(image).has_value(), dots == 96) << dots;
    }
}

TEST(DialogueSearchRegionDetector, ThinStrokesTheWorkingImageSkipsCountInTheCropsOwnPixels)
{
    // 1600 x 200 works at 320 x 40, sampling source columns and rows 2, 7, 12, ...: the
    // box of 1400 x 100 holds 40 sampled dots (0.71 % of its working pixels) and, where
    // `strokes`, 100 strokes of one by twenty pixels on columns that are never sampled.
    for (const bool strokes : {false, true}) {
        QImage image = frame(1600, 200);
        const QRect rect(100, 50, 1400, 100);
        fill(image, rect, patternColour);
        for (int dot = 0; dot < 40; ++dot) {
            image.setPixelColor(112 + 25 * dot, 62 + 10 * (dot % 8), darkText);
        }
        for (int stroke = 0; strokes && stroke < 100; ++stroke) {
            fill(image, QRect(110 + 10 * stroke, 60 + 10 * (stroke % 7), 1, 20), darkText);
        }
        // The 2,040 contrast pixels of the crop are 1.46 % of the box; the dots alone 0.03 %.
        EXPECT_EQ(detect(image), strokes ? std::optional<QRectF>(QRectF(90, 40, 1420, 120)) : std::nullopt) << strokes;
    }
}

TEST(DialogueSearchRegionDetector, EqualAreasAreDecidedByCoverageThenContrastThenSeedOrder)
{
    const QRect left(10, 20, 80, 60);
    const QRect right(110, 20, 80, 60);
    const QRectF leftResult(8, 18, 84, 64);
    const QRectF rightResult(108, 18, 84, 64);

    // Higher coverage wins: the left box has more dark pixels, so less background.
    QImage coverage = frame(200, 100);
    fill(coverage, left, patternColour);
    fill(coverage, right, patternColour);
    sprinkle(coverage, left, 3);
    sprinkle(coverage, right, 6);
    EXPECT_EQ(detect(coverage), rightResult);

    // Equal coverage: more contrast pixels win. Both boxes have 120 non-background
    // pixels; on the left half of them are a middle colour (distance 70: neither
    // background nor contrast).
    QImage contrast = frame(200, 100);
    fill(contrast, left, patternColour);
    fill(contrast, right, patternColour);
    ASSERT_EQ(sprinkle(contrast, left, 4, darkText, 60), 60);
    const QRect leftLower(left.left(), left.top() + 40, left.width(), 20);
    ASSERT_EQ(sprinkle(contrast, leftLower, 4, QColor(110, 60, 140), 60), 60);
    ASSERT_EQ(sprinkle(contrast, right, 4, darkText, 120), 120);
    EXPECT_EQ(detect(contrast), rightResult);

    // Everything equal: the box whose seed comes first in row-major order.
    QImage tie = frame(200, 100);
    dialogueBox(tie, right);
    dialogueBox(tie, left);
    EXPECT_EQ(detect(tie), leftResult);

    // A larger area beats everything else.
    QImage larger = frame(200, 100);
    dialogueBox(larger, left);
    dialogueBox(larger, QRect(110, 20, 81, 60));
    EXPECT_EQ(detect(larger), QRectF(108, 18, 85, 64));
}

TEST(DialogueSearchRegionDetector, ColourDistanceBoundaries)
{
    const DialogueBackgroundPattern grey{100, 100, 100};
    const auto boxOf = [](const QColor &background, const QColor &text) {
        QImage image = frame(200, 100);
        const QRect rect(20, 20, 160, 60);
        fill(image, rect, background);
        sprinkle(image, rect, 4, text);
        return image;
    };
    // Background: distance 64 (d2 = 4096) matches, d2 = 4225 does not.
    EXPECT_EQ(detect(boxOf(QColor(164, 100, 100), QColor(0, 0, 0)), grey), QRectF(18, 18, 164, 64));
    EXPECT_EQ(detect(boxOf(QColor(165, 100, 100), QColor(0, 0, 0)), grey), std::nullopt);
    // Contrast: distance 80 (d2 = 6400) counts, d2 = 6241 does not.
    EXPECT_EQ(detect(boxOf(QColor(100, 100, 100), QColor(180, 100, 100)), grey), QRectF(18, 18, 164, 64));
    EXPECT_EQ(detect(boxOf(QColor(100, 100, 100), QColor(179, 100, 100)), grey), std::nullopt);

    // Components far outside 0...255 (a hand-edited file) neither overflow nor match.
    const DialogueBackgroundPattern huge{
        std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min(), 300};
    EXPECT_EQ(detect(boxOf(QColor(255, 0, 255), QColor(0, 0, 0)), huge), std::nullopt);
    EXPECT_EQ(detect(boxOf(QColor(255, 255, 255), QColor(0, 0, 0)), {300, 255, 255}), QRectF(18, 18, 164, 64));
}

TEST(DialogueSearchRegionDetector, ABoxOnASceneNearItsColourIsFoundByItsOwnColour)
{
    // The scene is within the background distance of the pattern (50) but outside its
    // eyedropper bin: box and scene are one patch of 198 x 98 whose 100 dots of text are
    // 0.5 % of it. The box alone holds 1.6 %.
    QImage image = frame(200, 100);
    image.fill(QColor(40, 110, 140));
    const QRect box(20, 30, 160, 40);
    fill(image, box, QColor(48, 52, 150));
    ASSERT_EQ(sprinkle(image, box, 8), 100);
    EXPECT_EQ(detect(image), QRectF(18, 28, 164, 44));
}

TEST(DialogueSearchRegionDetector, PatchesTouchingAtACornerAreOneBox)
{
    // Each 20 x 20 patch alone is narrower than the 30-pixel minimum; touching only at
    // a corner, they are one 8-connected patch of 40 x 40.
    QImage image = frame(200, 100);
    dialogueBox(image, QRect(40, 20, 20, 20));
    dialogueBox(image, QRect(60, 40, 20, 20));
    EXPECT_EQ(detect(image), QRectF(38, 18, 44, 44));
}

TEST(DialogueSearchRegionDetector, WorkingHeightIsRoundedToTheNearestPixel)
{
    using Detector = DialogueSearchRegionDetector;
    EXPECT_EQ(Detector::workingSize(QSize(1000, 151)), QSize(320, 48)); // 48.32
    EXPECT_EQ(Detector::workingSize(QSize(1000, 155)), QSize(320, 50)); // 49.6
    EXPECT_EQ(Detector::workingSize(QSize(640, 101)), QSize(320, 51)); // 50.5: halves round up
    EXPECT_EQ(Detector::workingSize(QSize(3000, 1)), QSize(320, 1)); // never below one pixel
    EXPECT_EQ(Detector::workingSize(QSize(200, 99)), QSize(200, 99)); // narrow images stay as they are

    // Scaled back through the rounded height: 1000 x 155 works at 320 x 50 (3.1 source
    // pixels a row). The box at y 31...123 covers working rows 10...39, padded to
    // [8, 42), which is y 24.8 ... 130.2 in the source, rounded outwards.
    QImage image = frame(1000, 155);
    fill(image, QRect(250, 31, 500, 93), patternColour);
    for (int x = 260; x < 740; x += 20) {
        fill(image, QRect(x, 60, 10, 10), darkText);
    }
    const auto box = detect(image);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->top(), 24);
    EXPECT_EQ(box->bottom(), 131);
}
