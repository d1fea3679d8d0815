// Test label: unit
// The frame processor reads search regions and dialogue boxes as views of the frame and
// tells an unchanged box by comparing pixels, without copies. Frames from the X server
// are memory that the next capture of the same size overwrites, so nothing the
// processor keeps may point into a frame.
#include "capture/pipeline/FrameCrops.h"
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "support/FakeDialogueRegionDetector.h"
#include "support/FakeTextRecognizer.h"
#include "support/RunTask.h"

#include <QThreadPool>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace veyra;
using veyra::test::FakeDialogueRegionDetector;
using veyra::test::FakeTextRecognizer;
using veyra::test::runTask;

namespace {

// An image whose pixels name their position, in memory of its own with wide rows (as a
// frame's rows are wider than a crop's).
QImage positions(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = qRgb(x, y, (x * 7 + y * 3) % 256);
        }
    }
    return image;
}

} // namespace

TEST(FrameCrops, ViewsShowTheRegionsPixelsInTheFramesMemory)
{
    const QImage frame = positions(200, 100);
    const QImage view = pixelView(frame, QRect(30, 20, 50, 40));
    ASSERT_EQ(view.size(), QSize(50, 40));
    EXPECT_EQ(view.format(), QImage::Format_RGB32);
    EXPECT_EQ(view.constBits(), frame.constScanLine(20) + 30 * 4);
    EXPECT_EQ(view.pixel(0, 0), frame.pixel(30, 20));
    EXPECT_EQ(view.pixel(49, 39), frame.pixel(79, 59));
    EXPECT_TRUE(samePixels(view, frame.copy(30, 20, 50, 40)));

    // A view of a view, as the box inside the search region.
    const QImage box = pixelView(view, QRect(5, 6, 10, 11));
    EXPECT_EQ(box.pixel(9, 10), frame.pixel(44, 36));
    // A copy has pixels of its own.
    const QImage copied = box.copy();
    EXPECT_TRUE(samePixels(copied, box));
    EXPECT_NE(copied.constBits(), box.constBits());

    // Outside the frame there is nothing to see; other pixel sizes are copied.
    EXPECT_TRUE(pixelView(frame, QRect(190, 90, 20, 20)).isNull());
    const QImage grey = frame.convertToFormat(QImage::Format_Grayscale8);
    const QImage greyView = pixelView(grey, QRect(30, 20, 50, 40));
    EXPECT_EQ(greyView, grey.copy(30, 20, 50, 40));

    // Rounded outward and kept inside the image; an empty or non-finite rectangle is none.
    EXPECT_EQ(cropRect({200, 100}, QRectF(10.5, 20.2, 30.1, 10.0)), QRect(10, 20, 31, 11));
    EXPECT_EQ(cropRect({200, 100}, QRectF(-5, 90, 30, 30)), QRect(0, 90, 25, 10));
    EXPECT_EQ(cropRect({200, 100}, QRectF(200, 0, 10, 10)), std::nullopt);
    EXPECT_EQ(cropRect({200, 100}, QRectF(0, 0, qInf(), 10)), std::nullopt);
}

TEST(FrameCrops, SamePixelsLooksAtEveryColourButNotTheUnusedByte)
{
    const QImage image = positions(64, 32);
    QImage other = image.copy();
    EXPECT_TRUE(samePixels(image, other));

    // The unused top byte of RGB32 does not count, as for QImage::operator==.
    reinterpret_cast<QRgb *>(other.scanLine(31))[63] &= 0x00ffffffu;
    EXPECT_TRUE(samePixels(image, other));
    // One bit of one channel of the very last pixel does.
    reinterpret_cast<QRgb *>(other.scanLine(31))[63] ^= 0x1u;
    EXPECT_FALSE(samePixels(image, other));
    other = image.copy();
    other.setPixel(0, 0, image.pixel(0, 0) ^ 0x010000u);
    EXPECT_FALSE(samePixels(image, other));

    // With alpha, alpha counts.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage translucent = argb.copy();
    translucent.setPixel(5, 5, argb.pixel(5, 5) & 0x7fffffffu);
    EXPECT_FALSE(samePixels(argb, translucent));

    // Another size or format is another image.
    EXPECT_FALSE(samePixels(image, image.copy(0, 0, 64, 31)));
    EXPECT_FALSE(samePixels(image, argb));
}

TEST(FrameCrops, ABoxIsReadAgainWhenTheFramesMemoryIsReusedForNewPixels)
{
    // The frame is memory that the next capture overwrites, lent as a read-only image,
    // as the X reader does.
    std::vector<QRgb> memory(400 * 100);
    const auto paint = [&memory](QRgb colour) {
        std::fill(memory.begin(), memory.end(), qRgb(9, 9, 9));
        for (int y = 20; y < 80; ++y) {
            for (int x = 120; x < 280; ++x) {
                memory[std::size_t(y) * 400 + std::size_t(x)] = colour;
            }
        }
    };
    const auto frame = [&memory] {
        return QImage(reinterpret_cast<const uchar *>(memory.data()), 400, 100, 400 * 4, QImage::Format_RGB32);
    };
    auto detector = std::make_shared<FakeDialogueRegionDetector>(
        [](const QImage &, const DialogueBackgroundPattern &) -> std::optional<QRectF> {
            return QRectF(20, 10, 160, 60);
        });
    auto recognizer = std::make_shared<FakeTextRecognizer>([](const QImage &image) {
        return image.pixel(image.width() / 2, image.height() / 2) == qRgb(200, 0, 0) ? QStringLiteral("red")
                                                                                     : QStringLiteral("blue");
    });
    QThreadPool pool;
    DefaultCaptureFrameProcessor processor(recognizer, detector, Logger("CapturePipeline"), &pool);
    CaptureAreaProfile profile;
    profile.referenceImageWidth = 400;
    profile.referenceImageHeight = 100;
    profile.areas.append(CaptureArea{QStringLiteral("box"), CaptureRegion{100, 10, 200, 80}, {}});
    auto cache = std::make_shared<CaptureFrameRecognitionCache>();

    paint(qRgb(200, 0, 0));
    QVector<CaptureAreaText> texts = runTask(processor.process(frame(), profile, {}, cache));
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts.front().text, QStringLiteral("red"));
    // The region the detector saw was the frame's own memory, not a copy.
    ASSERT_EQ(detector->callCount(), 1);
    EXPECT_EQ(detector->images().front().constBits(), reinterpret_cast<const uchar *>(&memory[10 * 400 + 100]));

    // The same pixels: remembered, not read again.
    texts = runTask(processor.process(frame(), profile, {}, cache));
    EXPECT_EQ(texts.front().text, QStringLiteral("red"));
    EXPECT_EQ(recognizer->callCount(), 1);

    // The memory now holds the next capture: the box is read again.
    paint(qRgb(0, 0, 200));
    texts = runTask(processor.process(frame(), profile, {}, cache));
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts.front().text, QStringLiteral("blue"));
    EXPECT_EQ(recognizer->callCount(), 2);
    pool.waitForDone();
}
