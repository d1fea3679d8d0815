#pragma once

#include <QTimer>
#include <QWidget>

namespace veyra {

// An indeterminate progress indicator: an arc that turns while the spinner is shown.
class ProgressSpinner : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressSpinner(int diameter, QWidget *parent = nullptr);

    bool isSpinning() const { return m_timer.isActive(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTimer m_timer;
    int m_angle = 0;
};

} // namespace veyra
