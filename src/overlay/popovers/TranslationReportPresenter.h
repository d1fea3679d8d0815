#pragma once

#include "overlay/popovers/OverlayPopover.h"
#include "overlay/state/OverlayTranslationReportModel.h"

#include <QObject>
#include <QPointer>

namespace veyra {

// The report popover: a fresh model and view over the reportable rows each time it opens,
// pointing at the strip's report item. A popover closed by an outside click keeps its
// model here until the next close() or presentation.
class TranslationReportPresenter : public QObject
{
    Q_OBJECT

public:
    explicit TranslationReportPresenter(QObject *parent = nullptr);
    ~TranslationReportPresenter() override;

    // Nothing at all for an empty list; otherwise closes the open report and opens a new
    // one whose submissions go to onSubmit.
    void present(const QVector<TranslationReportTarget> &targets, QWidget *anchor,
        OverlayTranslationReportModel::SubmitHandler onSubmit);
    // Closes the popover and drops it and its model.
    void close();
    // Whether the report offered lists a target of the area.
    bool contains(const QString &areaID) const;

    OverlayPopover *popover() const { return m_popover; }
    OverlayTranslationReportModel *model() const { return m_model; }

Q_SIGNALS:
    // A click of `button` outside closed the popover pointing at `anchor`; the button went
    // down there.
    void popoverClosedByClick(QPoint globalPosition, Qt::MouseButton button, QWidget *anchor);

private:
    QPointer<OverlayPopover> m_popover;
    QPointer<OverlayTranslationReportModel> m_model;
};

} // namespace veyra
