#pragma once

#include "capture/pipeline/TranslationReportScreenshot.h"
#include "foundation/async/CancellationToken.h"

#include <QUuid>

#include <qcoro/qcorotask.h>

namespace veyra {

// Reports a wrong translation together with the frame its source text was read from.
// Returning means the server accepted the report. Called on the GUI thread. Throws
// CancellationError only when the token was cancelled, any other error for a report
// that was not accepted.
class TranslationErrorReporting
{
public:
    virtual ~TranslationErrorReporting() = default;

    virtual QCoro::Task<void> report(
        QUuid translationID, TranslationReportScreenshot screenshot, CancellationToken token)
        = 0;
};

} // namespace veyra
