#pragma once

#include "overlay/state/OverlayTranslationReportModel.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace veyra {

// The report popover's content: pick one of the overlay's translated rows, review its
// recognised text and translation, and report it. Shows what its model publishes and hands
// the user's choices to the model; Return reports like the "Report" button. It is made
// again in the new language when the interface language changes.
class OverlayTranslationReportView : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize contentSize{420, 360};

    explicit OverlayTranslationReportView(OverlayTranslationReportModel *model, QWidget *parent = nullptr);

    OverlayTranslationReportModel *model() const { return m_model; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showScreen();
    QWidget *makeList();
    QWidget *makeConfirmation(const TranslationReportTarget &target);
    void updateSubmissionState();
    void report();
    QColor secondaryColor() const;

    QPointer<OverlayTranslationReportModel> m_model;
    QVBoxLayout *m_layout;
    QLabel *m_title;
    QWidget *m_screen = nullptr;
    // Of the confirmation screen; null on the list.
    QPushButton *m_cancelButton = nullptr;
    QPushButton *m_reportButton = nullptr;
    QWidget *m_progress = nullptr;
    QLabel *m_failure = nullptr;
};

} // namespace veyra
