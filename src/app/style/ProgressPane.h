#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace veyra {

// An indeterminate progress indicator (a turning arc) with its label below, centred in
// the space it is given. The arc turns only while the pane is visible.
class ProgressPane : public QWidget
{
    Q_OBJECT

public:
    ProgressPane(const QString &objectName, QWidget *parent = nullptr);

    QString text() const;
    // The label, already localised.
    void setText(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *m_indicator;
    QLabel *m_label;
    QTimer *m_timer;
};

} // namespace veyra
