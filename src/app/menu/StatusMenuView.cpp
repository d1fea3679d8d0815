#include "app/menu/StatusMenuView.h"

#include "app/menu/MenuFilling.h"
#include "update/model/AppUpdateChecking.h"

namespace veyra {

StatusMenuView::StatusMenuView(
    AppSession *session, AppUpdateChecking *appUpdateChecker, AppMenuActions actions, QWidget *parent)
    : AppCommandMenu(session, appUpdateChecker, std::move(actions), parent)
{ }

QVector<QVector<StatusMenuItem>> StatusMenuView::sections() const
{
    const bool updateRequired = appUpdateChecker() != nullptr && appUpdateChecker()->isUpdateRequired();
    return statusMenuSections(visibleStatusMenuItems(isSignedIn(), updateRequired));
}

} // namespace veyra
