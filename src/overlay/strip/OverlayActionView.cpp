#include "overlay/strip/OverlayActionView.h"

#include <QAccessible>
#include <QMouseEvent>

namespace veyra {

OverlayActionView::OverlayActionView(
    const QString &symbolPath, const char *titleKey, const QString &identifier, QWidget *parent)
    : OverlayControlItemView(symbolPath, titleKey, identifier, parent)
{ }

void OverlayActionView::setActionEnabled(bool enabled)
{
    if (m_isEnabled == enabled) {
        return;
    }
    m_isEnabled = enabled;
    QAccessible::State changed;
    changed.disabled = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void OverlayActionView::mousePressEvent(QMouseEvent *event)
{
    // Taken so that the release comes here too.
    event->accept();
}

void OverlayActionView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    click();
}

void OverlayActionView::click()
{
    Q_EMIT interacted();
    if (m_isEnabled) {
        Q_EMIT triggered();
    }
}

} // namespace veyra
