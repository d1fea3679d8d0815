#include "app/root/HiddenWindowRelease.h"

#include <QEvent>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace veyra {

namespace {

// QWidget::destroy() is meant for a widget's own class; this reaches it for a window of
// any class (the main window and the guide's sheet are Qt's own classes).
class NativeWindowDestruction : public QWidget
{
public:
    static void destroyNativeWindow(QWidget &window) { (window.*&NativeWindowDestruction::destroy)(true, true); }
};

} // namespace

HiddenWindowRelease::HiddenWindowRelease(QObject *parent)
    : QObject(parent)
{ }

void HiddenWindowRelease::watch(QWidget *window)
{
    if (window != nullptr && window->isWindow()) {
        window->installEventFilter(this);
    }
}

bool HiddenWindowRelease::eventFilter(QObject *watched, QEvent *event)
{
    // A spontaneous hide is the window manager's (minimised, another workspace): the window
    // comes back as it was. A window hidden by the program is released once the hide is
    // over, unless it has been shown again meanwhile.
    if (event->type() == QEvent::Hide && !event->spontaneous() && watched->isWidgetType()) {
        QMetaObject::invokeMethod(
            this,
            [window = QPointer<QWidget>(static_cast<QWidget *>(watched))] {
                if (window) {
                    release(*window);
                }
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void HiddenWindowRelease::release(QWidget &window)
{
    // A closed window has lost its native window already (Qt destroys it as the close is
    // accepted) but not its backing store.
    if (window.isWindow() && window.isHidden()
        && (window.backingStore() != nullptr || window.windowHandle() != nullptr)) {
        // Where the window was (as the window manager or the player left it): the next
        // native window is made there, by its client area. Left to the window manager, a
        // window never placed by the program would come back wherever a new window goes.
        const QRect client = window.geometry();
        NativeWindowDestruction::destroyNativeWindow(window);
        window.setGeometry(client);
    }
}

} // namespace veyra
