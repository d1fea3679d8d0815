#include "overlay/state/OverlayTextRow.h"

namespace veyra {

OverlayTextRow OverlayTextRow::translating(QString areaID, QString sourceText)
{
    return {std::move(areaID), std::move(sourceText), std::nullopt, OverlayTranslationState::translating, std::nullopt,
        std::nullopt, std::nullopt};
}

OverlayTextRow OverlayTextRow::translated(QString areaID, QString sourceText, QString translatedText,
    std::optional<QUuid> translationID, std::optional<QString> gameTitle, TranslationTargetLanguage targetLanguage)
{
    return {std::move(areaID), std::move(sourceText), std::move(translatedText), OverlayTranslationState::translated,
        std::move(translationID), std::move(gameTitle), targetLanguage};
}

OverlayTextRow OverlayTextRow::failed(QString areaID, QString sourceText)
{
    return {std::move(areaID), std::move(sourceText), std::nullopt, OverlayTranslationState::failed, std::nullopt,
        std::nullopt, std::nullopt};
}

QVector<TranslationReportTarget> reportTargets(const QVector<OverlayTextRow> &rows)
{
    QVector<TranslationReportTarget> targets;
    for (const OverlayTextRow &row : rows) {
        if (row.translationState != OverlayTranslationState::translated || !row.translationID || !row.translatedText
            || !row.targetLanguage) {
            continue;
        }
        targets.append(
            {row.id, *row.translationID, row.sourceText, *row.translatedText, row.gameTitle, *row.targetLanguage});
    }
    return targets;
}

} // namespace veyra
