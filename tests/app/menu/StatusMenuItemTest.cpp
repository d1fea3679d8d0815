// Test label: ui
// The status menu's items: which are shown signed in, signed out and while an update is
// required, where the dividers fall, the titles with their single ellipsis character, and
// a filled menu's actions.
#include "app/menu/StatusMenuItem.h"
#include "app/menu/MenuFilling.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

// The menu as its titles, "-" for a divider.
QStringList shape(const QMenu &menu)
{
    QStringList entries;
    for (const QAction *action : menu.actions()) {
        entries.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return entries;
}

QStringList filled(bool signedIn, bool updateRequired)
{
    QMenu menu;
    fillMenu(
        menu, statusMenuSections(visibleStatusMenuItems(signedIn, updateRequired)), [](StatusMenuItem) { return true; },
        [](StatusMenuItem) {});
    return shape(menu);
}

} // namespace

TEST(StatusMenuItem, VisibleItemsAndDividersFollowSignInAndARequiredUpdate)
{
    const QStringList required{QStringLiteral("Customer Support"), QStringLiteral("Check for Updates\u2026"),
        QStringLiteral("-"), QStringLiteral("Quit")};
    EXPECT_EQ(filled(true, true), required);
    EXPECT_EQ(filled(false, true), required);

    EXPECT_EQ(filled(false, false),
        (QStringList{QStringLiteral("Edit Capture Areas\u2026"), QStringLiteral("Game Notes\u2026"),
            QStringLiteral("-"), QStringLiteral("Customer Support"), QStringLiteral("Check for Updates\u2026"),
            QStringLiteral("Settings\u2026"), QStringLiteral("-"), QStringLiteral("Quit")}));
    EXPECT_EQ(filled(true, false),
        (QStringList{QStringLiteral("Edit Capture Areas\u2026"), QStringLiteral("Game Notes\u2026"),
            QStringLiteral("-"), QStringLiteral("Customer Support"), QStringLiteral("Check for Updates\u2026"),
            QStringLiteral("Settings\u2026"), QStringLiteral("-"), QStringLiteral("Log Out"), QStringLiteral("Quit")}));
    EXPECT_EQ(visibleStatusMenuItems(true, false), allStatusMenuItems());
}

TEST(StatusMenuItem, AFilledMenuEnablesAndTriggersEachItemAndIsReplacedWhole)
{
    QMenu menu;
    QVector<StatusMenuItem> performed;
    const auto fill = [&] {
        fillMenu(
            menu, statusMenuSections(visibleStatusMenuItems(true, false)),
            [](StatusMenuItem item) { return item != StatusMenuItem::editCaptureAreas; },
            [&](StatusMenuItem item) { performed.append(item); });
    };
    fill();
    fill();
    EXPECT_EQ(shape(menu).size(), 9);
    auto *edit = menu.findChild<QAction *>(QStringLiteral("edit-capture-areas"));
    auto *logOut = menu.findChild<QAction *>(QStringLiteral("log-out"));
    ASSERT_NE(edit, nullptr);
    ASSERT_NE(logOut, nullptr);
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(logOut->icon().isNull());
    logOut->trigger();
    edit->trigger();
    EXPECT_EQ(performed, QVector<StatusMenuItem>{StatusMenuItem::logOut});
}
