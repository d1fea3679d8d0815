#include "translation/reports/TranslationReportCoordinator.h"

#include "capture/target/GameWindowProfileKey.h"
#include "foundation/text/TextNormalization.h"

namespace veyra {

TranslationReportCoordinator::TranslationReportCoordinator(
    std::shared_ptr<TranslationErrorReporting> reporter, QObject *parent)
    : QObject(parent)
    , m_reporter(std::move(reporter))
{ }

TranslationReportCoordinator::~TranslationReportCoordinator()
{
    // The upload ends; its task finds the coordinator gone and reports nothing.
    if (m_task) {
        m_task->cancel();
    }
}

void TranslationReportCoordinator::retainScreenshot(const CaptureAreaText &areaText)
{
    if (areaText.reportScreenshot) {
        m_screenshotsByAreaID.insert(
            areaText.areaID, RetainedScreenshot{collapseWhitespace(areaText.text), *areaText.reportScreenshot});
    } else {
        m_screenshotsByAreaID.remove(areaText.areaID);
    }
}

std::optional<TranslationReportScreenshot> TranslationReportCoordinator::retainedScreenshot(
    const QString &areaID, const QString &sourceText) const
{
    const auto it = m_screenshotsByAreaID.constFind(areaID);
    if (it == m_screenshotsByAreaID.constEnd() || !canonicallyEqual(it->sourceText, collapseWhitespace(sourceText))) {
        return std::nullopt;
    }
    return it->screenshot;
}

void TranslationReportCoordinator::submitReport(const TranslationReportTarget &target)
{
    if (m_task || !m_reporter) {
        send(TranslationReportCoordinatorEvent::failed(target));
        return;
    }
    const std::optional<TranslationReportScreenshot> screenshot = retainedScreenshot(target.areaID, target.sourceText);
    if (!screenshot) {
        send(TranslationReportCoordinatorEvent::failed(target));
        return;
    }
    m_activeTarget = target;
    m_task = startTaskOnActor(
        this,
        [reporter = m_reporter, target, screenshot = *screenshot](
            QPointer<TranslationReportCoordinator> self, CancellationToken token) -> QCoro::Task<void> {
            Outcome outcome = Outcome::submitted;
            try {
                co_await reporter->report(target.translationID, screenshot, token);
            } catch (const CancellationError &) {
                co_return;
            } catch (...) {
                // The reporter has logged what it logs; the owner shows its own message.
                outcome = Outcome::failed;
            }
            if (!self || token.isCancelled()) {
                co_return;
            }
            self->finishReport(target, outcome);
        },
        m_logger);
}

void TranslationReportCoordinator::finishReport(const TranslationReportTarget &target, Outcome outcome)
{
    if (!m_activeTarget || *m_activeTarget != target) {
        return;
    }
    m_task.reset();
    m_activeTarget.reset();
    send(outcome == Outcome::submitted ? TranslationReportCoordinatorEvent::submitted(target)
                                       : TranslationReportCoordinatorEvent::failed(target));
}

void TranslationReportCoordinator::cancelReport()
{
    const bool wasReporting = m_task || m_activeTarget;
    if (m_task) {
        m_task->cancel();
    }
    m_task.reset();
    m_activeTarget.reset();
    if (wasReporting) {
        send(TranslationReportCoordinatorEvent::cancelled());
    }
}

void TranslationReportCoordinator::cancelReportIfSourceTextChanged(const QString &areaID, const QString &text)
{
    if (m_activeTarget && m_activeTarget->areaID == areaID
        && !canonicallyEqual(collapseWhitespace(m_activeTarget->sourceText), collapseWhitespace(text))) {
        cancelReport();
    }
}

void TranslationReportCoordinator::reset()
{
    cancelReport();
    m_screenshotsByAreaID.clear();
}

void TranslationReportCoordinator::send(const TranslationReportCoordinatorEvent &event)
{
    if (!m_onEvent) {
        return;
    }
    // The handler may replace itself or submit another report while it runs.
    const EventHandler handler = m_onEvent;
    handler(event);
}

} // namespace veyra
