#pragma once

#include <QWidget>

namespace veyra {

// The dark brand background: a vertical gradient into the canvas colour with an orange glow
// centred near the top (18 % of the height), fading out 250 px from its centre. Fills all of
// the widget; put content in a layout on top of it.
class VeyraBrandBackground : public QWidget
{
    Q_OBJECT

public:
    explicit VeyraBrandBackground(QWidget *parent = nullptr);

    static constexpr qreal glowCentreY = 0.18;
    static constexpr qreal glowRadius = 250.0;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace veyra
