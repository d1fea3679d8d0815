#pragma once

#include "overlay/state/OverlayCaptureAreaState.h"
#include "overlay/state/OverlayTextRow.h"
#include "translation/translations/CompletedTranslation.h"

#include <QHash>
#include <QStringList>
#include <QVector>

#include <functional>
#include <optional>

namespace veyra {

class OverlayViewModel;

// The overlay's row per capture area and the rules by which rows change: while the
// capture areas are ready, a changed text starts a translating row, a translation of the
// text still shown turns it into a translated row, a failure into a failed one. Rows are
// published to the view model in the order of the capture areas. Texts are compared after
// collapseWhitespace(). GUI thread only.
class OverlayRowBook
{
public:
    explicit OverlayRowBook(OverlayViewModel &viewModel);

    // Starts over for a game window: the state, its capture areas in display order, and
    // no rows. Publishes nothing.
    void reset(const OverlayCaptureAreaState &state, const QStringList &areaIDs);

    const OverlayCaptureAreaState &currentCaptureAreaState() const { return m_currentCaptureAreaState; }
    const QStringList &areaIDs() const { return m_areaIDs; }
    // The current row of each area. A caller that changes it publishes with publishRows().
    const QHash<QString, OverlayTextRow> &rowsByAreaID() const { return m_rowsByAreaID; }
    QHash<QString, OverlayTextRow> &rowsByAreaID() { return m_rowsByAreaID; }
    // The rows last published, in capture-area order.
    const QVector<OverlayTextRow> &textRows() const { return m_textRows; }

    // True when the area's row was replaced by a translating row of the text: the state is
    // ready, the area is listed, and the text is not empty and not the one shown.
    bool updateRecognizedText(const QString &areaID, const QString &text);
    // Shows the translation when the area's row still shows its source text and the
    // cleaned translation is not empty.
    void applyTranslation(
        const QString &areaID, const CompletedTranslation &translation, const std::optional<QUuid> &translationID);
    // True when the area's row still showed the text and is now failed.
    bool markTranslationFailed(const QString &areaID, const QString &sourceText);
    // Whether the area's row still shows exactly that translation (game title and
    // language are not compared).
    bool rowMatchesReportTarget(const TranslationReportTarget &target) const;
    // After a report was taken: the row goes back to translating its text, when it still
    // showed that translation. True when it did.
    bool resetForRetranslation(const TranslationReportTarget &target);

    // The reportable rows of the published rows.
    QVector<TranslationReportTarget> reportTargets() const { return veyra::reportTargets(m_textRows); }

    // Rebuilds the published rows from rowsByAreaID in the order of the areas, hands them
    // to the view model and calls onRowsPublished.
    void publishRows();

    void setOnRowsPublished(std::function<void()> handler) { m_onRowsPublished = std::move(handler); }

private:
    void store(OverlayTextRow row);

    OverlayViewModel &m_viewModel;
    OverlayCaptureAreaState m_currentCaptureAreaState = OverlayCaptureAreaState::ready();
    QStringList m_areaIDs;
    QHash<QString, OverlayTextRow> m_rowsByAreaID;
    QVector<OverlayTextRow> m_textRows;
    std::function<void()> m_onRowsPublished;
};

} // namespace veyra
