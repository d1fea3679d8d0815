#include "capture/pipeline/CapturePipelineFactory.h"

#include "capture/fixtures/FixtureCaptureFrameProcessor.h"
#include "capture/pipeline/JPEGTranslationReportScreenshotEncoder.h"
#include "capture/pipeline/TaskCapturePipelineSleeper.h"
#include "capture/recognition/DialogueSearchRegionDetector.h"
#include "capture/recognition/TesseractTextRecognizer.h"

namespace veyra {

std::shared_ptr<DefaultCaptureFrameProcessor> makeDefaultCaptureFrameProcessor()
{
    return std::make_shared<DefaultCaptureFrameProcessor>(std::make_shared<TesseractTextRecognizer>(),
        std::make_shared<DialogueSearchRegionDetector>(), Logger("CapturePipeline"));
}

std::unique_ptr<CapturePipelineController> makeCapturePipelineController(
    std::shared_ptr<WindowSnapshotCapturing> snapshotter, bool isUITesting,
    std::shared_ptr<FixedCapturePipelineTiming> timing)
{
    std::shared_ptr<CaptureFrameProcessing> processor;
    if (isUITesting) {
        processor = std::make_shared<FixtureCaptureFrameProcessor>();
    } else {
        processor = makeDefaultCaptureFrameProcessor();
    }
    return std::make_unique<CapturePipelineController>(std::move(snapshotter), std::move(processor),
        std::make_shared<JPEGTranslationReportScreenshotEncoder>(), std::make_shared<TaskCapturePipelineSleeper>(),
        std::move(timing), Logger("CapturePipeline"));
}

} // namespace veyra
