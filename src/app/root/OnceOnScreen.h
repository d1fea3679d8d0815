#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;
class QWindow;

namespace veyra {

// Runs an action once a top-level window is on the screen: its native window shown and
// exposed, so that the window manager has placed it and Qt knows where (at once when it is
// already). The action runs once, on a later turn of the event loop, and never after the
// window or this object has gone; it deletes itself then. GUI thread.
class OnceOnScreen : public QObject
{
    Q_OBJECT

public:
    OnceOnScreen(QWidget *window, std::function<void()> action, QObject *parent = nullptr);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchNativeWindow();
    void runSoon();

    QPointer<QWidget> m_window;
    QPointer<QWindow> m_nativeWindow;
    std::function<void()> m_action;
    bool m_due = false;
};

} // namespace veyra
