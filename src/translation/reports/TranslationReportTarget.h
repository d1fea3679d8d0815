#pragma once

#include "translation/translations/TranslationTargetLanguage.h"

#include <QString>
#include <QUuid>

#include <optional>

namespace veyra {

// One translated overlay row that may be reported as a wrong translation. Two targets
// are the same row only when all six fields are equal.
struct TranslationReportTarget
{
    QString areaID;
    QUuid translationID;
    QString sourceText;
    QString translatedText;
    std::optional<QString> gameTitle;
    TranslationTargetLanguage targetLanguage = TranslationTargetLanguage::english;

    const QUuid &id() const { return translationID; }

    bool operator==(const TranslationReportTarget &) const = default;
};

} // namespace veyra
