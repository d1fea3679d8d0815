#pragma once

#include "capture/pipeline/CaptureAreaText.h"
#include "foundation/async/TaskOnActor.h"
#include "foundation/logging/Logger.h"
#include "translation/reports/TranslationErrorReporting.h"
#include "translation/reports/TranslationReportCoordinatorEvent.h"

#include <QHash>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace veyra {

// Reports wrong translations with the very frame their source text was read from. It
// keeps the latest screenshot of each capture area together with the text it showed,
// runs one report at a time, cancels the running report when its area's text changes,
// and tells its owner the outcome through onEvent. Texts are compared after
// collapseWhitespace(), in their NFC form. GUI thread only; it shows and logs nothing
// itself.
class TranslationReportCoordinator : public QObject
{
    Q_OBJECT

public:
    using EventHandler = std::function<void(const TranslationReportCoordinatorEvent &)>;

    // The screenshot kept for one capture area and the normalised text it showed.
    struct RetainedScreenshot
    {
        QString sourceText;
        TranslationReportScreenshot screenshot;

        bool operator==(const RetainedScreenshot &) const = default;
    };

    explicit TranslationReportCoordinator(
        std::shared_ptr<TranslationErrorReporting> reporter, QObject *parent = nullptr);
    ~TranslationReportCoordinator() override;

    // Called synchronously on the GUI thread; it may call back into the coordinator.
    const EventHandler &onEvent() const { return m_onEvent; }
    void setOnEvent(EventHandler handler) { m_onEvent = std::move(handler); }

    // Keeps the text's screenshot for its area, or forgets the area's screenshot when the
    // text came without one.
    void retainScreenshot(const CaptureAreaText &areaText);
    // The area's screenshot, only when it was taken of this source text.
    std::optional<TranslationReportScreenshot> retainedScreenshot(
        const QString &areaID, const QString &sourceText) const;

    // Uploads the row's screenshot. Fails at once (failed event) while another report
    // runs, without a reporter, or without a screenshot of the row's text.
    void submitReport(const TranslationReportTarget &target);
    // Cancels the running report (cancelled event); does nothing while idle.
    void cancelReport();
    // Cancels the running report when it is of this area and the area now shows another text.
    void cancelReportIfSourceTextChanged(const QString &areaID, const QString &text);
    // cancelReport(), then forgets every screenshot.
    void reset();

    const std::shared_ptr<TranslationErrorReporting> &reporter() const { return m_reporter; }
    const std::optional<ActorTask> &task() const { return m_task; }
    const std::optional<TranslationReportTarget> &activeTarget() const { return m_activeTarget; }
    const QHash<QString, RetainedScreenshot> &screenshotsByAreaID() const { return m_screenshotsByAreaID; }

private:
    enum class Outcome { submitted, failed };

    void finishReport(const TranslationReportTarget &target, Outcome outcome);
    void send(const TranslationReportCoordinatorEvent &event);

    EventHandler m_onEvent;
    const std::shared_ptr<TranslationErrorReporting> m_reporter;
    std::optional<ActorTask> m_task;
    std::optional<TranslationReportTarget> m_activeTarget;
    QHash<QString, RetainedScreenshot> m_screenshotsByAreaID;
    Logger m_logger{"TranslationErrorReport"};
};

} // namespace veyra
