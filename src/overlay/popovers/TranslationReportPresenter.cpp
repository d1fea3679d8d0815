#include "overlay/popovers/TranslationReportPresenter.h"

#include "overlay/popovers/OverlayPopover.h"
#include "overlay/views/OverlayTranslationReportView.h"

namespace veyra {

TranslationReportPresenter::TranslationReportPresenter(QObject *parent)
    : QObject(parent)
{ }

TranslationReportPresenter::~TranslationReportPresenter()
{
    delete m_popover;
    delete m_model;
}

void TranslationReportPresenter::present(const QVector<TranslationReportTarget> &targets, QWidget *anchor,
    OverlayTranslationReportModel::SubmitHandler onSubmit)
{
    if (targets.isEmpty()) {
        return;
    }
    close();
    auto *model = new OverlayTranslationReportModel(targets);
    model->setOnSubmit(std::move(onSubmit));
    auto *popover = new OverlayPopover(new OverlayTranslationReportView(model));
    popover->setObjectName(QStringLiteral("translation-error-report-popover"));
    m_model = model;
    m_popover = popover;
    connect(popover, &OverlayPopover::closedByClick, this,
        [this, anchor = QPointer<QWidget>(anchor)](QPoint globalPosition, Qt::MouseButton button) {
            Q_EMIT popoverClosedByClick(globalPosition, button, anchor);
        });
    popover->showAt(anchor);
}

void TranslationReportPresenter::close()
{
    // Dropped once the event loop is back: the close may come from inside the model's own
    // submission or a button of the popover.
    if (m_popover) {
        m_popover->close();
        m_popover->deleteLater();
    }
    if (m_model) {
        m_model->deleteLater();
    }
    m_popover = nullptr;
    m_model = nullptr;
}

bool TranslationReportPresenter::contains(const QString &areaID) const
{
    if (!m_model) {
        return false;
    }
    const QVector<TranslationReportTarget> &targets = m_model->targets();
    return std::any_of(targets.cbegin(), targets.cend(),
        [&](const TranslationReportTarget &target) { return target.areaID == areaID; });
}

} // namespace veyra
