#pragma once

#include <QPointF>
#include <QWidget>

namespace veyra {

class OverlayActionView;
class OverlayControlItemView;
class OverlayControlTooltipPresenter;
class OverlayHandleView;

// The control strip: a dark bar of four items, left to right "Game Note", "Report
// Translation Error", "Move Overlay" and "Resize Overlay". It only reports what the user
// did; the overlay's controller decides what happens and enables the two actions. It fades
// to 0.38 while the pointer is elsewhere and no handle is dragged, and shows an item's
// title as a tooltip after the pointer has rested on it. A right click on it asks for the
// application's menu. Positions are Qt's global coordinates of the pointer.
class OverlayControlView : public QWidget
{
    Q_OBJECT

public:
    static constexpr double restingAlpha = 0.38;
    static constexpr double disabledItemAlpha = 0.28;

    explicit OverlayControlView(QWidget *parent = nullptr);
    ~OverlayControlView() override;

    OverlayActionView *gameNoteHandle() const { return m_gameNoteHandle; }
    OverlayActionView *reportHandle() const { return m_reportHandle; }
    OverlayHandleView *moveHandle() const { return m_moveHandle; }
    OverlayHandleView *resizeHandle() const { return m_resizeHandle; }
    OverlayControlTooltipPresenter *tooltipPresenter() const { return m_tooltipPresenter; }

    bool isPointerInside() const { return m_isPointerInside; }
    int interactionCount() const { return m_interactionCount; }
    // 1.0 while the pointer is inside or a handle is dragged, else 0.38.
    double stripAlpha() const { return m_alpha; }

    // Enables or disables an action item: its opacity is 1.0 when enabled, else 0.28.
    static void setActionAvailable(OverlayActionView *item, bool available);

    // A click that reached the strip otherwise (the one that closed a popover): runs as a
    // click on the action item at that place, unless it is `except`. True when one was
    // there.
    bool clickActionAt(QPoint globalPosition, const QWidget *except);
    // A right click that reached the strip otherwise: asks for the menu there, as a right
    // click on the strip does, when the place is on the strip. True when it was.
    bool requestMenuAt(QPoint globalPosition);

Q_SIGNALS:
    void gameNoteClicked(QWidget *item);
    void reportClicked(QWidget *item);
    void moveBegan(QPointF globalPosition);
    void moveChanged(QPointF globalPosition);
    void moveEnded();
    void resizeBegan(QPointF globalPosition);
    void resizeChanged(QPointF globalPosition);
    void resizeEnded();
    // The right button was pressed on the strip.
    void menuRequested(QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void connectTooltip(OverlayControlItemView *item);
    void connectGesture(OverlayHandleView *handle, void (OverlayControlView::*began)(QPointF),
        void (OverlayControlView::*changed)(QPointF), void (OverlayControlView::*ended)());
    void updateAlpha();

    OverlayActionView *m_gameNoteHandle;
    OverlayActionView *m_reportHandle;
    OverlayHandleView *m_moveHandle;
    OverlayHandleView *m_resizeHandle;
    bool m_isPointerInside = false;
    int m_interactionCount = 0;
    double m_alpha = restingAlpha;
    OverlayControlTooltipPresenter *m_tooltipPresenter;
};

} // namespace veyra
