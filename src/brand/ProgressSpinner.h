#pragma once

#include <QColor>
#include <QWidget>

class QTimer;

namespace veyra {

// An indeterminate progress indicator: an arc over a faint ring, turning while the
// spinner is shown. The arc takes the palette's highlight (the accent) unless a colour is
// set; the ring is the text colour (or the set colour) at low opacity.
class ProgressSpinner : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressSpinner(int diameter, QWidget *parent = nullptr);

    bool isSpinning() const;
    // The arc's colour, and the ring's under it.
    void setColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QTimer *m_timer;
    QColor m_color;
    int m_angle = 0;
};

} // namespace veyra
