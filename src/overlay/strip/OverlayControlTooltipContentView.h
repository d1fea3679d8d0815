#pragma once

#include <QSize>
#include <QWidget>

class QLabel;

namespace veyra {

// The tooltip's content: its text in white, medium weight, centred on a dark rounded
// plate, 10 x 6 points from the plate's edges. The label carries the identifier
// "overlay-control-tooltip".
class OverlayControlTooltipContentView : public QWidget
{
    Q_OBJECT

public:
    explicit OverlayControlTooltipContentView(const QString &text, QWidget *parent = nullptr);

    QLabel *label() const { return m_label; }
    // The label's natural size plus 20 x 12.
    QSize fittingSize() const;
    QSize sizeHint() const override { return fittingSize(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_label;
};

} // namespace veyra
