// Test label: unit
#include "capture/pipeline/CapturePipelineController.h"
#include "capture/pipeline/FixedCapturePipelineTiming.h"
#include "capture/pipeline/TaskCapturePipelineSleeper.h"
#include "foundation/errors/Error.h"
#include "support/FakeCaptureFrameProcessor.h"
#include "support/FakeCapturePipelineSleeper.h"
#include "support/FakeTranslationReportScreenshotEncoder.h"
#include "support/FakeWindowSnapshotter.h"
#include "support/LogRecorder.h"
#include "support/RunTask.h"

#include <QColor>
#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace veyra;
using namespace std::chrono_literals;
using veyra::test::FakeCaptureFrameProcessor;
using veyra::test::FakeCapturePipelineSleeper;
using veyra::test::FakeTranslationReportScreenshotEncoder;
using veyra::test::FakeWindowSnapshotter;
using veyra::test::LogRecorder;
using veyra::test::runTask;
using veyra::test::TestGate;
using veyra::test::waitUntil;

namespace {

CaptureTarget gameWindow()
{
    CaptureTarget target;
    target.windowID = 42;
    target.processID = 4242;
    target.bundleIdentifier = QStringLiteral("com.example.game");
    target.applicationName = QStringLiteral("Example Game");
    target.windowTitle = QStringLiteral("Example Game");
    target.frame = QRectF(0, 0, 64, 36);
    return target;
}

CaptureAreaProfile twoAreas()
{
    CaptureAreaProfile profile;
    profile.applicationIdentity = {GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")};
    profile.windowTitle = QStringLiteral("Example Game");
    profile.referenceImageWidth = 64;
    profile.referenceImageHeight = 36;
    profile.areas = {{QStringLiteral("a"), {0, 0, 32, 36}, {10, 10, 10}}, {QStringLiteral("b"), {32, 0, 32, 36}, {}}};
    return profile;
}

// What the processor read: (area identifier, text) pairs in order.
QVector<CaptureAreaText> read(std::initializer_list<std::pair<const char *, QString>> entries)
{
    QVector<CaptureAreaText> texts;
    for (const auto &[areaID, text] : entries) {
        texts.append({QString::fromUtf8(areaID), text, std::nullopt});
    }
    return texts;
}

CapturePipelineEvent changed(const char *areaID, const QString &text, qsizetype screenshotNumber)
{
    std::optional<TranslationReportScreenshot> screenshot;
    if (screenshotNumber > 0) {
        screenshot = FakeTranslationReportScreenshotEncoder::screenshotNumber(screenshotNumber);
    }
    return CapturePipelineEvent::textChanged({QString::fromUtf8(areaID), text, screenshot});
}

QImage solidFrame(QColor colour)
{
    QImage image(64, 36, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Lets queued resumptions and the work they start run, however busy the machine is.
void settle()
{
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    waitUntil([] { return false; }, 50);
}

class CapturePipelineControllerTest : public ::testing::Test
{
protected:
    CapturePipelineControllerTest()
    {
        controller = std::make_unique<CapturePipelineController>(
            snapshotter, processor, encoder, sleeper, std::make_shared<FixedCapturePipelineTiming>(250));
        controller->setOnEvent([this](const CapturePipelineEvent &event) {
            events.append(event);
            if (handler) {
                handler(event);
            }
        });
    }

    ~CapturePipelineControllerTest() override
    {
        // End every run and let every suspended pass run to its end.
        controller.reset();
        snapshotter->gate().releaseAll();
        processor->gate().releaseAll();
        encoder->gate().releaseAll();
        settle();
    }

    // Runs the event loop until pass n of the loop has ended (its n-th wait has begun).
    bool waitForPass(int n)
    {
        return waitUntil([&] { return sleeper->callCount() >= n; });
    }

    // Ends the current wait and runs the next pass.
    bool nextPass()
    {
        const int count = sleeper->callCount();
        return sleeper->releaseOne() && waitForPass(count + 1);
    }

    enum class Stage { snapshotter, processor, encoder };
    void restartWhileSuspendedIn(Stage stage);

    std::shared_ptr<FakeWindowSnapshotter> snapshotter = std::make_shared<FakeWindowSnapshotter>();
    std::shared_ptr<FakeCaptureFrameProcessor> processor = std::make_shared<FakeCaptureFrameProcessor>();
    std::shared_ptr<FakeTranslationReportScreenshotEncoder> encoder
        = std::make_shared<FakeTranslationReportScreenshotEncoder>();
    std::shared_ptr<FakeCapturePipelineSleeper> sleeper = std::make_shared<FakeCapturePipelineSleeper>();
    std::unique_ptr<CapturePipelineController> controller;
    QVector<CapturePipelineEvent> events;
    std::function<void(const CapturePipelineEvent &)> handler;
    LogRecorder log{QStringLiteral(".CapturePipeline")};
};

} // namespace

TEST_F(CapturePipelineControllerTest, ReportsEachNewNonEmptyTextOnceWithOneScreenshotPerPass)
{
    const QString cafe = QString::fromUtf8("Caf\xc3\xa9");
    const QString decomposedCafe = QString::fromUtf8("Cafe\xcc\x81");
    processor->enqueue(read({{"a", QStringLiteral("  Hello  world ")}, {"b", QStringLiteral("Bonjour")}}));
    processor->enqueue(read({{"a", QStringLiteral("Hello\nworld")}, {"b", QStringLiteral("\tBonjour ")}}));
    processor->enqueue(read({{"a", QStringLiteral(" \n")}, {"b", QStringLiteral("Salut")}}));
    processor->enqueue(read({{"a", QStringLiteral("Hello world")}, {"b", QStringLiteral("Salut")}}));
    processor->enqueue(read({{"a", cafe}, {"b", QStringLiteral("Salut")}}));
    processor->enqueue(read({{"a", decomposedCafe}, {"b", QStringLiteral("salut")}}));

    controller->start(gameWindow(), twoAreas());
    EXPECT_TRUE(controller->isRunning());
    EXPECT_TRUE(controller->runID().has_value());
    EXPECT_EQ(snapshotter->callCount(), 0); // start() returns before the first pass

    // The first pass reports both areas in area order, sharing one JPEG of the frame.
    ASSERT_TRUE(waitForPass(1));
    QVector<CapturePipelineEvent> expected{
        changed("a", QStringLiteral("Hello world"), 1), changed("b", QStringLiteral("Bonjour"), 1)};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(snapshotter->targets().value(0), gameWindow());
    EXPECT_EQ(processor->calls().value(0).frame, snapshotter->image());
    EXPECT_EQ(processor->calls().value(0).profile, twoAreas());
    EXPECT_EQ(encoder->images().value(0), snapshotter->image());

    // Only whitespace differs: nothing is reported and nothing is encoded.
    ASSERT_TRUE(nextPass());
    EXPECT_EQ(events, expected);
    EXPECT_EQ(encoder->callCount(), 1);

    // An empty text is skipped and keeps the area's last text, so its return is no change.
    ASSERT_TRUE(nextPass());
    expected.append(changed("b", QStringLiteral("Salut"), 2));
    EXPECT_EQ(events, expected);
    ASSERT_TRUE(nextPass());
    EXPECT_EQ(events, expected);

    // Canonically equivalent texts are equal; letter case is not.
    ASSERT_TRUE(nextPass());
    expected.append(changed("a", cafe, 3));
    ASSERT_TRUE(nextPass());
    expected.append(changed("b", QStringLiteral("salut"), 4));
    EXPECT_EQ(events, expected);
    EXPECT_EQ(encoder->callCount(), 4);
    EXPECT_EQ(controller->lastTexts(), (QHash<QString, QString>{{"a", cafe}, {"b", QStringLiteral("salut")}}));

    // Every wait is one second from the end of its pass, whatever the configured interval.
    ASSERT_EQ(sleeper->calls().size(), 6);
    for (const auto &call : sleeper->calls()) {
        EXPECT_EQ(call.deadline - call.now, 1s);
    }
    EXPECT_TRUE(log.messages().isEmpty());
}

TEST_F(CapturePipelineControllerTest, PassingFailuresAreLoggedAndTheLoopGoesOn)
{
    processor->setDefaultResult(read({{"a", QStringLiteral("Hello")}}));
    snapshotter->failNext(WindowSnapshotError::Kind::captureFailed);
    // A cancellation that did not come from this run is an ordinary failure.
    snapshotter->failNext(std::make_exception_ptr(CancellationError()));
    encoder->failNext(std::make_exception_ptr(Error(QStringLiteral("The JPEG writer failed."))));

    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(1));
    EXPECT_EQ(processor->callCount(), 0);
    ASSERT_TRUE(nextPass());
    EXPECT_EQ(processor->callCount(), 0);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(log.messages(),
        QStringList({QStringLiteral("Periodic capture failed: Veyra couldn't capture the selected window."),
            QStringLiteral("Periodic capture failed: The operation was cancelled.")}));

    // A failed encoding still reports the change, without a screenshot.
    log.clear();
    ASSERT_TRUE(nextPass());
    EXPECT_EQ(events, QVector<CapturePipelineEvent>{changed("a", QStringLiteral("Hello"), 0)});
    EXPECT_EQ(log.messages(),
        QStringList(QStringLiteral("Translation report screenshot encoding failed: The JPEG writer failed.")));

    // So does an encoder's cancellation error that this run did not cause.
    log.clear();
    events.clear();
    encoder->failNext(std::make_exception_ptr(CancellationError()));
    processor->enqueue(read({{"a", QStringLiteral("Again")}}));
    ASSERT_TRUE(nextPass());
    EXPECT_EQ(events, QVector<CapturePipelineEvent>{changed("a", QStringLiteral("Again"), 0)});
    EXPECT_EQ(log.messages(),
        QStringList(QStringLiteral("Translation report screenshot encoding failed: The operation was cancelled.")));

    // An event handler that throws costs the rest of that pass, not the loop.
    log.clear();
    events.clear();
    handler = [](const CapturePipelineEvent &) { throw std::runtime_error("The handler failed."); };
    processor->enqueue(read({{"a", QStringLiteral("One")}, {"b", QStringLiteral("Two")}}));
    ASSERT_TRUE(nextPass());
    EXPECT_EQ(events.size(), 1);
    EXPECT_EQ(log.messages(), QStringList(QStringLiteral("Periodic capture failed: The handler failed.")));
    handler = nullptr;
    ASSERT_TRUE(nextPass());
    EXPECT_EQ(events.last(), changed("a", QStringLiteral("Hello"), encoder->callCount()));
    EXPECT_TRUE(controller->isRunning());
}

TEST_F(CapturePipelineControllerTest, TheLossOfTheTargetEndsTheRunOnce)
{
    processor->setDefaultResult(read({{"a", QStringLiteral("Hello")}}));
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(1));

    snapshotter->failNext(WindowSnapshotError::Kind::targetUnavailable);
    ASSERT_TRUE(sleeper->releaseOne());
    ASSERT_TRUE(waitUntil([&] { return !controller->isRunning(); }));
    settle();
    EXPECT_EQ(events,
        (QVector<CapturePipelineEvent>{
            changed("a", QStringLiteral("Hello"), 1), CapturePipelineEvent::targetUnavailable()}));
    EXPECT_FALSE(controller->runID().has_value());
    EXPECT_EQ(controller->lastTexts(), (QHash<QString, QString>{{"a", QStringLiteral("Hello")}}));
    EXPECT_EQ(snapshotter->callCount(), 2); // no further pass
    EXPECT_EQ(sleeper->callCount(), 1);
    EXPECT_TRUE(log.messages().isEmpty());

    // A new run reports every area with text again; so does one after stop().
    controller->start(gameWindow(), twoAreas());
    EXPECT_TRUE(controller->lastTexts().isEmpty());
    ASSERT_TRUE(waitForPass(2));
    EXPECT_EQ(events.last(), changed("a", QStringLiteral("Hello"), 2));
    controller->stop();
    EXPECT_FALSE(controller->isRunning());
    EXPECT_FALSE(controller->runID().has_value());
    EXPECT_TRUE(controller->lastTexts().isEmpty());
    settle();
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(3));
    EXPECT_EQ(events.size(), 4);
    EXPECT_EQ(events.last(), changed("a", QStringLiteral("Hello"), 3));
}

TEST_F(CapturePipelineControllerTest, TheSnapshotterIsToldWhenCapturingAWindowEnds)
{
    const auto windows = [](const QVector<CaptureTarget> &targets) {
        QVector<std::uint32_t> ids;
        for (const CaptureTarget &target : targets) {
            ids.append(target.windowID);
        }
        return ids;
    };
    CaptureTarget other = gameWindow();
    other.windowID = 43;

    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(1));
    // A restart for the same window keeps it set up; moving to another window ends it.
    controller->start(gameWindow(), twoAreas());
    EXPECT_TRUE(snapshotter->endedTargets().isEmpty());
    controller->start(other, twoAreas());
    EXPECT_EQ(windows(snapshotter->endedTargets()), QVector<std::uint32_t>{42});
    ASSERT_TRUE(waitForPass(2));

    // stop() ends it, once.
    controller->stop();
    EXPECT_EQ(windows(snapshotter->endedTargets()), (QVector<std::uint32_t>{42, 43}));
    controller->stop();
    EXPECT_EQ(snapshotter->endedTargets().size(), 2);

    // So does the loss of the target.
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(3));
    snapshotter->failNext(WindowSnapshotError::Kind::targetUnavailable);
    ASSERT_TRUE(sleeper->releaseOne());
    ASSERT_TRUE(waitUntil([&] { return !controller->isRunning(); }));
    EXPECT_EQ(windows(snapshotter->endedTargets()), (QVector<std::uint32_t>{42, 43, 42}));

    // And the end of the controller while it captures.
    controller->start(other, twoAreas());
    controller.reset();
    EXPECT_EQ(windows(snapshotter->endedTargets()), (QVector<std::uint32_t>{42, 43, 42, 43}));
}

void CapturePipelineControllerTest::restartWhileSuspendedIn(Stage stage)
{
    const QImage oldFrame = solidFrame(Qt::red);
    const QImage newFrame = solidFrame(Qt::blue);
    processor->setResponder([oldFrame](const FakeCaptureFrameProcessor::Call &call) {
        return call.frame == oldFrame ? read({{"a", QStringLiteral("old")}, {"b", QStringLiteral("old too")}})
                                      : read({{"a", QStringLiteral("new")}});
    });
    TestGate *gate = nullptr;
    switch (stage) {
    case Stage::snapshotter:
        snapshotter->holdNext();
        gate = &snapshotter->gate();
        break;
    case Stage::processor:
        processor->holdNext();
        gate = &processor->gate();
        break;
    case Stage::encoder:
        encoder->holdNext();
        gate = &encoder->gate();
        break;
    }

    snapshotter->setImage(oldFrame);
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitUntil([&] { return gate->waitingCount() == 1; }));
    snapshotter->setImage(newFrame);
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(1));
    gate->releaseOne();
    settle();

    // Only the new run reports, and the old one wrote nothing into its texts.
    const qsizetype newScreenshot = stage == Stage::encoder ? 2 : 1;
    EXPECT_EQ(events, QVector<CapturePipelineEvent>{changed("a", QStringLiteral("new"), newScreenshot)});
    EXPECT_EQ(controller->lastTexts(), (QHash<QString, QString>{{"a", QStringLiteral("new")}}));
    EXPECT_EQ(snapshotter->callCount(), 2);
    EXPECT_EQ(sleeper->callCount(), 1);
    for (const auto &call : processor->calls()) {
        EXPECT_EQ(call.token.isCancelled(), call.frame == oldFrame);
    }
    EXPECT_TRUE(controller->isRunning());
}

TEST_F(CapturePipelineControllerTest, ARestartDropsAnOldPassSuspendedInTheSnapshotter)
{
    restartWhileSuspendedIn(Stage::snapshotter);
}

TEST_F(CapturePipelineControllerTest, ARestartDropsAnOldPassSuspendedInTheProcessor)
{
    restartWhileSuspendedIn(Stage::processor);
}

TEST_F(CapturePipelineControllerTest, ARestartDropsAnOldPassSuspendedInTheEncoder)
{
    restartWhileSuspendedIn(Stage::encoder);
}

TEST_F(CapturePipelineControllerTest, AStaleRunThatLosesTheTargetEndsSilently)
{
    processor->setDefaultResult(read({{"a", QStringLiteral("Hello")}}));
    snapshotter->failNext(WindowSnapshotError::Kind::targetUnavailable);
    snapshotter->holdNext();
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitUntil([&] { return snapshotter->gate().waitingCount() == 1; }));
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(1));
    snapshotter->gate().releaseOne();
    settle();
    EXPECT_EQ(events, QVector<CapturePipelineEvent>{changed("a", QStringLiteral("Hello"), 1)});
    EXPECT_TRUE(controller->isRunning());
    EXPECT_TRUE(controller->runID().has_value());
    ASSERT_TRUE(nextPass());
    EXPECT_EQ(snapshotter->callCount(), 3);
}

TEST_F(CapturePipelineControllerTest, StartingTwiceQuicklyLeavesOneLoop)
{
    processor->setDefaultResult(read({{"a", QStringLiteral("Hello")}}));
    controller->start(gameWindow(), twoAreas());
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(1));
    settle();
    EXPECT_EQ(snapshotter->callCount(), 1);
    EXPECT_EQ(events, QVector<CapturePipelineEvent>{changed("a", QStringLiteral("Hello"), 1)});
}

TEST_F(CapturePipelineControllerTest, AnEventHandlerMayStopOrRestartTheLoop)
{
    processor->setDefaultResult(read({{"a", QStringLiteral("Hello")}, {"b", QStringLiteral("World")}}));

    // Stopped at the first change: the second one is neither reported nor remembered.
    handler = [this](const CapturePipelineEvent &) { controller->stop(); };
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitUntil([&] { return !events.isEmpty(); }));
    settle();
    EXPECT_EQ(events, QVector<CapturePipelineEvent>{changed("a", QStringLiteral("Hello"), 1)});
    EXPECT_FALSE(controller->isRunning());
    EXPECT_TRUE(controller->lastTexts().isEmpty());
    EXPECT_EQ(snapshotter->callCount(), 1);
    EXPECT_EQ(sleeper->callCount(), 0);

    // Restarted at the first change: the old pass stops there, and the new run reports
    // both areas (the old one wrote nothing into the new run's texts).
    events.clear();
    int restarts = 0;
    handler = [this, &restarts](const CapturePipelineEvent &) {
        if (restarts++ == 0) {
            controller->start(gameWindow(), twoAreas());
        }
    };
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(1));
    settle();
    EXPECT_EQ(events,
        (QVector<CapturePipelineEvent>{changed("a", QStringLiteral("Hello"), 2),
            changed("a", QStringLiteral("Hello"), 3), changed("b", QStringLiteral("World"), 3)}));
    EXPECT_TRUE(controller->isRunning());
    EXPECT_EQ(snapshotter->callCount(), 3);

    // A handler may also replace itself.
    handler = [this](const CapturePipelineEvent &) { controller->setOnEvent(nullptr); };
    processor->enqueue(read({{"a", QStringLiteral("One")}, {"b", QStringLiteral("Two")}}));
    ASSERT_TRUE(nextPass());
    EXPECT_EQ(events.size(), 4);
    EXPECT_EQ(
        controller->lastTexts(), (QHash<QString, QString>{{"a", QStringLiteral("One")}, {"b", QStringLiteral("Two")}}));
}

TEST_F(CapturePipelineControllerTest, EachRunHasItsOwnRecognitionCacheAndEndsWithItsController)
{
    processor->setDefaultResult(read({{"a", QStringLiteral("Hello")}}));
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(1));
    ASSERT_TRUE(nextPass());
    controller->start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitForPass(3));
    ASSERT_EQ(processor->callCount(), 3);
    const auto &calls = processor->calls();
    ASSERT_NE(calls[0].cache, nullptr);
    EXPECT_EQ(calls[0].cache, calls[1].cache);
    ASSERT_NE(calls[2].cache, nullptr);
    EXPECT_NE(calls[2].cache, calls[0].cache);

    // Destroying the controller ends its sleeping loop.
    controller.reset();
    settle();
    EXPECT_EQ(sleeper->sleepingCount(), 0);
    EXPECT_EQ(snapshotter->callCount(), 3);

    // A controller destroyed before its loop begins: the loop does nothing.
    auto other = std::make_unique<CapturePipelineController>(
        snapshotter, processor, encoder, sleeper, std::make_shared<FixedCapturePipelineTiming>(1000));
    other->start(gameWindow(), twoAreas());
    other.reset();
    settle();
    EXPECT_EQ(snapshotter->callCount(), 3);
}

TEST(TaskCapturePipelineSleeper, WaitsUntilTheDeadlineAndEndsEarlyWhenCancelled)
{
    TaskCapturePipelineSleeper sleeper;
    const auto deadline = sleeper.now() + 80ms;
    runTask(sleeper.sleep(deadline, CancellationToken()));
    EXPECT_GE(CapturePipelineSleeping::Clock::now(), deadline);

    CancellationToken token;
    QTimer::singleShot(20, [token] { token.cancel(); });
    EXPECT_THROW(runTask(sleeper.sleep(sleeper.now() + 1h, token)), CancellationError);
}

TEST(CapturePipelineControllerCadence, PassesAreAtLeastOneSecondApart)
{
    auto snapshotter = std::make_shared<FakeWindowSnapshotter>();
    auto processor = std::make_shared<FakeCaptureFrameProcessor>();
    QVector<CapturePipelineSleeping::Clock::time_point> passes;
    processor->setResponder([&passes](const FakeCaptureFrameProcessor::Call &) {
        passes.append(CapturePipelineSleeping::Clock::now());
        return QVector<CaptureAreaText>();
    });
    CapturePipelineController controller(snapshotter, processor,
        std::make_shared<FakeTranslationReportScreenshotEncoder>(), std::make_shared<TaskCapturePipelineSleeper>(),
        std::make_shared<FixedCapturePipelineTiming>(10));
    controller.start(gameWindow(), twoAreas());
    ASSERT_TRUE(waitUntil([&] { return passes.size() >= 2; }, 30000));
    controller.stop();
    settle();
    EXPECT_GE(passes[1] - passes[0], 1s);
}
