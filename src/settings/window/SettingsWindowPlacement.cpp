#include "settings/window/SettingsWindowPlacement.h"

#include "brand/WindowFit.h"
#include "settings/window/SettingsView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace veyra {

SettingsWindowPlacement::SettingsWindowPlacement(QObject *parent)
    : QObject(parent)
{ }

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
        // No larger than the screen's free area, the frame centred in it, title bar on the screen.
        WindowFit::fitFixed(window, SettingsView::windowSize, screen);
        window.setGeometry(
            WindowFit::centredIn(screen->availableGeometry(), window.size(), WindowFit::frameMargins(window)));
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
