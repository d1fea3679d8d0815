#include "translation/reports/FixtureTranslationErrorReporter.h"

namespace veyra {

FixtureTranslationErrorReporter::FixtureTranslationErrorReporter(std::shared_ptr<Sleeper> sleeper)
    : m_sleeper(std::move(sleeper))
{ }

QCoro::Task<void> FixtureTranslationErrorReporter::report(
    QUuid translationID, TranslationReportScreenshot screenshot, CancellationToken token)
{
    Q_UNUSED(translationID);
    Q_UNUSED(screenshot);
    const std::shared_ptr<Sleeper> sleeper = m_sleeper;
    co_await sleeper->sleepFor(answerDelay, token);
}

} // namespace veyra
