#pragma once

#include "capture/target/CaptureTarget.h"
#include "foundation/logging/Logger.h"
#include "overlay/layout/DisplayGeometryProviding.h"
#include "overlay/layout/OverlayLayoutStoring.h"

#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QWidget>

#include <memory>
#include <optional>

namespace veyra {

// Places the overlay panel and keeps it placed: it opens the panel on the display that
// shows most of the game window, at the layout stored for that game or centred on the
// window at the default size; it moves and resizes the panel through the control strip's
// handles, keeps it inside a screen's visible frame at the end of each gesture, keeps the
// strip in the panel's bottom-right corner and stores the result for the game window.
//
// Frames and mouse locations are in screen space (see ScreenSpace); panelFrame(),
// setPanelFrame() and screenLocation() are where Qt's global coordinates are converted.
// Store errors are logged under "<bundle id>.OverlayLayout" and never reach the user.
class OverlayLayoutController
{
public:
    OverlayLayoutController(
        std::shared_ptr<OverlayLayoutStoring> store, std::shared_ptr<DisplayGeometryProviding> displays);

    const std::shared_ptr<OverlayLayoutStoring> &store() const { return m_store; }

    QWidget *panel() const { return m_panel; }
    void setPanel(QWidget *panel) { m_panel = panel; }
    QWidget *controlPanel() const { return m_controlPanel; }
    void setControlPanel(QWidget *controlPanel) { m_controlPanel = controlPanel; }
    const std::optional<CaptureTarget> &target() const { return m_target; }
    void setTarget(std::optional<CaptureTarget> target) { m_target = std::move(target); }

    // Where the panel opens for a game window.
    QRectF initialFrame(const CaptureTarget &target) const;

    // The panel's frame in screen space; nothing without a panel.
    std::optional<QRectF> panelFrame() const;
    void setPanelFrame(const QRectF &frame);
    // Puts the strip into the panel's bottom-right corner (when both exist).
    void placeControlStrip();
    // A point of Qt's global coordinates (a cursor position) in screen space.
    QPointF screenLocation(const QPointF &globalPoint) const;

    // Gestures: begin, any number of steps, finish. A step without a begin does nothing;
    // a finish without one still clamps and saves.
    void beginMove(const QPointF &mouseLocation);
    // The panel's origin follows the mouse's travel since the begin; nothing is clamped
    // while dragging.
    void move(const QPointF &mouseLocation);
    void finishMove();
    void beginResize(const QPointF &mouseLocation);
    // The left and top edges stay, the right and bottom edges follow the mouse; the size
    // does not go below the minimum.
    void resize(const QPointF &mouseLocation);
    void finishResize();

    // Stores the panel's placement for the target (at the end of every gesture).
    void saveLayout();

    // The visible frame of the screen that holds most of a frame (screen space).
    std::optional<QRectF> visibleFrame(const QRectF &frame) const;

    const std::optional<QRectF> &moveStartFrame() const { return m_moveStartFrame; }
    const std::optional<QPointF> &moveStartMouseLocation() const { return m_moveStartMouseLocation; }
    const std::optional<QRectF> &resizeStartFrame() const { return m_resizeStartFrame; }
    const std::optional<QPointF> &resizeStartMouseLocation() const { return m_resizeStartMouseLocation; }

private:
    void beginGesture(
        const QPointF &mouseLocation, std::optional<QRectF> &startFrame, std::optional<QPointF> &startMouseLocation);
    // Clamps the panel into the visible frame that holds most of it, places the strip and
    // saves the layout.
    void finishGesture();
    void setFrame(QWidget &widget, const QRectF &frame) const;

    std::shared_ptr<OverlayLayoutStoring> m_store;
    std::shared_ptr<DisplayGeometryProviding> m_displays;
    QPointer<QWidget> m_panel;
    QPointer<QWidget> m_controlPanel;
    std::optional<CaptureTarget> m_target;
    std::optional<QRectF> m_moveStartFrame;
    std::optional<QPointF> m_moveStartMouseLocation;
    std::optional<QRectF> m_resizeStartFrame;
    std::optional<QPointF> m_resizeStartMouseLocation;
    Logger m_logger{"OverlayLayout"};
};

} // namespace veyra
