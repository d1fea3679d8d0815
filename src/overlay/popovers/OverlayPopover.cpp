#include "overlay/popovers/OverlayPopover.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace veyra {

OverlayPopover::OverlayPopover(QWidget *content)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint)
    , m_content(content)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(content);
    setFixedSize(content->size() + QSize(2, 2));
}

void OverlayPopover::showAt(QWidget *anchor)
{
    m_anchor = anchor;
    const QRect item(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    QRect workArea(item.center(), QSize(1, 1));
    if (const QScreen *screen = anchor->screen()) {
        workArea = screen->availableGeometry();
    }
    move(placement(item, size(), workArea));
    // A popup takes the keyboard while it is open and hands the keys to its focus widget
    // only: without one, what the player types goes nowhere.
    if (QWidget *first = firstFocusTarget()) {
        first->setFocus(Qt::PopupFocusReason);
    }
    show();
}

QWidget *OverlayPopover::firstFocusTarget() const
{
    if (QWidget *chosen = m_content->focusWidget()) {
        return chosen;
    }
    // The first widget of the content, in tab order, that takes the focus by the keyboard.
    for (QWidget *widget = m_content; widget != nullptr; widget = widget->nextInFocusChain()) {
        if (widget != m_content && !m_content->isAncestorOf(widget)) {
            break;
        }
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled() && !widget->isHidden()
            && widget->isVisibleTo(m_content)) {
            return widget;
        }
    }
    return nullptr;
}

QPoint OverlayPopover::placement(const QRect &item, const QSize &size, const QRect &workArea)
{
    int x = item.left() + item.width() / 2 - size.width() / 2;
    x = std::min(std::max(x, workArea.left()), workArea.left() + workArea.width() - size.width());
    int y = item.top() - gap - size.height();
    if (y < workArea.top()) {
        y = item.top() + item.height() + gap;
    }
    return {x, y};
}

void OverlayPopover::mousePressEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint())) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Closing now would let the release go nowhere: the click closes the popover when it
    // ends, and is then passed on.
    if (!m_outsidePress) {
        m_outsidePress = OutsidePress{event->globalPosition().toPoint(), event->button()};
    }
    event->accept();
}

void OverlayPopover::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_outsidePress) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    // The click ends with the release of the button that began it.
    if (event->button() != m_outsidePress->button) {
        event->accept();
        return;
    }
    const OutsidePress pressed = *m_outsidePress;
    m_outsidePress.reset();
    close();
    Q_EMIT closedByClick(pressed.globalPosition, pressed.button);
}

void OverlayPopover::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace veyra
