// Test label: unit
#include "capture/recognition/DefaultDialogueBackgroundPatternAnalyzer.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <limits>

using namespace veyra;

namespace {
using Result = std::optional<std::pair<DialogueBackgroundPattern, double>>;

Result analyze(const QImage &image, const CaptureRegion &region)
{
    return DefaultDialogueBackgroundPatternAnalyzer().analyze(image, region);
}

QImage uniform(int width, int height, const QColor &colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

Result expected(std::int64_t red, std::int64_t green, std::int64_t blue, double coverage)
{
    return std::pair{DialogueBackgroundPattern{red, green, blue}, coverage};
}
} // namespace

TEST(DefaultDialogueBackgroundPatternAnalyzer, ReportsTheCentreOfTheFullestBin)
{
    const QImage image = uniform(100, 50, QColor(200, 30, 100));
    EXPECT_EQ(analyze(image, {10, 10, 15, 15}), expected(208, 16, 112, 1.0));

    // Half and half: the lower bin index wins the tie.
    QImage split = uniform(20, 10, QColor(0, 0, 200));
    {
        QPainter painter(&split);
        painter.fillRect(QRect(10, 0, 10, 10), QColor(0, 200, 0));
    }
    EXPECT_EQ(analyze(split, {0, 0, 20, 10}), expected(16, 16, 208, 0.5));
    // Three to one.
    EXPECT_EQ(analyze(split, {5, 0, 20, 10}), expected(16, 208, 16, 2.0 / 3.0)) << "the inside part only";

    // Bin edges: 0 and 31 share a bin, 32 starts the next.
    QImage edges = uniform(2, 1, QColor(0, 0, 0));
    edges.setPixelColor(1, 0, QColor(31, 31, 31));
    EXPECT_EQ(analyze(edges, {0, 0, 2, 1}), expected(16, 16, 16, 1.0));
    EXPECT_EQ(analyze(uniform(1, 1, QColor(32, 63, 255)), {0, 0, 1, 1}), expected(48, 48, 240, 1.0));

    // Any pixel format; transparency is read as drawn onto black.
    EXPECT_EQ(
        analyze(uniform(4, 4, QColor(200, 30, 100), QImage::Format_RGB888), {0, 0, 4, 4}), expected(208, 16, 112, 1.0));
    EXPECT_EQ(analyze(uniform(4, 4, QColor(255, 255, 255, 128), QImage::Format_ARGB32), {0, 0, 4, 4}),
        expected(144, 144, 144, 1.0));
    EXPECT_EQ(analyze(uniform(4, 4, QColor(200, 30, 100), QImage::Format_Grayscale8), {0, 0, 4, 4}).has_value(), true);
}

TEST(DefaultDialogueBackgroundPatternAnalyzer, EmptyOrOutsideRegionsGiveNothing)
{
    constexpr auto maxInt = std::numeric_limits<std::int64_t>::max();
    constexpr auto minInt = std::numeric_limits<std::int64_t>::min();
    const QImage image = uniform(100, 50, QColor(200, 30, 100));
    EXPECT_EQ(analyze(image, {10, 10, 0, 15}), std::nullopt);
    EXPECT_EQ(analyze(image, {10, 10, 15, 0}), std::nullopt);
    EXPECT_EQ(analyze(image, {10, 10, -5, 15}), std::nullopt);
    EXPECT_EQ(analyze(image, {100, 0, 10, 10}), std::nullopt);
    EXPECT_EQ(analyze(image, {-10, 0, 10, 10}), std::nullopt);
    EXPECT_EQ(analyze(image, {0, 50, 10, 10}), std::nullopt);
    EXPECT_EQ(analyze(QImage(), {0, 0, 10, 10}), std::nullopt);
    EXPECT_EQ(analyze(image, {maxInt, maxInt, maxInt, maxInt}), std::nullopt);
    EXPECT_EQ(analyze(image, {minInt, minInt, maxInt, maxInt}), std::nullopt);
    // Partly outside: the inside part, the whole image here.
    EXPECT_EQ(analyze(image, {-10, -10, maxInt, maxInt}), expected(208, 16, 112, 1.0));
}
