#pragma once

#include <QPointF>
#include <QWidget>

#include <functional>

namespace veyra {

// The surface over the sampled area while the eyedropper is armed: shows the eyedropper
// pointer and reports where the mouse button is released, in its own coordinates (origin
// top left). Inactive, it shows the normal pointer and leaves clicks to the widget below.
class BackgroundPickerInteractionView : public QWidget
{
    Q_OBJECT

public:
    using PickHandler = std::function<void(QPointF)>;

    explicit BackgroundPickerInteractionView(QWidget *parent = nullptr);

    bool isActive() const { return m_isActive; }
    // Switching it changes the pointer at once.
    void setActive(bool active);
    void setOnPick(PickHandler handler) { m_onPick = std::move(handler); }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_isActive = false;
    PickHandler m_onPick = [](QPointF) {};
};

} // namespace veyra
