#pragma once

#include <QString>
#include <QVector>

namespace veyra {

// The entries of the tray's status menu, in menu order.
enum class StatusMenuItem {
    editCaptureAreas,
    gameNotes,
    customerSupport,
    checkForUpdates,
    settings,
    logOut,
    quit,
};

// Every item, in declaration order.
const QVector<StatusMenuItem> &allStatusMenuItems();

// The English title (the lookup key); titles end in one "…" character where shown.
const char *statusMenuItemTitleKey(StatusMenuItem item);
// The title in the current interface language.
QString statusMenuItemTitle(StatusMenuItem item);
// The bundled symbol image of the item (":/icons/<name>.svg").
QString statusMenuItemSymbol(StatusMenuItem item);
// Items of one group are listed together; a divider separates two groups.
int statusMenuItemGroup(StatusMenuItem item);
// The item as a kebab-case name ("edit-capture-areas"), for object names.
QString statusMenuItemName(StatusMenuItem item);

// The items to show. While an update is required: Customer Support, Check for Updates…
// and Quit, signed in or not. Otherwise every item, Log Out only when signed in.
QVector<StatusMenuItem> visibleStatusMenuItems(bool isSignedIn, bool isUpdateRequired);

} // namespace veyra
