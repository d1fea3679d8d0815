#pragma once

#include "capture/pipeline/CaptureFrameProcessing.h"
#include "capture/pipeline/CapturePipelineRunning.h"
#include "capture/pipeline/CapturePipelineSleeping.h"
#include "capture/pipeline/CapturePipelineTimingProviding.h"
#include "capture/pipeline/TranslationReportScreenshot.h"
#include "capture/windows/WindowSnapshotCapturing.h"
#include "foundation/async/CancellationToken.h"
#include "foundation/logging/Logger.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUuid>

#include <memory>
#include <optional>

namespace veyra {

// The capture loop: while running, captures the target window, lets the processor read
// every capture area, reports each area whose text changed (one JPEG of the frame shared
// by all changes of a pass) and waits one second after the end of the pass.
//
// Each run is a detached task on the GUI thread with its own identifier and cancellation
// token; a run that is no longer the current one ends at its next check without any
// effect, even when it was suspended in a collaborator when the new run began. The
// collaborators do their heavy work off the GUI thread.
//
// When capturing stops (stop, the loss of the target, the controller's end) or moves on to
// another window, the snapshotter is told (endCapture), so that the game is no longer
// redirected and no memory is kept for it; a restart for the same window keeps both.
class CapturePipelineController : public QObject, public CapturePipelineRunning
{
    Q_OBJECT

public:
    CapturePipelineController(std::shared_ptr<WindowSnapshotCapturing> snapshotter,
        std::shared_ptr<CaptureFrameProcessing> processor,
        std::shared_ptr<TranslationReportScreenshotEncoding> screenshotEncoder,
        std::shared_ptr<CapturePipelineSleeping> sleeper, std::shared_ptr<CapturePipelineTimingProviding> timing,
        Logger logger = Logger("CapturePipeline"), QObject *parent = nullptr);
    ~CapturePipelineController() override;

    const EventHandler &onEvent() const override { return m_onEvent; }
    void setOnEvent(EventHandler handler) override { m_onEvent = std::move(handler); }
    bool isRunning() const override { return m_isRunning; }
    void start(CaptureTarget target, CaptureAreaProfile profile) override;
    void stop() override;

    const std::shared_ptr<WindowSnapshotCapturing> &snapshotter() const { return m_snapshotter; }
    const std::shared_ptr<CaptureFrameProcessing> &processor() const { return m_processor; }
    const std::shared_ptr<TranslationReportScreenshotEncoding> &screenshotEncoder() const
    {
        return m_screenshotEncoder;
    }
    const std::shared_ptr<CapturePipelineSleeping> &sleeper() const { return m_sleeper; }
    const std::shared_ptr<CapturePipelineTimingProviding> &timing() const { return m_timing; }

    // The identifier of the current run; nothing while idle.
    const std::optional<QUuid> &runID() const { return m_runID; }
    // The last text reported per area identifier in the current run, normalised.
    const QHash<QString, QString> &lastTexts() const { return m_lastTexts; }

private:
    struct Run;
    enum class PassOutcome { wait, end };

    static QCoro::Task<void> runCaptureLoop(std::shared_ptr<Run> run);
    static QCoro::Task<PassOutcome> runPass(std::shared_ptr<Run> run);
    void endRun();
    void endCapture();

    EventHandler m_onEvent;
    bool m_isRunning = false;
    std::shared_ptr<WindowSnapshotCapturing> m_snapshotter;
    std::shared_ptr<CaptureFrameProcessing> m_processor;
    std::shared_ptr<TranslationReportScreenshotEncoding> m_screenshotEncoder;
    std::shared_ptr<CapturePipelineSleeping> m_sleeper;
    std::shared_ptr<CapturePipelineTimingProviding> m_timing;
    Logger m_logger;
    // The running loop's token; cancelling it ends the loop.
    std::optional<CancellationToken> m_task;
    std::optional<QUuid> m_runID;
    QHash<QString, QString> m_lastTexts;
    // The window being captured, until the snapshotter has been told that capturing ended.
    std::optional<CaptureTarget> m_capturedTarget;
};

} // namespace veyra
