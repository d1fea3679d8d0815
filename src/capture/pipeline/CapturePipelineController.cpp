#include "capture/pipeline/CapturePipelineController.h"

#include "capture/target/GameWindowProfileKey.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/errors/Error.h"
#include "foundation/text/TextNormalization.h"

#include <chrono>
#include <utility>

namespace veyra {

namespace {

bool isTargetUnavailable(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const WindowSnapshotError &snapshotError) {
        return snapshotError.kind() == WindowSnapshotError::Kind::targetUnavailable;
    } catch (...) {
        return false;
    }
}

// A cancellation of our own run. A cancellation error that did not come from our token is
// an ordinary failure: the run goes on.
bool isOwnCancellation(const std::exception_ptr &error, const CancellationToken &token)
{
    return token.isCancelled() && isCancellation(error);
}

struct Change
{
    QString areaID;
    QString text;
};

// The entries whose normalised text is not empty and differs from the last reported text of
// their area, in the order given.
QVector<Change> collectChanges(const QHash<QString, QString> &lastTexts, const QVector<CaptureAreaText> &texts)
{
    QVector<Change> changes;
    for (const CaptureAreaText &entry : texts) {
        QString text = collapseWhitespace(entry.text);
        if (text.isEmpty()) {
            continue;
        }
        const auto last = lastTexts.constFind(entry.areaID);
        if (last != lastTexts.constEnd() && canonicallyEqual(*last, text)) {
            continue;
        }
        changes.append({entry.areaID, std::move(text)});
    }
    return changes;
}

void logPeriodicCaptureFailure(const Logger &logger, const std::exception_ptr &error)
{
    qCCritical(logger).noquote() << QStringLiteral("Periodic capture failed: %1").arg(describeError(error));
}

} // namespace

// One run of the loop: what start() was given, the collaborators (held strongly, so that
// a call in progress survives the controller) and the run's own recognition cache.
struct CapturePipelineController::Run
{
    QPointer<CapturePipelineController> controller;
    QUuid runID;
    CancellationToken token;
    CaptureTarget target;
    CaptureAreaProfile profile;
    std::shared_ptr<WindowSnapshotCapturing> snapshotter;
    std::shared_ptr<CaptureFrameProcessing> processor;
    std::shared_ptr<TranslationReportScreenshotEncoding> screenshotEncoder;
    std::shared_ptr<CapturePipelineSleeping> sleeper;
    Logger logger;
    std::shared_ptr<CaptureFrameRecognitionCache> recognitionCache;

    // The run check: not cancelled, still the controller's current run.
    bool isCurrent() const { return !token.isCancelled() && controller && controller->m_runID == runID; }

    void emitTextChanged(
        const QString &areaID, const QString &text, const std::optional<TranslationReportScreenshot> &screenshot) const
    {
        emitEvent(CapturePipelineEvent::textChanged(CaptureAreaText{areaID, text, screenshot}));
    }

    void emitEvent(const CapturePipelineEvent &event) const
    {
        if (controller && controller->m_onEvent) {
            // A copy: the handler may replace itself, stop or restart the loop.
            const EventHandler handler = controller->m_onEvent;
            handler(event);
        }
    }
};

CapturePipelineController::CapturePipelineController(std::shared_ptr<WindowSnapshotCapturing> snapshotter,
    std::shared_ptr<CaptureFrameProcessing> processor,
    std::shared_ptr<TranslationReportScreenshotEncoding> screenshotEncoder,
    std::shared_ptr<CapturePipelineSleeping> sleeper, std::shared_ptr<CapturePipelineTimingProviding> timing,
    Logger logger, QObject *parent)
    : QObject(parent)
    , m_snapshotter(std::move(snapshotter))
    , m_processor(std::move(processor))
    , m_screenshotEncoder(std::move(screenshotEncoder))
    , m_sleeper(std::move(sleeper))
    , m_timing(std::move(timing))
    , m_logger(std::move(logger))
{ }

CapturePipelineController::~CapturePipelineController()
{
    // Wake a sleeping loop so that it ends now rather than a second later.
    if (m_task) {
        m_task->cancel();
    }
    endCapture();
}

void CapturePipelineController::stop()
{
    endRun();
    endCapture();
}

void CapturePipelineController::endRun()
{
    if (m_task) {
        const CancellationToken token = *m_task;
        m_task.reset();
        token.cancel();
    }
    m_runID.reset();
    m_lastTexts.clear();
    m_isRunning = false;
}

void CapturePipelineController::endCapture()
{
    if (const std::optional<CaptureTarget> target = std::exchange(m_capturedTarget, std::nullopt)) {
        m_snapshotter->endCapture(*target);
    }
}

void CapturePipelineController::start(CaptureTarget target, CaptureAreaProfile profile)
{
    endRun();
    // The same window again keeps what capturing set up for it (a freshly redirected
    // window needs a moment to repaint before its first capture).
    if (m_capturedTarget
        && (m_capturedTarget->windowID != target.windowID || m_capturedTarget->processID != target.processID)) {
        endCapture();
    }
    m_capturedTarget = target;
    const QUuid runID = QUuid::createUuid();
    m_runID = runID;
    m_lastTexts.clear();
    m_isRunning = true;
    const CancellationToken token;
    auto run = std::make_shared<Run>(Run{this, runID, token, std::move(target), std::move(profile), m_snapshotter,
        m_processor, m_screenshotEncoder, m_sleeper, m_logger, std::make_shared<CaptureFrameRecognitionCache>()});
    m_task = token;
    startDetachedTask(
        this, [run](QPointer<CapturePipelineController>) { return runCaptureLoop(run); }, m_logger);
}

QCoro::Task<void> CapturePipelineController::runCaptureLoop(std::shared_ptr<Run> run)
{
    // start() returns before the first pass begins; there is no other initial wait.
    co_await NextEventLoopTurn();
    for (;;) {
        if (!run->isCurrent()) {
            co_return;
        }
        PassOutcome outcome = PassOutcome::wait;
        try {
            outcome = co_await runPass(run);
        } catch (...) {
            // Whatever a collaborator or an event handler threw: a passing failure, unless
            // the run itself was cancelled.
            if (isOwnCancellation(std::current_exception(), run->token)) {
                co_return;
            }
            logPeriodicCaptureFailure(run->logger, std::current_exception());
        }
        if (outcome == PassOutcome::end || !run->isCurrent()) {
            co_return;
        }
        // Exactly one second from the end of the pass; missed seconds are not caught up.
        const auto deadline = run->sleeper->now() + std::chrono::seconds(1);
        try {
            co_await run->sleeper->sleep(deadline, run->token);
        } catch (...) {
            if (run->token.isCancelled()) {
                co_return;
            }
            logPeriodicCaptureFailure(run->logger, std::current_exception());
        }
    }
}

QCoro::Task<CapturePipelineController::PassOutcome> CapturePipelineController::runPass(std::shared_ptr<Run> run)
{
    std::optional<CapturedWindowSnapshot> snapshot;
    std::exception_ptr captureError;
    try {
        snapshot = co_await run->snapshotter->capture(run->target);
    } catch (...) {
        captureError = std::current_exception();
    }
    if (captureError) {
        if (isTargetUnavailable(captureError)) {
            // Only the current run stops the controller; its cancellation is not consulted.
            if (run->controller && run->controller->m_runID == run->runID) {
                CapturePipelineController *controller = run->controller;
                controller->m_task.reset();
                controller->m_runID.reset();
                controller->m_isRunning = false;
                controller->endCapture();
                run->emitEvent(CapturePipelineEvent::targetUnavailable());
            }
            co_return PassOutcome::end;
        }
        if (isOwnCancellation(captureError, run->token)) {
            co_return PassOutcome::end;
        }
        logPeriodicCaptureFailure(run->logger, captureError);
        co_return PassOutcome::wait;
    }

    const QVector<CaptureAreaText> texts
        = co_await run->processor->process(snapshot->image, run->profile, run->token, run->recognitionCache);
    if (!run->isCurrent()) {
        co_return PassOutcome::end;
    }

    const QVector<Change> changes = collectChanges(run->controller->m_lastTexts, texts);
    if (changes.isEmpty()) {
        co_return PassOutcome::wait;
    }

    std::optional<TranslationReportScreenshot> screenshot;
    std::exception_ptr encodingError;
    try {
        screenshot = co_await run->screenshotEncoder->encode(snapshot->image);
    } catch (...) {
        encodingError = std::current_exception();
    }
    if (encodingError) {
        if (isOwnCancellation(encodingError, run->token)) {
            co_return PassOutcome::end;
        }
        qCCritical(run->logger).noquote()
            << QStringLiteral("Translation report screenshot encoding failed: %1").arg(describeError(encodingError));
    }

    // The run check before every change: a handler may stop or restart the loop, and a
    // stale run must neither emit nor write into the new run's texts.
    for (const Change &change : changes) {
        if (!run->isCurrent()) {
            co_return PassOutcome::end;
        }
        run->controller->m_lastTexts.insert(change.areaID, change.text);
        run->emitTextChanged(change.areaID, change.text, screenshot);
    }
    co_return PassOutcome::wait;
}

} // namespace veyra
