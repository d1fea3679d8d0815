#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

namespace veyra {

// An invisible widget that the main flow places in the main window's content. The shown
// window that ends up hosting it is named "main" (its object name, the identifier of the main
// window) and its closing is reported through `onClose`, once per close that goes ahead
// (a close the window refuses reports nothing).
//
// The observer looks for its window on a later turn of the event loop whenever it is
// made, shown or given another parent, so that content placed in a window after it was
// made, or moved to another window, is picked up; a move stops the observation of the
// old window first. Destroying the observer ends the observation; the window keeps its
// name. GUI thread only.
class MainWindowLifecycleObserver : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char *windowIdentifier = "main";

    explicit MainWindowLifecycleObserver(std::function<void()> onClose, QWidget *parent = nullptr);
    ~MainWindowLifecycleObserver() override;

    // The window currently named and observed; none before the first attach.
    QWidget *observedWindow() const { return m_observedWindow; }

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void scheduleAttach();
    void attach();
    void detach();

    const std::function<void()> m_onClose;
    QPointer<QWidget> m_observedWindow;
    // Set by the window's close event; the hide that follows it at once is the close.
    bool m_closeRequested = false;
};

} // namespace veyra
