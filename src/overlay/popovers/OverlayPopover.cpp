#include "overlay/popovers/OverlayPopover.h"

#include <QGuiApplication>
#include <QLayout>
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
    QRect workArea;
    const QScreen *screen = QGuiApplication::screenAt(item.center());
    if (screen == nullptr) {
        screen = anchor->screen();
    }
    if (screen != nullptr) {
        workArea = screen->availableGeometry();
    }
    const QRect frame = placement(item, size(), leastHeight(), workArea);
    if (frame.size() != size()) {
        // The content's own fixed size gives way: its text box takes what is left.
        m_content->setFixedSize(m_content->size() - (size() - frame.size()));
        setFixedSize(frame.size());
    }
    move(frame.topLeft());
    // A popup takes the keyboard while it is open and hands the keys to its focus widget
    // only: without one, what the player types goes nowhere.
    if (QWidget *first = firstFocusTarget()) {
        first->setFocus(Qt::PopupFocusReason);
    }
    show();
}

int OverlayPopover::leastHeight() const
{
    // What the content's rows need at the least (a few lines of its text box among them),
    // and the border.
    const int least = m_content->layout() != nullptr ? m_content->layout()->minimumSize().height()
                                                     : m_content->minimumSizeHint().height();
    return std::min(std::max(least, 0), m_content->height()) + height() - m_content->height();
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

QRect OverlayPopover::placement(const QRect &item, const QSize &size, int leastHeight, const QRect &workArea)
{
    if (!workArea.isValid()) {
        return {QPoint(item.left() + item.width() / 2 - size.width() / 2, item.top() - gap - size.height()), size};
    }
    const int workRight = workArea.left() + workArea.width();
    const int workBottom = workArea.top() + workArea.height();
    const int width = std::min(size.width(), workArea.width());
    int x = item.left() + item.width() / 2 - width / 2;
    x = std::max(std::min(x, workRight - width), workArea.left());

    // Above the item when it fits there whole, else below it when it fits there; else on
    // the side with more room, as tall as that room (but no less than its least height).
    const int roomAbove = item.top() - gap - workArea.top();
    const int roomBelow = workBottom - (item.top() + item.height() + gap);
    int height = size.height();
    bool above = height <= roomAbove;
    if (!above && height > roomBelow) {
        above = roomAbove > roomBelow;
        height = std::max(leastHeight, std::max(roomAbove, roomBelow));
    }
    // Never out of the work area, even where that means covering the item.
    height = std::min(height, workArea.height());
    int y = above ? item.top() - gap - height : item.top() + item.height() + gap;
    y = std::max(std::min(y, workBottom - height), workArea.top());
    return {x, y, width, height};
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
