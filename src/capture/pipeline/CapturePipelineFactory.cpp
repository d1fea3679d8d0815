#include "capture/pipeline/CapturePipelineFactory.h"

#include "capture/fixtures/FixtureCaptureFrameProcessor.h"
#include "capture/pipeline/JPEGTranslationReportScreenshotEncoder.h"
#include "capture/pipeline/TaskCapturePipelineSleeper.h"
#include "capture/recognition/DialogueSearchRegionDetector.h"
#include "capture/recognition/TesseractTextRecognizer.h"

#include <malloc.h>

#include <mutex>

namespace veyra {

namespace {

// Recognition and the frames it reads work with blocks of a few hundred KiB to several
// MiB that live for one pass. After such a block is freed, glibc raises the size from
// which it maps a block of its own (up to 32 MiB), so that later ones are carved from the
// worker threads' heaps, where the space stays resident once they are freed: 16 MiB of a
// session in bench/session_memory. A fixed threshold (glibc's first one, 128 KiB) gives
// every larger block its own mapping, returned to the system when it is freed. The
// setting is the process's: made once, when the live processor is made.
void keepLargeBlocksOutOfTheHeaps()
{
    static std::once_flag once;
    std::call_once(once, [] { ::mallopt(M_MMAP_THRESHOLD, 128 * 1024); });
}

} // namespace

std::shared_ptr<DefaultCaptureFrameProcessor> makeDefaultCaptureFrameProcessor()
{
    keepLargeBlocksOutOfTheHeaps();
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
