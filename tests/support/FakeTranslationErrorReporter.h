#pragma once

#include "support/ManualCall.h"
#include "translation/reports/TranslationErrorReporting.h"

#include <vector>

namespace veyra::test {

// A reporter whose calls finish only when the test finishes them (see ManualCall).
class FakeTranslationErrorReporter : public TranslationErrorReporting
{
public:
    struct Call : ManualCall<void>
    {
        Call(QUuid callTranslationID, TranslationReportScreenshot callScreenshot, CancellationToken callToken)
            : ManualCall(std::move(callToken))
            , translationID(callTranslationID)
            , screenshot(std::move(callScreenshot))
        { }
        const QUuid translationID;
        const TranslationReportScreenshot screenshot;
    };

    QCoro::Task<void> report(
        QUuid translationID, TranslationReportScreenshot screenshot, CancellationToken token) override
    {
        auto call = std::make_shared<Call>(translationID, std::move(screenshot), std::move(token));
        calls.push_back(call);
        // A named awaiter: g++ 12 destroys a temporary of a co_await expression twice.
        auto finished = call->untilFinished();
        co_await finished;
        call->outcome();
    }

    std::vector<std::shared_ptr<Call>> calls;
};

} // namespace veyra::test
