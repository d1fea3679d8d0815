#include "app/root/WindowRoles.h"

#include "capture/x11/XcbWindowRole.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace veyra {

WindowRoles::WindowRoles(QObject *parent)
    : QObject(parent)
{
    if (QCoreApplication *application = QCoreApplication::instance()) {
        application->installEventFilter(this);
    }
}

WindowRoles::~WindowRoles()
{
    if (QCoreApplication *application = QCoreApplication::instance()) {
        application->removeEventFilter(this);
    }
}

bool WindowRoles::eventFilter(QObject *watched, QEvent *event)
{
    // A window is created before it is shown, and mapped after its show event: the role
    // is on the window before the window manager sees it. A window named later (the main
    // window is named once its content is in it) takes its role then.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->isWindow()) {
            connect(widget, &QObject::objectNameChanged, this, &WindowRoles::windowRenamed, Qt::UniqueConnection);
            applyRole(*widget);
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowRoles::windowRenamed()
{
    if (auto *widget = qobject_cast<QWidget *>(sender()); widget != nullptr && widget->isWindow()) {
        applyRole(*widget);
    }
}

void WindowRoles::applyRole(QWidget &window)
{
    const QString name = window.objectName();
    if (name.isEmpty() || window.windowRole() == name) {
        return;
    }
    window.setWindowRole(name);
    // Qt hands the role to X only when it creates the native window.
    if (window.testAttribute(Qt::WA_WState_Created)) {
        setOwnWindowRole(static_cast<std::uint32_t>(window.winId()), name);
    }
}

} // namespace veyra
