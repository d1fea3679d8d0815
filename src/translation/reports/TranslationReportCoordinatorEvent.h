#pragma once

#include "translation/reports/TranslationReportTarget.h"

#include <optional>

namespace veyra {

// The outcome of a report of a wrong translation.
struct TranslationReportCoordinatorEvent
{
    enum class Kind {
        // The server accepted the report of the target.
        submitted,
        // The report of the target was not made.
        failed,
        // The running report was cancelled.
        cancelled,
    };

    Kind kind = Kind::cancelled;
    // Present for submitted and failed.
    std::optional<TranslationReportTarget> target;

    static TranslationReportCoordinatorEvent submitted(TranslationReportTarget target)
    {
        return {Kind::submitted, std::move(target)};
    }
    static TranslationReportCoordinatorEvent failed(TranslationReportTarget target)
    {
        return {Kind::failed, std::move(target)};
    }
    static TranslationReportCoordinatorEvent cancelled() { return {Kind::cancelled, std::nullopt}; }

    bool operator==(const TranslationReportCoordinatorEvent &) const = default;
};

} // namespace veyra
