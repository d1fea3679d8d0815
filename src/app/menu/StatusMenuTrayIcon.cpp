#include "app/menu/StatusMenuTrayIcon.h"

#include "brand/BrandIcons.h"
#include "brand/VeyraBrandPalette.h"
#include "foundation/identity/AppIdentity.h"

#include <QCursor>
#include <QMenu>

namespace veyra {

StatusMenuTrayIcon::StatusMenuTrayIcon(QMenu *statusMenu, QObject *parent)
    : QSystemTrayIcon(statusMenuIcon(), parent)
    , m_statusMenu(statusMenu)
{
    setToolTip(appDisplayName());
    setContextMenu(statusMenu);
    // A left click opens the menu as well, as a menu-bar item does.
    connect(this, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason != QSystemTrayIcon::Trigger || !m_statusMenu) {
            return;
        }
        const QRect icon = geometry();
        m_statusMenu->popup(icon.isValid() ? icon.bottomLeft() : QCursor::pos());
    });
}

QIcon StatusMenuTrayIcon::statusMenuIcon()
{
    // A tray cannot tell its panel's colour: bright orange reads on dark and light panels.
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(statusMenuIconTemplate(QSize(side, side), VeyraBrandPalette::brightOrange()));
    }
    return icon;
}

} // namespace veyra
