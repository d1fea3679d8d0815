#include "overlay/layout/OverlayLayoutController.h"

#include "foundation/errors/Error.h"
#include "overlay/layout/OverlayLayoutGeometry.h"

#include <cmath>

namespace veyra {

OverlayLayoutController::OverlayLayoutController(
    std::shared_ptr<OverlayLayoutStoring> store, std::shared_ptr<DisplayGeometryProviding> displays)
    : m_store(std::move(store))
    , m_displays(std::move(displays))
{ }

QRectF OverlayLayoutController::initialFrame(const CaptureTarget &target) const
{
    std::optional<OverlayLayout> layout;
    if (const auto key = target.profileKey()) {
        try {
            layout = m_store->layout(*key);
        } catch (const std::exception &error) {
            qCCritical(m_logger).noquote()
                << QStringLiteral("Veyra couldn't load the overlay layout: %1").arg(describeError(error));
        }
    }
    const std::optional<DisplayGeometry> display = displayGeometry(target.frame, m_displays->allDisplays());
    if (!display) {
        return {QPointF(0, 0), defaultOverlayPanelSize};
    }
    if (layout) {
        return frameFromLayout(*layout, display->visibleFrame, minimumOverlayPanelSize);
    }
    // The window's centre carried from root coordinates into the display's screen frame
    // (the two differ in scale when Qt scales the display).
    const QRectF &bounds = display->displayBounds;
    const QRectF &frame = display->screenFrame;
    const double scaleX = bounds.width() > 0 ? frame.width() / bounds.width() : 1;
    const double scaleY = bounds.height() > 0 ? frame.height() / bounds.height() : 1;
    const double cx = (target.frame.center().x() - bounds.x()) * scaleX + minX(frame);
    const double cy = maxY(frame) - (target.frame.center().y() - bounds.y()) * scaleY;
    return clampFrame(QRectF(cx - defaultOverlayPanelSize.width() / 2, cy - defaultOverlayPanelSize.height() / 2,
                          defaultOverlayPanelSize.width(), defaultOverlayPanelSize.height()),
        display->visibleFrame);
}

std::optional<QRectF> OverlayLayoutController::panelFrame() const
{
    if (!m_panel) {
        return std::nullopt;
    }
    return m_displays->screenSpace().fromGlobal(QRectF(m_panel->geometry()));
}

void OverlayLayoutController::setPanelFrame(const QRectF &frame)
{
    if (m_panel) {
        setFrame(*m_panel, frame);
    }
}

void OverlayLayoutController::placeControlStrip()
{
    if (!m_controlPanel) {
        return;
    }
    if (const auto frame = panelFrame()) {
        setFrame(*m_controlPanel, controlStripFrame(*frame));
    }
}

QPointF OverlayLayoutController::screenLocation(const QPointF &globalPoint) const
{
    return m_displays->screenSpace().fromGlobal(globalPoint);
}

void OverlayLayoutController::beginMove(const QPointF &mouseLocation)
{
    beginGesture(mouseLocation, m_moveStartFrame, m_moveStartMouseLocation);
}

void OverlayLayoutController::move(const QPointF &mouseLocation)
{
    if (!m_panel || !m_moveStartFrame || !m_moveStartMouseLocation) {
        return;
    }
    const QPointF travel = mouseLocation - *m_moveStartMouseLocation;
    setPanelFrame(m_moveStartFrame->translated(travel));
    placeControlStrip();
}

void OverlayLayoutController::finishMove()
{
    m_moveStartFrame.reset();
    m_moveStartMouseLocation.reset();
    finishGesture();
}

void OverlayLayoutController::beginResize(const QPointF &mouseLocation)
{
    beginGesture(mouseLocation, m_resizeStartFrame, m_resizeStartMouseLocation);
}

void OverlayLayoutController::beginGesture(
    const QPointF &mouseLocation, std::optional<QRectF> &startFrame, std::optional<QPointF> &startMouseLocation)
{
    if (const auto frame = panelFrame()) {
        startFrame = *frame;
        startMouseLocation = mouseLocation;
    }
}

void OverlayLayoutController::resize(const QPointF &mouseLocation)
{
    if (!m_panel || !m_resizeStartFrame || !m_resizeStartMouseLocation) {
        return;
    }
    const QRectF &start = *m_resizeStartFrame;
    const double width = std::max(
        start.width() + mouseLocation.x() - m_resizeStartMouseLocation->x(), minimumOverlayPanelSize.width());
    const double height = std::max(
        start.height() + m_resizeStartMouseLocation->y() - mouseLocation.y(), minimumOverlayPanelSize.height());
    setPanelFrame(QRectF(minX(start), maxY(start) - height, width, height));
    placeControlStrip();
}

void OverlayLayoutController::finishResize()
{
    m_resizeStartFrame.reset();
    m_resizeStartMouseLocation.reset();
    finishGesture();
}

void OverlayLayoutController::saveLayout()
{
    const std::optional<QRectF> frame = panelFrame();
    if (!frame || !m_target) {
        return;
    }
    const std::optional<GameWindowProfileKey> key = m_target->profileKey();
    const std::optional<QRectF> visible = visibleFrame(*frame);
    if (!key || !visible) {
        return;
    }
    try {
        m_store->save(layoutFromFrame(*frame, *visible), *key);
    } catch (const std::exception &error) {
        qCCritical(m_logger).noquote()
            << QStringLiteral("Veyra couldn't save the overlay layout: %1").arg(describeError(error));
    }
}

std::optional<QRectF> OverlayLayoutController::visibleFrame(const QRectF &frame) const
{
    const std::optional<DisplayGeometry> display
        = displayOverlappedMost(frame, m_displays->allDisplays(), &DisplayGeometry::visibleFrame);
    if (!display) {
        return m_displays->mainVisibleFrame();
    }
    return display->visibleFrame;
}

void OverlayLayoutController::finishGesture()
{
    if (const std::optional<QRectF> frame = panelFrame()) {
        if (const auto visible = visibleFrame(*frame)) {
            setPanelFrame(clampFrame(*frame, *visible));
        }
    }
    placeControlStrip();
    saveLayout();
}

void OverlayLayoutController::setFrame(QWidget &widget, const QRectF &frame) const
{
    // Widgets are placed in whole pixels.
    widget.setGeometry(m_displays->screenSpace().toGlobal(frame).toRect());
}

} // namespace veyra
