#include "overlay/strip/OverlayControlItemView.h"

#include "foundation/language/LocalizedString.h"
#include "overlay/strip/OverlayControlView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace veyra {

namespace {

constexpr int symbolInsetX = 11;
constexpr int symbolInsetY = 10;

class OverlayControlItemAccessible : public QAccessibleWidget
{
public:
    explicit OverlayControlItemAccessible(OverlayControlItemView *item)
        : QAccessibleWidget(item, QAccessible::Button)
    { }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.disabled = !static_cast<const OverlayControlItemView *>(widget())->isAccessiblyEnabled();
        return state;
    }
};

QAccessibleInterface *overlayControlItemAccessibleFactory(const QString &, QObject *object)
{
    if (auto *item = qobject_cast<OverlayControlItemView *>(object)) {
        return new OverlayControlItemAccessible(item);
    }
    return nullptr;
}

} // namespace

void installOverlayControlItemAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&overlayControlItemAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

OverlayControlItemView::OverlayControlItemView(
    const QString &symbolPath, const char *titleKey, const QString &identifier, QWidget *parent)
    : QWidget(parent)
    , m_symbol(new QSvgRenderer(symbolPath, this))
    , m_titleKey(titleKey)
{
    installOverlayControlItemAccessibility();
    setObjectName(identifier);
    // Accessibility reads the title as the item's name.
    setAccessibleName(title());
    setAttribute(Qt::WA_Hover);
}

QString OverlayControlItemView::title() const
{
    return localizedString(m_titleKey);
}

void OverlayControlItemView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        setAccessibleName(title());
    }
}

void OverlayControlItemView::setItemAlpha(double alpha)
{
    m_itemAlpha = alpha;
    update();
}

void OverlayControlItemView::paintEvent(QPaintEvent *)
{
    const QSvgRenderer &renderer = *m_symbol;
    if (!renderer.isValid()) {
        return;
    }
    const QRectF frame = QRectF(rect()).adjusted(symbolInsetX, symbolInsetY, -symbolInsetX, -symbolInsetY);
    // Scaled down proportionally only, centred in its frame.
    QSizeF size = renderer.defaultSize();
    if (size.width() > frame.width() || size.height() > frame.height()) {
        size.scale(frame.size(), Qt::KeepAspectRatio);
    }
    QRectF target(QPointF(), size);
    target.moveCenter(frame.center());
    double stripAlpha = 1.0;
    if (const auto *strip = qobject_cast<const OverlayControlView *>(parentWidget())) {
        stripAlpha = strip->stripAlpha();
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(stripAlpha * m_itemAlpha);
    m_symbol->render(&painter, target);
}

void OverlayControlItemView::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    Q_EMIT hoverChanged(true);
}

void OverlayControlItemView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    Q_EMIT hoverChanged(false);
}

} // namespace veyra
