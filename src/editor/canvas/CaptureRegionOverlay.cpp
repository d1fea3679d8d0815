#include "editor/canvas/CaptureRegionOverlay.h"

#include "editor/style/EditorStyle.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace veyra {

namespace {

// Room around the area's rectangle for the outlines, the glow and the handles.
constexpr double decorationMargin = 8.0;
constexpr double tagHorizontalPadding = 5.0;
constexpr double tagVerticalPadding = 2.0;

QFont tagFont()
{
    return EditorFonts::withWeight(EditorFonts::caption2(), QFont::DemiBold);
}

QRectF handleSquare(CaptureAreaResizeHandle handle, const QRectF &area)
{
    const QPointF centre = area.topLeft() + resizeHandleCenter(handle, area.size());
    const double half = CaptureRegionOverlay::handleSide / 2;
    return {centre.x() - half, centre.y() - half, CaptureRegionOverlay::handleSide, CaptureRegionOverlay::handleSide};
}

// Accessibility sees each area as a button that selects it.
class CaptureRegionOverlayAccessible : public QAccessibleWidget
{
public:
    explicit CaptureRegionOverlayAccessible(CaptureRegionOverlay *overlay)
        : QAccessibleWidget(overlay, QAccessible::Button)
    { }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction()) {
            static_cast<CaptureRegionOverlay *>(widget())->select();
        }
    }
};

QAccessibleInterface *overlayAccessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("veyra::CaptureRegionOverlay") && object && object->isWidgetType()) {
        return new CaptureRegionOverlayAccessible(static_cast<CaptureRegionOverlay *>(object));
    }
    return nullptr;
}

void installAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(overlayAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

CaptureRegionOverlay::CaptureRegionOverlay(QWidget *canvas)
    : QWidget(canvas)
{
    installAccessibleFactory();
    // The canvas hit-tests the areas in its own order.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFont(tagFont());
}

void CaptureRegionOverlay::configure(Configuration configuration, SelectHandler onSelect, ChangeHandler onChange)
{
    m_onSelect = std::move(onSelect);
    m_onChange = std::move(onChange);
    if (m_configuration == configuration) {
        return;
    }
    m_configuration = std::move(configuration);
    setObjectName(m_configuration.accessibilityID);
    setAccessibleName(m_configuration.label);
    updatePlacement();
    update();
}

QRectF CaptureRegionOverlay::viewRect() const
{
    return m_configuration.transform.viewRect(m_configuration.region);
}

QSizeF CaptureRegionOverlay::tagSize() const
{
    const QFontMetricsF metrics(tagFont());
    return {metrics.horizontalAdvance(m_configuration.label) + 2 * tagHorizontalPadding,
        metrics.height() + 2 * tagVerticalPadding};
}

QRectF CaptureRegionOverlay::tagRect() const
{
    const QRectF area = viewRect();
    const QPointF centre = area.topLeft() + captureRegionTagCenter(area);
    const QSizeF size = tagSize();
    return {centre.x() - size.width() / 2, centre.y() - size.height() / 2, size.width(), size.height()};
}

std::optional<CaptureAreaResizeHandle> CaptureRegionOverlay::handleAt(QPointF canvasPoint) const
{
    if (!m_configuration.isSelected) {
        return std::nullopt;
    }
    const QRectF area = viewRect();
    for (auto it = allCaptureAreaResizeHandles.rbegin(); it != allCaptureAreaResizeHandles.rend(); ++it) {
        if (handleSquare(*it, area).contains(canvasPoint)) {
            return *it;
        }
    }
    return std::nullopt;
}

bool CaptureRegionOverlay::bodyContains(QPointF canvasPoint) const
{
    return viewRect().contains(canvasPoint);
}

void CaptureRegionOverlay::changeMove(QPointF startLocation, QPointF location)
{
    if (!m_moveStart) {
        m_moveStart = CaptureRegionGestureStart{m_configuration.region, startLocation};
        select();
    }
    const CaptureRegion moved
        = movedRegion(*m_moveStart, location, m_configuration.transform.scale(), m_configuration.bounds);
    // A copy: the model's answer reconfigures this overlay, handlers included.
    const ChangeHandler onChange = m_onChange;
    onChange(moved);
}

void CaptureRegionOverlay::endMove()
{
    m_moveStart.reset();
}

void CaptureRegionOverlay::changeResize(CaptureAreaResizeHandle handle, QPointF startLocation, QPointF location)
{
    auto start = m_resizeStarts.find(handle);
    if (start == m_resizeStarts.end()) {
        start = m_resizeStarts.emplace(handle, CaptureRegionGestureStart{m_configuration.region, startLocation}).first;
    }
    const CaptureRegion resized
        = resizedRegion(handle, start->second, location, m_configuration.transform.scale(), m_configuration.bounds);
    const ChangeHandler onChange = m_onChange;
    onChange(resized);
}

void CaptureRegionOverlay::endResize(CaptureAreaResizeHandle handle)
{
    m_resizeStarts.erase(handle);
}

void CaptureRegionOverlay::select()
{
    const SelectHandler onSelect = m_onSelect;
    onSelect();
}

void CaptureRegionOverlay::updatePlacement()
{
    const QRectF area = viewRect();
    const QRectF extent = area.adjusted(-decorationMargin, -decorationMargin, decorationMargin, decorationMargin)
                              .united(tagRect().adjusted(-1, -1, 1, 1));
    setGeometry(extent.toAlignedRect());
}

void CaptureRegionOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-QPointF(pos()));
    const QRectF area = viewRect();
    const QColor base = m_configuration.baseColor;

    QColor fill = base;
    fill.setAlphaF(0.1F);
    painter.fillRect(area, fill);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(base, 2));
    painter.drawRect(area);
    if (m_configuration.isSelected) {
        QColor glow = base;
        glow.setAlphaF(0.55F);
        painter.setPen(QPen(glow, 8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawRect(area);
        painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawRect(area);
    }

    const QRectF tag = tagRect();
    painter.fillRect(tag, base);
    painter.setPen(Qt::white);
    painter.drawText(tag, Qt::AlignCenter, m_configuration.label);
    m_paintedTexts = {m_configuration.label};

    if (m_configuration.isSelected) {
        painter.setBrush(Qt::white);
        painter.setPen(QPen(base, 1.5));
        for (const CaptureAreaResizeHandle handle : allCaptureAreaResizeHandles) {
            painter.drawRoundedRect(handleSquare(handle, area), 2, 2);
        }
    }
}

} // namespace veyra
