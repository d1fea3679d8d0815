#pragma once

#include "app/menu/AppCommandMenu.h"

namespace veyra {

// The tray's status menu: while an update is required only Customer Support, Check for
// Updates… and Quit; otherwise every item, Log Out only when signed in. Edit Capture
// Areas… is enabled while the session can edit capture areas, Check for Updates… while
// the update model can check.
class StatusMenuView : public AppCommandMenu
{
    Q_OBJECT

public:
    StatusMenuView(
        AppSession *session, AppUpdateChecking *appUpdateChecker, AppMenuActions actions, QWidget *parent = nullptr);

protected:
    QVector<QVector<StatusMenuItem>> sections() const override;
};

} // namespace veyra
