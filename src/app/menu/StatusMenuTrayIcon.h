#pragma once

#include <QPointer>
#include <QSystemTrayIcon>

class QMenu;

namespace veyra {

// The application's entry in the system tray: the brand mark, named with the display
// name, opening the status menu on a click of either button. Where the desktop has no
// tray the icon shows nothing; the main window's commands then carry the menu's items.
class StatusMenuTrayIcon : public QSystemTrayIcon
{
    Q_OBJECT

public:
    explicit StatusMenuTrayIcon(QMenu *statusMenu, QObject *parent = nullptr);

    // The brand mark as a single-colour image, light enough for dark and light panels.
    static QIcon statusMenuIcon();

private:
    QPointer<QMenu> m_statusMenu;
};

} // namespace veyra
