#pragma once

#include <QTimer>
#include <QWidget>

namespace veyra {

// A small indeterminate spinner: an arc in the text colour that turns while it is shown.
class OverlayActivityIndicator : public QWidget
{
    Q_OBJECT

public:
    explicit OverlayActivityIndicator(int diameter, QWidget *parent = nullptr);

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
