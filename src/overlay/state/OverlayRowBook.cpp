#include "overlay/state/OverlayRowBook.h"

#include "foundation/text/TextNormalization.h"
#include "overlay/state/OverlayViewModel.h"
#include "translation/translations/TranslationText.h"

namespace veyra {

OverlayRowBook::OverlayRowBook(OverlayViewModel &viewModel)
    : m_viewModel(viewModel)
{ }

void OverlayRowBook::reset(const OverlayCaptureAreaState &state, const QStringList &areaIDs)
{
    m_currentCaptureAreaState = state;
    m_areaIDs = areaIDs;
    m_rowsByAreaID.clear();
    m_textRows.clear();
}

bool OverlayRowBook::updateRecognizedText(const QString &areaID, const QString &text)
{
    const QString normalized = collapseWhitespace(text);
    if (!m_currentCaptureAreaState.isReady() || !m_areaIDs.contains(areaID) || normalized.isEmpty()) {
        return false;
    }
    if (const auto row = m_rowsByAreaID.constFind(areaID);
        row != m_rowsByAreaID.cend() && row->sourceText == normalized) {
        return false;
    }
    store(OverlayTextRow::translating(areaID, normalized));
    return true;
}

void OverlayRowBook::applyTranslation(
    const QString &areaID, const CompletedTranslation &translation, const std::optional<QUuid> &translationID)
{
    const auto row = m_rowsByAreaID.constFind(areaID);
    if (row == m_rowsByAreaID.cend()) {
        return;
    }
    const QString sourceText = collapseWhitespace(translation.sourceText);
    const QString translatedText = cleanTranslatedText(translation.translatedText);
    if (!m_currentCaptureAreaState.isReady() || translatedText.isEmpty() || row->sourceText != sourceText) {
        return;
    }
    store(OverlayTextRow::translated(
        areaID, sourceText, translatedText, translationID, translation.gameTitle, translation.targetLanguage));
}

bool OverlayRowBook::markTranslationFailed(const QString &areaID, const QString &sourceText)
{
    const auto row = m_rowsByAreaID.constFind(areaID);
    if (row == m_rowsByAreaID.cend()) {
        return false;
    }
    const QString normalized = collapseWhitespace(sourceText);
    if (!m_currentCaptureAreaState.isReady() || row->sourceText != normalized) {
        return false;
    }
    store(OverlayTextRow::failed(areaID, normalized));
    return true;
}

bool OverlayRowBook::rowMatchesReportTarget(const TranslationReportTarget &target) const
{
    const auto row = m_rowsByAreaID.constFind(target.areaID);
    return row != m_rowsByAreaID.cend() && row->translationState == OverlayTranslationState::translated
        && row->translationID == target.translationID && row->sourceText == target.sourceText
        && row->translatedText == target.translatedText;
}

bool OverlayRowBook::resetForRetranslation(const TranslationReportTarget &target)
{
    if (!rowMatchesReportTarget(target)) {
        return false;
    }
    store(OverlayTextRow::translating(target.areaID, target.sourceText));
    return true;
}

void OverlayRowBook::publishRows()
{
    m_textRows.clear();
    for (const QString &areaID : std::as_const(m_areaIDs)) {
        if (const auto row = m_rowsByAreaID.constFind(areaID); row != m_rowsByAreaID.cend()) {
            m_textRows.append(*row);
        }
    }
    m_viewModel.setTextRows(m_textRows);
    if (m_onRowsPublished) {
        m_onRowsPublished();
    }
}

void OverlayRowBook::store(OverlayTextRow row)
{
    const QString areaID = row.id;
    m_rowsByAreaID.insert(areaID, std::move(row));
    publishRows();
}

} // namespace veyra
