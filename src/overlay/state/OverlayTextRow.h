#pragma once

#include "translation/reports/TranslationReportTarget.h"
#include "translation/translations/TranslationTargetLanguage.h"

#include <QString>
#include <QUuid>
#include <QVector>

#include <optional>

namespace veyra {

// Where one overlay row stands.
enum class OverlayTranslationState { translating, translated, failed };

// What the overlay shows for one capture area. Rows are values: every change replaces the
// area's row whole. Only the three shapes made by the functions below occur.
struct OverlayTextRow
{
    // The capture area's identifier (one row per area).
    QString id;
    // The recognised text, whitespace collapsed.
    QString sourceText;
    // Only in the translated state.
    std::optional<QString> translatedText;
    OverlayTranslationState translationState = OverlayTranslationState::translating;
    // The server's identifier, kept only when that translation can be reported.
    std::optional<QUuid> translationID;
    std::optional<QString> gameTitle;
    std::optional<TranslationTargetLanguage> targetLanguage;

    // Waiting for the translation of the text.
    static OverlayTextRow translating(QString areaID, QString sourceText);
    static OverlayTextRow translated(QString areaID, QString sourceText, QString translatedText,
        std::optional<QUuid> translationID, std::optional<QString> gameTitle, TranslationTargetLanguage targetLanguage);
    // The translation failed; the row shows the source text alone.
    static OverlayTextRow failed(QString areaID, QString sourceText);

    bool operator==(const OverlayTextRow &) const = default;
};

// The rows that may be reported, in row order: translated rows that carry a translation
// identifier, a translated text and a target language.
QVector<TranslationReportTarget> reportTargets(const QVector<OverlayTextRow> &rows);

} // namespace veyra
