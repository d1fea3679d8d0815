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
        m_lastPosition.reset();
        window.installEventFilter(this);
    }
    if (m_lastPosition) {
        // Still on a screen (a screen may have gone since).
        const QPoint centre = QRect(*m_lastPosition, window.frameSize()).center();
        if (QGuiApplication::screenAt(centre) != nullptr) {
            window.move(*m_lastPosition);
            return;
        }
    }
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        window.move(centredIn(screen->availableGeometry(), window.frameSize()));
    }
}

bool SettingsWindowPlacement::eventFilter(QObject *watched, QEvent *event)
{
    // A hidden window's own position is the frame's top-left corner, as `move` takes it.
    if (watched == m_window && event->type() == QEvent::Hide && !m_window->isMinimized()) {
        m_lastPosition = m_window->pos();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace veyra
