#pragma once

#include "capture/areas/CaptureArea.h"
#include "capture/pipeline/CapturePipelineEvent.h"
#include "capture/target/CaptureTarget.h"

#include <functional>

namespace veyra {

// The once-a-second capture loop as its users see it. GUI thread only.
class CapturePipelineRunning
{
public:
    // Called on the GUI thread, synchronously from the loop; it may stop or restart the loop.
    using EventHandler = std::function<void(const CapturePipelineEvent &)>;

    virtual ~CapturePipelineRunning() = default;

    virtual const EventHandler &onEvent() const = 0;
    virtual void setOnEvent(EventHandler handler) = 0;

    // True from start() until stop() or the loss of the target.
    virtual bool isRunning() const = 0;

    // Starts a new run for the window and its capture areas (ending the current one) and
    // returns at once; the first pass begins on the next turn of the event loop.
    virtual void start(CaptureTarget target, CaptureAreaProfile profile) = 0;

    // Ends the current run, if any.
    virtual void stop() = 0;
};

} // namespace veyra
