#pragma once

#include <QAbstractButton>

class QVariantAnimation;

namespace veyra {

// The sidebar's "Reset Settings…" button: the orange counter-clockwise arrow and the
// title centred across the button's width, drawn in ResetSettingsButtonStyle. Hovering
// and pressing blend between the style's states over its animation time.
class ResetSettingsButton : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int horizontalPadding = 10;
    static constexpr int verticalPadding = 8;
    static constexpr int symbolSize = 14;
    static constexpr int symbolSpacing = 6;

    explicit ResetSettingsButton(QWidget *parent = nullptr);

    bool isHovered() const { return m_hovered; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setHovered(bool hovered);
    static void animateTo(QVariantAnimation *animation, qreal target);

    bool m_hovered = false;
    QVariantAnimation *m_hoverAnimation;
    QVariantAnimation *m_pressAnimation;
};

} // namespace veyra
