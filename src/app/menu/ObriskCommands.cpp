#include "app/menu/ObriskCommands.h"

#include "foundation/identity/AppIdentity.h"

namespace veyra {

ObriskCommands::ObriskCommands(AppSession *session, AppUpdateChecking *appUpdateChecker, AppMenuActions actions,
    bool hasStatusMenu, QWidget *parent)
    : AppCommandMenu(session, appUpdateChecker, std::move(actions), parent)
    , m_hasStatusMenu(hasStatusMenu)
{
    setObjectName(QStringLiteral("app-commands"));
}

QVector<QVector<StatusMenuItem>> ObriskCommands::sections() const
{
    QVector<StatusMenuItem> windows{
        StatusMenuItem::settings, StatusMenuItem::editCaptureAreas, StatusMenuItem::gameNotes};
    if (isSignedIn()) {
        windows.append(StatusMenuItem::logOut);
    }
    QVector<QVector<StatusMenuItem>> sections{{StatusMenuItem::checkForUpdates}, windows};
    if (!m_hasStatusMenu) {
        sections.append({StatusMenuItem::customerSupport});
    }
    sections.append({StatusMenuItem::quit});
    return sections;
}

void ObriskCommands::retitle()
{
    setTitle(appDisplayName());
}

} // namespace veyra
