// Test label: unit
#include "capture/fixtures/FixtureCaptureFrameProcessor.h"
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "foundation/errors/Error.h"
#include "support/FakeDialogueRegionDetector.h"
#include "support/FakeTextRecognizer.h"
#include "support/LogRecorder.h"
#include "support/RunTask.h"

#include <QPainter>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace veyra;
using veyra::test::FakeDialogueRegionDetector;
using veyra::test::FakeTextRecognizer;
using veyra::test::LogRecorder;
using veyra::test::runTask;
using veyra::test::waitUntil;

namespace {

// Every pixel names its own position: red and green hold x and y modulo 256, blue their
// multiples of 256.
QImage coordinateImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            line[x] = qRgb(x % 256, y % 256, ((x / 256) << 4) | (y / 256));
        }
    }
    return image;
}

QPoint positionOf(QRgb pixel)
{
    return {qRed(pixel) + (qBlue(pixel) >> 4) * 256, qGreen(pixel) + (qBlue(pixel) & 0xf) * 256};
}

CaptureArea area(const QString &id, CaptureRegion region, DialogueBackgroundPattern pattern = {})
{
    return {id, region, pattern};
}

CaptureAreaProfile profile(std::int64_t width, std::int64_t height, QVector<CaptureArea> areas)
{
    CaptureAreaProfile result;
    result.applicationIdentity = {GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")};
    result.windowTitle = QStringLiteral("Game");
    result.referenceImageWidth = width;
    result.referenceImageHeight = height;
    result.areas = std::move(areas);
    return result;
}

// A 400 x 100 frame of four 100 x 100 colour fields; areas are drawn on it 1:1.
struct ColourFrame
{
    static constexpr QRgb red = 0xffc00000;
    static constexpr QRgb green = 0xff00c000;
    static constexpr QRgb blue = 0xff0000c0;
    static constexpr QRgb black = 0xff000000;

    static QImage make(QVector<QRgb> colours = {red, green, blue, black})
    {
        QImage image(100 * static_cast<int>(colours.size()), 100, QImage::Format_RGB32);
        QPainter painter(&image);
        for (int index = 0; index < colours.size(); ++index) {
            painter.fillRect(index * 100, 0, 100, 100, QColor::fromRgb(colours[index]));
        }
        return image;
    }

    static CaptureArea field(const QString &id, int index) { return area(id, {index * 100LL + 10, 10, 80, 80}); }
};

// Finds a box in the middle of every search region that is not black.
std::shared_ptr<FakeDialogueRegionDetector> centreDetector()
{
    return std::make_shared<FakeDialogueRegionDetector>(
        [](const QImage &image, const DialogueBackgroundPattern &) -> std::optional<QRectF> {
            if (image.pixel(image.width() / 2, image.height() / 2) == ColourFrame::black) {
                return std::nullopt;
            }
            return QRectF(10, 10, image.width() - 20, image.height() - 20);
        });
}

// Reads the colour of the box's centre as a text.
FakeTextRecognizer::Reader colourReader(QHash<QRgb, QString> texts)
{
    return [texts](const QImage &image) {
        const QRgb colour = image.pixel(image.width() / 2, image.height() / 2);
        if (!texts.contains(colour)) {
            throw Error(QStringLiteral("The image could not be read."));
        }
        return texts.value(colour);
    };
}

class CaptureFrameProcessorTest : public ::testing::Test
{
protected:
    CaptureFrameProcessorTest() { m_pool.setMaxThreadCount(4); }
    ~CaptureFrameProcessorTest() override { m_pool.waitForDone(); }

    DefaultCaptureFrameProcessor makeProcessor(
        std::shared_ptr<FakeTextRecognizer> recognizer, std::shared_ptr<FakeDialogueRegionDetector> detector)
    {
        return DefaultCaptureFrameProcessor(
            std::move(recognizer), std::move(detector), Logger("CapturePipeline"), &m_pool);
    }

    // More threads than the processor may use: the limit of two must be its own.
    QThreadPool m_pool;
};

// The first two recognitions run at the same time, so either may begin first.
QStringList sorted(QStringList texts)
{
    texts.sort();
    return texts;
}

QVector<CaptureAreaText> expected(QVector<std::pair<QString, QString>> entries)
{
    QVector<CaptureAreaText> result;
    for (auto &[areaID, text] : entries) {
        result.append({areaID, text, std::nullopt});
    }
    return result;
}

} // namespace

TEST_F(CaptureFrameProcessorTest, CarriesSearchRegionsFromTheReferenceSizeOntoTheFrame)
{
    std::optional<QRectF> box = QRectF(10, 20, 30.5, 40.2);
    auto detector = std::make_shared<FakeDialogueRegionDetector>(
        [&box](const QImage &, const DialogueBackgroundPattern &) { return box; });
    auto recognizer = std::make_shared<FakeTextRecognizer>([](const QImage &) { return QStringLiteral("text"); });
    auto processor = makeProcessor(recognizer, detector);

    // 1280 x 720 reference, 2560 x 1440 frame: (100, 300, 400, 140) is cut at (200, 600, 800, 280).
    const QImage frame = coordinateImage(2560, 1440);
    const DialogueBackgroundPattern pattern{12, 34, 56};
    auto result = runTask(processor.process(
        frame, profile(1280, 720, {area(QStringLiteral("a"), {100, 300, 400, 140}, pattern)}), {}, nullptr));
    EXPECT_EQ(result, expected({{QStringLiteral("a"), QStringLiteral("text")}}));
    ASSERT_EQ(detector->callCount(), 1);
    const QImage region = detector->images().at(0);
    EXPECT_EQ(region.size(), QSize(800, 280));
    EXPECT_EQ(positionOf(region.pixel(0, 0)), QPoint(200, 600));
    EXPECT_EQ(positionOf(region.pixel(799, 279)), QPoint(999, 879));
    EXPECT_EQ(detector->patterns().at(0), pattern);
    // The box is rounded outward, (10, 20)-(40.5, 60.2) to (10, 20)-(41, 61), and only it is read,
    // with the area's colour, which the recogniser tells the text from the box by.
    ASSERT_EQ(recognizer->callCount(), 1);
    const QImage read = recognizer->images().at(0);
    EXPECT_EQ(read.size(), QSize(31, 41));
    EXPECT_EQ(positionOf(read.pixel(0, 0)), QPoint(210, 620));
    EXPECT_EQ(positionOf(read.pixel(30, 40)), QPoint(240, 660));
    EXPECT_EQ(recognizer->patterns().at(0), pattern);

    // A 2 x 2 region on a frame of the reference size is cut at the minimum of 4 x 4.
    const QImage small = coordinateImage(64, 48);
    box = QRectF(0, 0, 4, 4);
    runTask(processor.process(small, profile(64, 48, {area(QStringLiteral("a"), {30, 20, 2, 2})}), {}, nullptr));
    ASSERT_EQ(detector->callCount(), 2);
    EXPECT_EQ(detector->images().at(1).size(), QSize(4, 4));
    EXPECT_EQ(positionOf(detector->images().at(1).pixel(0, 0)), QPoint(30, 20));

    // A box outside the region is a failed crop: the area is missing.
    box = QRectF(500, 500, 10, 10);
    EXPECT_TRUE(runTask(
        processor.process(frame, profile(1280, 720, {area(QStringLiteral("a"), {0, 0, 100, 100})}), {}, nullptr))
                    .isEmpty());

    // No areas, or no reference size: nothing is looked at.
    const int detections = detector->callCount();
    EXPECT_TRUE(runTask(processor.process(frame, profile(1280, 720, {}), {}, nullptr)).isEmpty());
    EXPECT_TRUE(
        runTask(processor.process(frame, profile(0, 720, {area(QStringLiteral("a"), {0, 0, 100, 100})}), {}, nullptr))
            .isEmpty());
    EXPECT_TRUE(
        runTask(processor.process(frame, profile(1280, 0, {area(QStringLiteral("a"), {0, 0, 100, 100})}), {}, nullptr))
            .isEmpty());
    EXPECT_EQ(detector->callCount(), detections);
}

TEST_F(CaptureFrameProcessorTest, RunsAtMostTwoRecognitionsAtOnceAndAnswersInAreaOrder)
{
    auto recognizer = std::make_shared<FakeTextRecognizer>(colourReader({{ColourFrame::red, QStringLiteral("first")},
        {ColourFrame::green, QStringLiteral("second")}, {ColourFrame::blue, QStringLiteral("third")}}));
    auto processor = makeProcessor(recognizer, centreDetector());
    recognizer->hold(QStringLiteral("first"));
    recognizer->hold(QStringLiteral("second"));

    auto task = processor.process(ColourFrame::make(),
        profile(400, 100,
            {ColourFrame::field(QStringLiteral("a"), 0), ColourFrame::field(QStringLiteral("b"), 1),
                ColourFrame::field(QStringLiteral("c"), 2)}),
        {}, nullptr);
    ASSERT_TRUE(waitUntil([&] { return recognizer->inFlight() == 2; }));
    // Give a third recognition every chance to start too early.
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(sorted(recognizer->started()), QStringList({QStringLiteral("first"), QStringLiteral("second")}));

    // When the second ends the third starts at once, and may end before the first.
    recognizer->release(QStringLiteral("second"));
    ASSERT_TRUE(waitUntil([&] { return recognizer->finished().size() == 2; }));
    EXPECT_EQ(recognizer->finished(), QStringList({QStringLiteral("second"), QStringLiteral("third")}));
    recognizer->release(QStringLiteral("first"));

    EXPECT_EQ(runTask(std::move(task)),
        expected({{QStringLiteral("a"), QStringLiteral("first")}, {QStringLiteral("b"), QStringLiteral("second")},
            {QStringLiteral("c"), QStringLiteral("third")}}));
    EXPECT_EQ(recognizer->maxInFlight(), DefaultCaptureFrameProcessor::maxConcurrentOCRJobs);
}

TEST_F(CaptureFrameProcessorTest, LeavesOutAreasWithoutBoxTextOrSuccessfulRecognition)
{
    const QRgb grey = 0xff808080;
    const QRgb white = 0xffffffff;
    auto recognizer = std::make_shared<FakeTextRecognizer>(colourReader(
        {{ColourFrame::red, QStringLiteral("  Hello,\n  world  ")}, {ColourFrame::blue, QStringLiteral("third")},
            {grey, QStringLiteral(" \n\t ")}, {white, QStringLiteral("twin")}}));
    auto processor = makeProcessor(recognizer, centreDetector());
    LogRecorder log(QStringLiteral(".CapturePipeline"));

    // Green has no text the reader knows (it throws); black has no dialogue box; grey reads
    // only whitespace; the two white areas share one identifier and both count.
    auto result = runTask(processor.process(ColourFrame::make({ColourFrame::red, ColourFrame::green, ColourFrame::blue,
                                                ColourFrame::black, grey, white, white}),
        profile(700, 100,
            {ColourFrame::field(QStringLiteral("a"), 0), ColourFrame::field(QStringLiteral("b"), 1),
                ColourFrame::field(QStringLiteral("c"), 2), ColourFrame::field(QStringLiteral("d"), 3),
                ColourFrame::field(QStringLiteral("e"), 4), ColourFrame::field(QStringLiteral("f"), 5),
                ColourFrame::field(QStringLiteral("f"), 6)}),
        {}, nullptr));
    EXPECT_EQ(result,
        expected({{QStringLiteral("a"), QStringLiteral("Hello, world")}, {QStringLiteral("c"), QStringLiteral("third")},
            {QStringLiteral("f"), QStringLiteral("twin")}, {QStringLiteral("f"), QStringLiteral("twin")}}));
    EXPECT_EQ(log.messages(), QStringList(QStringLiteral("OCR failed for area b: The image could not be read.")));
    EXPECT_EQ(recognizer->callCount(), 6); // not the area without a box
}

TEST_F(CaptureFrameProcessorTest, ACancelledCallAnswersNothing)
{
    auto detector = centreDetector();
    auto recognizer = std::make_shared<FakeTextRecognizer>(colourReader({{ColourFrame::red, QStringLiteral("first")},
        {ColourFrame::green, QStringLiteral("second")}, {ColourFrame::blue, QStringLiteral("third")}}));
    auto processor = makeProcessor(recognizer, detector);
    const auto threeAreas = profile(400, 100,
        {ColourFrame::field(QStringLiteral("a"), 0), ColourFrame::field(QStringLiteral("b"), 1),
            ColourFrame::field(QStringLiteral("c"), 2)});

    CancellationToken cancelled;
    cancelled.cancel();
    EXPECT_TRUE(runTask(processor.process(ColourFrame::make(), threeAreas, cancelled, nullptr)).isEmpty());
    EXPECT_EQ(detector->callCount(), 0);

    // Cancelled while two recognitions run: their results are dropped, the third never
    // starts, and the cache keeps what it had.
    auto cache = std::make_shared<CaptureFrameRecognitionCache>();
    CancellationToken token;
    recognizer->hold(QStringLiteral("first"));
    recognizer->hold(QStringLiteral("second"));
    auto task = processor.process(ColourFrame::make(), threeAreas, token, cache);
    ASSERT_TRUE(waitUntil([&] { return recognizer->inFlight() == 2; }));
    token.cancel();
    recognizer->release(QStringLiteral("first"));
    recognizer->release(QStringLiteral("second"));
    EXPECT_TRUE(runTask(std::move(task)).isEmpty());
    EXPECT_EQ(sorted(recognizer->started()), QStringList({QStringLiteral("first"), QStringLiteral("second")}));
    EXPECT_TRUE(cache->entries().isEmpty());
}

TEST_F(CaptureFrameProcessorTest, ReadsOnlyTheBoxesThatChangedSinceThePreviousCallOfTheRun)
{
    const QRgb grey = 0xff808080;
    QHash<QRgb, QString> texts{{ColourFrame::red, QStringLiteral("first")},
        {ColourFrame::green, QStringLiteral("second")}, {ColourFrame::blue, QStringLiteral("third")},
        {grey, QString()}};
    auto recognizer = std::make_shared<FakeTextRecognizer>([&texts](const QImage &image) {
        const QRgb colour = image.pixel(image.width() / 2, image.height() / 2);
        if (!texts.contains(colour)) {
            throw Error(QStringLiteral("The image could not be read."));
        }
        return texts.value(colour);
    });
    auto processor = makeProcessor(recognizer, centreDetector());
    LogRecorder log(QStringLiteral(".CapturePipeline"));
    const auto areas = profile(400, 100,
        {ColourFrame::field(QStringLiteral("a"), 0), ColourFrame::field(QStringLiteral("b"), 1),
            ColourFrame::field(QStringLiteral("c"), 2), ColourFrame::field(QStringLiteral("d"), 3)});
    auto cache = std::make_shared<CaptureFrameRecognitionCache>();
    const auto process = [&](QImage frame) { return runTask(processor.process(frame, areas, {}, cache)); };

    // Red, green, a box without text and an unreadable one: all four are read.
    const QImage frame = ColourFrame::make({ColourFrame::red, ColourFrame::green, grey, 0xff404040});
    const auto first = process(frame);
    EXPECT_EQ(first,
        expected({{QStringLiteral("a"), QStringLiteral("first")}, {QStringLiteral("b"), QStringLiteral("second")}}));
    EXPECT_EQ(recognizer->callCount(), 4);

    // The same frame: the same answer, and only the box that failed is read again.
    EXPECT_EQ(process(frame), first);
    EXPECT_EQ(recognizer->callCount(), 5);
    EXPECT_EQ(log.messages().size(), 2);

    // One pixel of the second box changes: only it is read again.
    QImage changed = frame.copy();
    changed.setPixel(150, 30, qRgb(1, 2, 3));
    texts.insert(0xff404040, QStringLiteral("now readable"));
    EXPECT_EQ(process(changed),
        expected({{QStringLiteral("a"), QStringLiteral("first")}, {QStringLiteral("b"), QStringLiteral("second")},
            {QStringLiteral("d"), QStringLiteral("now readable")}}));
    EXPECT_EQ(recognizer->callCount(), 7);

    // Boxes are remembered per area: the same pixels under another identifier are read.
    auto renamed = areas;
    renamed.areas[0].id = QStringLiteral("z");
    EXPECT_EQ(runTask(processor.process(changed, renamed, {}, cache)).first(),
        (CaptureAreaText{QStringLiteral("z"), QStringLiteral("first"), std::nullopt}));
    EXPECT_EQ(recognizer->callCount(), 8);

    // Without a cache every box is read.
    EXPECT_EQ(runTask(processor.process(changed, areas, {}, nullptr)).size(), 3);
    EXPECT_EQ(recognizer->callCount(), 12);
}

TEST(FixtureCaptureFrameProcessor, AnswersTheSampleLinesWhateverTheFrameShows)
{
    FixtureCaptureFrameProcessor processor;
    CancellationToken cancelled;
    cancelled.cancel();
    const auto areas = profile(
        10, 10, {area(QStringLiteral("a"), {}), area(QStringLiteral("b"), {}), area(QStringLiteral("c"), {})});
    const auto result = runTask(processor.process(QImage(), areas, cancelled, nullptr));
    EXPECT_EQ(result,
        expected({{QStringLiteral("a"), QStringLiteral("The journey begins with a single decision.")},
            {QStringLiteral("b"), QString::fromUtf8("運命が動き出す")},
            {QStringLiteral("c"), QStringLiteral("The journey begins with a single decision.")}}));
    EXPECT_TRUE(runTask(processor.process(QImage(), profile(10, 10, {}), {}, nullptr)).isEmpty());
}
