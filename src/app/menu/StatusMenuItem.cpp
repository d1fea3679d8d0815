#include "app/menu/StatusMenuItem.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

namespace {

struct ItemDescription
{
    const char *titleKey;
    const char *symbol;
    const char *name;
    int group;
};

ItemDescription describe(StatusMenuItem item)
{
    switch (item) {
    case StatusMenuItem::editCaptureAreas:
        return {QT_TRANSLATE_NOOP("Veyra", "Edit Capture Areas…"), "viewfinder", "edit-capture-areas", 1};
    case StatusMenuItem::gameNotes:
        return {QT_TRANSLATE_NOOP("Veyra", "Game Notes…"), "NoteText", "game-notes", 1};
    case StatusMenuItem::customerSupport:
        return {QT_TRANSLATE_NOOP("Veyra", "Customer Support"), "questionmark.bubble", "customer-support", 2};
    case StatusMenuItem::checkForUpdates:
        return {QT_TRANSLATE_NOOP("Veyra", "Check for Updates…"), "arrow.down.circle", "check-for-updates", 2};
    case StatusMenuItem::settings:
        return {QT_TRANSLATE_NOOP("Veyra", "Settings…"), "gearshape", "settings", 2};
    case StatusMenuItem::logOut:
        return {QT_TRANSLATE_NOOP("Veyra", "Log Out"), "rectangle.portrait.and.arrow.right", "log-out", 3};
    case StatusMenuItem::quit:
        return {QT_TRANSLATE_NOOP("Veyra", "Quit"), "power", "quit", 3};
    }
    Q_UNREACHABLE();
}

} // namespace

const QVector<StatusMenuItem> &allStatusMenuItems()
{
    static const QVector<StatusMenuItem> items{StatusMenuItem::editCaptureAreas, StatusMenuItem::gameNotes,
        StatusMenuItem::customerSupport, StatusMenuItem::checkForUpdates, StatusMenuItem::settings,
        StatusMenuItem::logOut, StatusMenuItem::quit};
    return items;
}

const char *statusMenuItemTitleKey(StatusMenuItem item)
{
    return describe(item).titleKey;
}

QString statusMenuItemTitle(StatusMenuItem item)
{
    return localizedString(describe(item).titleKey);
}

QString statusMenuItemSymbol(StatusMenuItem item)
{
    return QString::fromLatin1(describe(item).symbol);
}

int statusMenuItemGroup(StatusMenuItem item)
{
    return describe(item).group;
}

QString statusMenuItemName(StatusMenuItem item)
{
    return QString::fromLatin1(describe(item).name);
}

QVector<StatusMenuItem> visibleStatusMenuItems(bool isSignedIn, bool isUpdateRequired)
{
    if (isUpdateRequired) {
        return {StatusMenuItem::customerSupport, StatusMenuItem::checkForUpdates, StatusMenuItem::quit};
    }
    QVector<StatusMenuItem> items;
    for (const StatusMenuItem item : allStatusMenuItems()) {
        if (item != StatusMenuItem::logOut || isSignedIn) {
            items.append(item);
        }
    }
    return items;
}

} // namespace veyra
