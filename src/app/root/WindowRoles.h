#pragma once

#include <QObject>

class QWidget;

namespace veyra {

// Gives each top-level window its object name as its X window role (WM_WINDOW_ROLE), set
// when the window is shown and again when it is renamed, so that the window's identity is
// readable from outside the process, whatever its title says: windows may share a title
// (the capture-area editor and its guide) and titles change with the interface language.
// Windows without an object name keep their role. Watches the whole application while it
// lives. GUI thread.
class WindowRoles : public QObject
{
    Q_OBJECT

public:
    explicit WindowRoles(QObject *parent = nullptr);
    ~WindowRoles() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void windowRenamed();
    static void applyRole(QWidget &window);
};

} // namespace veyra
