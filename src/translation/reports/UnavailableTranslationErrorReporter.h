#pragma once

#include "translation/reports/TranslationErrorReporting.h"

namespace veyra {

// The reporter of an application without a valid server base URL: every report fails
// with TranslationClientError::invalidConfiguration.
class UnavailableTranslationErrorReporter : public TranslationErrorReporting
{
public:
    QCoro::Task<void> report(
        QUuid translationID, TranslationReportScreenshot screenshot, CancellationToken token) override;
};

} // namespace veyra
