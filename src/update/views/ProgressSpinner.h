#pragma once

#include <QColor>
#include <QWidget>

class QTimer;

namespace veyra {

// An indeterminate progress indicator: an arc that turns while the widget is shown.
class ProgressSpinner : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressSpinner(int diameter, QWidget *parent = nullptr);

    // The arc's colour; the widget's text colour when not set.
    void setColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QTimer *m_timer;
    int m_angle = 0;
    QColor m_color;
};

} // namespace veyra
