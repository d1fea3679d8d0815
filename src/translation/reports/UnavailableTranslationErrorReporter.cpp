#include "translation/reports/UnavailableTranslationErrorReporter.h"

#include "translation/translations/TranslationClientError.h"

namespace veyra {

QCoro::Task<void> UnavailableTranslationErrorReporter::report(
    QUuid translationID, TranslationReportScreenshot screenshot, CancellationToken token)
{
    Q_UNUSED(translationID);
    Q_UNUSED(screenshot);
    Q_UNUSED(token);
    throw TranslationClientError(TranslationClientError::Kind::invalidConfiguration);
    co_return;
}

} // namespace veyra
