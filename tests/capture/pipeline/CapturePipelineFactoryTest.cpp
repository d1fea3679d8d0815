// Test label: unit
#include "capture/pipeline/CapturePipelineFactory.h"
#include "capture/fixtures/FixtureCaptureFrameProcessor.h"
#include "capture/pipeline/JPEGTranslationReportScreenshotEncoder.h"
#include "capture/pipeline/TaskCapturePipelineSleeper.h"
#include "support/FakeWindowSnapshotter.h"

#include <gtest/gtest.h>

using namespace veyra;

TEST(CapturePipelineFactory, BuildsAnIdleLoopWithTheProcessorOfTheMode)
{
    auto snapshotter = std::make_shared<veyra::test::FakeWindowSnapshotter>();
    auto timing = std::make_shared<FixedCapturePipelineTiming>(1000);

    const auto fixture = makeCapturePipelineController(snapshotter, true, timing);
    EXPECT_NE(std::dynamic_pointer_cast<FixtureCaptureFrameProcessor>(fixture->processor()), nullptr);
    const auto live = makeCapturePipelineController(snapshotter, false, timing);
    EXPECT_NE(std::dynamic_pointer_cast<DefaultCaptureFrameProcessor>(live->processor()), nullptr);

    for (const auto *controller : {fixture.get(), live.get()}) {
        EXPECT_FALSE(controller->isRunning());
        EXPECT_FALSE(controller->onEvent());
        EXPECT_FALSE(controller->runID());
        EXPECT_TRUE(controller->lastTexts().isEmpty());
        EXPECT_EQ(controller->snapshotter(), snapshotter);
        EXPECT_EQ(controller->timing(), timing);
        EXPECT_EQ(controller->timing()->intervalMilliseconds(), 1000);
        EXPECT_NE(std::dynamic_pointer_cast<JPEGTranslationReportScreenshotEncoder>(controller->screenshotEncoder()),
            nullptr);
        EXPECT_NE(std::dynamic_pointer_cast<TaskCapturePipelineSleeper>(controller->sleeper()), nullptr);
    }
}
