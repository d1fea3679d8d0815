#include "app/lifecycle/MainWindowLifecycleObserver.h"

#include <QEvent>
#include <QTimer>

namespace veyra {

MainWindowLifecycleObserver::MainWindowLifecycleObserver(std::function<void()> onClose, QWidget *parent)
    : QWidget(parent)
    , m_onClose(std::move(onClose))
{
    setFixedSize(0, 0);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    scheduleAttach();
}

MainWindowLifecycleObserver::~MainWindowLifecycleObserver()
{
    detach();
}

bool MainWindowLifecycleObserver::event(QEvent *event)
{
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Show) {
        scheduleAttach();
    }
    return QWidget::event(event);
}

void MainWindowLifecycleObserver::scheduleAttach()
{
    QTimer::singleShot(0, this, &MainWindowLifecycleObserver::attach);
}

void MainWindowLifecycleObserver::attach()
{
    // Content that no shown window holds yet is in no window.
    QWidget *hostWindow = window();
    if (hostWindow == this || !hostWindow->isVisible() || hostWindow == m_observedWindow) {
        return;
    }
    detach();
    m_observedWindow = hostWindow;
    hostWindow->setObjectName(QString::fromLatin1(windowIdentifier));
    hostWindow->installEventFilter(this);
}

void MainWindowLifecycleObserver::detach()
{
    if (m_observedWindow) {
        m_observedWindow->removeEventFilter(this);
    }
    m_observedWindow = nullptr;
    m_closeRequested = false;
}

bool MainWindowLifecycleObserver::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_observedWindow) {
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Close) {
        // A close that goes ahead hides the window before control returns to the event
        // loop; one that was refused leaves it shown, and the flag is dropped then.
        m_closeRequested = true;
        QTimer::singleShot(0, this, [this] { m_closeRequested = false; });
    } else if (event->type() == QEvent::Hide && m_closeRequested) {
        m_closeRequested = false;
        if (m_onClose) {
            // The handler may end the window, and this observer with it.
            const QPointer<MainWindowLifecycleObserver> self(this);
            const std::function<void()> onClose = m_onClose;
            onClose();
            if (!self) {
                return false;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace veyra
