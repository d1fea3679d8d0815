#pragma once

#include "editor/eyedropper/BackgroundPickerInteractionView.h"

#include <QWidget>

namespace veyra {

// The click layer over the area the eyedropper samples ("capture-background-picker-canvas"),
// hosting the interaction view that covers it exactly. A click reaching the layer itself
// (for example from accessibility tools) picks by the same rule as the view.
class BackgroundPickerInteractionRegion : public QWidget
{
    Q_OBJECT

public:
    explicit BackgroundPickerInteractionRegion(QWidget *parent = nullptr);

    BackgroundPickerInteractionView &interactionView() const { return *m_view; }

    // Hands the state on to the hosted view: active or not, then the pick action.
    void updateInteraction(bool isActive, BackgroundPickerInteractionView::PickHandler onPick);
    // The layer goes away: the view turns inactive and the normal pointer returns.
    void dismantle();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    BackgroundPickerInteractionView *m_view;
    BackgroundPickerInteractionView::PickHandler m_onPick = [](QPointF) {};
};

} // namespace veyra
