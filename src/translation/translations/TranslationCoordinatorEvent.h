#pragma once

#include "translation/translations/CompletedTranslation.h"

#include <QString>

#include <optional>

namespace veyra {

// The outcome of the latest translation request of a capture area.
struct TranslationCoordinatorEvent
{
    enum class Kind {
        // The request finished with a non-empty translation.
        succeeded,
        // The request failed, came back empty, or was refused as too long.
        failed,
    };

    Kind kind = Kind::failed;
    QString areaID;
    // The normalised text of the request.
    QString sourceText;
    // Present for succeeded only.
    std::optional<CompletedTranslation> translation;

    static TranslationCoordinatorEvent succeeded(QString areaID, CompletedTranslation translation)
    {
        QString sourceText = translation.sourceText;
        return {Kind::succeeded, std::move(areaID), std::move(sourceText), std::move(translation)};
    }
    static TranslationCoordinatorEvent failed(QString areaID, QString sourceText)
    {
        return {Kind::failed, std::move(areaID), std::move(sourceText), std::nullopt};
    }

    bool operator==(const TranslationCoordinatorEvent &) const = default;
};

} // namespace veyra
