#include "app/root/OnceOnScreen.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace veyra {

OnceOnScreen::OnceOnScreen(QWidget *window, std::function<void()> action, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_action(std::move(action))
{
    if (window == nullptr) {
        deleteLater();
        return;
    }
    window->installEventFilter(this);
    connect(window, &QObject::destroyed, this, &QObject::deleteLater);
    watchNativeWindow();
}

void OnceOnScreen::watchNativeWindow()
{
    QWindow *native = m_window ? m_window->windowHandle() : nullptr;
    if (native == nullptr || native == m_nativeWindow) {
        return;
    }
    m_nativeWindow = native;
    native->installEventFilter(this);
    if (m_window->isVisible() && native->isExposed()) {
        runSoon();
    }
}

bool OnceOnScreen::eventFilter(QObject *watched, QEvent *event)
{
    // The native window exists from the show on (a window given back gets a new one).
    if (watched == m_window && event->type() == QEvent::Show) {
        watchNativeWindow();
    } else if (watched == m_nativeWindow && event->type() == QEvent::Expose && m_nativeWindow->isExposed()) {
        runSoon();
    }
    return QObject::eventFilter(watched, event);
}

void OnceOnScreen::runSoon()
{
    if (m_due) {
        return;
    }
    m_due = true;
    // Out of the expose, once Qt has handled it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_window && m_window->isVisible()) {
                const std::function<void()> action = std::move(m_action);
                deleteLater();
                action();
            } else {
                m_due = false;
            }
        },
        Qt::QueuedConnection);
}

} // namespace veyra
