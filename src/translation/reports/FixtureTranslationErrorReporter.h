#pragma once

#include "foundation/async/Sleeper.h"
#include "translation/reports/TranslationErrorReporting.h"

#include <memory>

namespace veyra {

// The reporter of UI-testing mode: every report is accepted after 0.3 seconds.
class FixtureTranslationErrorReporter : public TranslationErrorReporting
{
public:
    static constexpr std::chrono::milliseconds answerDelay{300};

    explicit FixtureTranslationErrorReporter(std::shared_ptr<Sleeper> sleeper = std::make_shared<TimerSleeper>());

    QCoro::Task<void> report(
        QUuid translationID, TranslationReportScreenshot screenshot, CancellationToken token) override;

private:
    std::shared_ptr<Sleeper> m_sleeper;
};

} // namespace veyra
