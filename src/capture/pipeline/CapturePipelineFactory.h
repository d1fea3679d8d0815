#pragma once

#include "capture/pipeline/CapturePipelineController.h"
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "capture/pipeline/FixedCapturePipelineTiming.h"

#include <memory>

namespace veyra {

// The frame processor of the running application: Tesseract recognition and the
// background-colour detector on the shared CPU pool, logging as "CapturePipeline".
std::shared_ptr<DefaultCaptureFrameProcessor> makeDefaultCaptureFrameProcessor();

// The one capture loop of the application: the fixture processor in fixture mode, else
// the default one; a JPEG encoder for reports; the event-loop sleeper; no event handler.
std::unique_ptr<CapturePipelineController> makeCapturePipelineController(
    std::shared_ptr<WindowSnapshotCapturing> snapshotter, bool isUITesting,
    std::shared_ptr<FixedCapturePipelineTiming> timing);

} // namespace veyra
