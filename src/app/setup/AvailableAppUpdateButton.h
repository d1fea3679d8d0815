#pragma once

#include <QAbstractButton>

class QVariantAnimation;

namespace veyra {

// The set-up screen's "Update" button: a down-arrow symbol and "Update" in the orange ink
// on a vertical gradient from bright orange to orange, rounded (radius 8). Hovering
// brightens the gradient by 0.06; pressing darkens it by 0.1, shrinks the button to 0.98
// and fades it to 0.92; each change eases out over 0.12 s. Disabled, it is drawn at half
// opacity.
class AvailableAppUpdateButton : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr qreal hoverBrightness = 0.06;
    static constexpr qreal pressedBrightness = -0.1;
    static constexpr qreal pressedScale = 0.98;
    static constexpr qreal pressedOpacity = 0.92;
    static constexpr int animationMilliseconds = 120;

    explicit AvailableAppUpdateButton(QWidget *parent = nullptr);

    bool isHovered() const { return m_hovered; }
    // The brightness shift, scale and opacity drawn now (they ease towards their targets).
    qreal currentBrightness() const;
    qreal currentScale() const;
    qreal currentOpacity() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void animate(QVariantAnimation *animation, qreal target);

    bool m_hovered = false;
    // 0..1: how far the hovered and pressed looks have come.
    QVariantAnimation *m_hover;
    QVariantAnimation *m_press;
};

} // namespace veyra
