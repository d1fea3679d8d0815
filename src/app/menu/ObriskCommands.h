#pragma once

#include "app/menu/AppCommandMenu.h"

namespace veyra {

// The main window's application menu, titled with the display name: Check for Updates…;
// then Settings…, Edit Capture Areas…, Game Notes… and, when signed in, Log Out; then
// Quit. It is not reduced while an update is required. Without a system tray the status
// menu is out of reach, so its remaining item, Customer Support, is offered here too.
class ObriskCommands : public AppCommandMenu
{
    Q_OBJECT

public:
    ObriskCommands(AppSession *session, AppUpdateChecking *appUpdateChecker, AppMenuActions actions, bool hasStatusMenu,
        QWidget *parent = nullptr);

protected:
    QVector<QVector<StatusMenuItem>> sections() const override;
    void retitle() override;

private:
    const bool m_hasStatusMenu;
};

} // namespace veyra
