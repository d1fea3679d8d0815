#include "settings/window/SettingsWindowPlacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace veyra {

SettingsWindowPlacement::SettingsWindowPlacement(QObject *parent)
    : QObject(parent)
{ }

QPoint SettingsWindowPlacement::centredIn(const QRect &available, const QSize &size)
{
    // A window larger than the area keeps its top-left corner inside it.
    return {available.left() + std::max(0, (available.width() - size.width()) / 2),
        available.top() + std::max(0, (available.height() - size.height()) / 2)};
}

void SettingsWindowPlacement::place(QWidget &window, const QScreen *screen)
{
    if (m_window != &window) {
        if (m_window) {
            m_window->removeEventFilter(this);
        }
        m_window = &window;
        m_lastClientPosition.reset();
        window.installEventFilter(this);
    }
    // Placed by its client area: a window whose native window was given back when it was
    // hidden still counts the old frame, which `move` would add to the new one's.
    if (m_lastClientPosition) {
        // Still on a screen (a screen may have gone since).
        const QRect last(*m_lastClientPosition, window.size());
        if (QGuiApplication::screenAt(last.center()) != nullptr) {
            window.setGeometry(last);
            return;
        }
    }
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        const QPoint frameCorner = window.geometry().topLeft() - window.frameGeometry().topLeft();
        window.setGeometry(
            QRect(centredIn(screen->availableGeometry(), window.frameSize()) + frameCorner, window.size()));
    }
}

bool SettingsWindowPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Hide && !m_window->isMinimized()) {
        m_lastClientPosition = m_window->geometry().topLeft();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace veyra
