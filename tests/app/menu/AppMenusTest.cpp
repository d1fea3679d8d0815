// Test label: ui
// The tray's status menu and the main window's commands over a real session and update
// model: the entries and their enabling across phases and a required update, each
// entry's action, and the relabelling when the interface language changes.
#include "app/menu/ObriskCommands.h"
#include "app/menu/StatusMenuView.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguageSettingsModel.h"
#include "foundation/language/InMemoryClientLanguageSettingsStore.h"
#include "support/ShellSessionRig.h"
#include "support/TestAppUpdateModel.h"

#include <QAction>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

// The menu's entries by object name, "-" for a divider, as filled for showing.
QStringList entries(AppCommandMenu &menu)
{
    menu.recompute();
    QStringList names;
    for (const QAction *action : menu.actions()) {
        names.append(action->isSeparator() ? QStringLiteral("-") : action->objectName());
    }
    return names;
}

QAction *entry(AppCommandMenu &menu, const QString &name)
{
    menu.recompute();
    return menu.findChild<QAction *>(name);
}

const QString divider = QStringLiteral("-");
const QStringList signedOutEntries{QStringLiteral("edit-capture-areas"), QStringLiteral("game-notes"), divider,
    QStringLiteral("customer-support"), QStringLiteral("check-for-updates"), QStringLiteral("settings"), divider,
    QStringLiteral("quit")};
const QStringList signedInEntries{QStringLiteral("edit-capture-areas"), QStringLiteral("game-notes"), divider,
    QStringLiteral("customer-support"), QStringLiteral("check-for-updates"), QStringLiteral("settings"), divider,
    QStringLiteral("log-out"), QStringLiteral("quit")};
const QStringList updateRequiredEntries{
    QStringLiteral("customer-support"), QStringLiteral("check-for-updates"), divider, QStringLiteral("quit")};

class AppMenusTest : public ::testing::Test
{
protected:
    AppMenusTest()
    {
        actions.openWindow = [this](const QString &identifier) { log.append(QStringLiteral("open ") + identifier); };
        actions.openSettings = [this] { log.append(QStringLiteral("settings")); };
        actions.terminateApplication = [this] { log.append(QStringLiteral("terminate")); };
        session.captureAreaEditorRouter().setOpenAction([this] { log.append(QStringLiteral("editor")); });
    }
    ~AppMenusTest() override { setCurrentClientLanguage(ClientLanguage::english); }

    ShellSessionRig rig;
    AppSession &session = *rig.session;
    ClientLanguageSettingsModel languageModel{
        std::make_unique<InMemoryClientLanguageSettingsStore>(), {QStringLiteral("en-US")}};
    TestAppUpdateModel updates;
    AppUpdateModel &update = *updates.model;
    AppMenuActions actions;
    QStringList log;
};

} // namespace

TEST_F(AppMenusTest, TheStatusMenuFollowsSignInAndARequiredUpdate)
{
    StatusMenuView menu(&session, &update, actions);
    // Restoring the saved sign-in counts as signed out.
    EXPECT_EQ(entries(menu), signedOutEntries);
    rig.reachRequestingPermission();
    EXPECT_EQ(entries(menu), signedInEntries);
    rig.permission->answerRequest(false);
    ASSERT_TRUE(waitUntil([&] { return session.phase() == AppPhase::permissionDenied(); }));
    EXPECT_EQ(entries(menu), signedInEntries);
    updates.setUpdateRequired();
    EXPECT_EQ(entries(menu), updateRequiredEntries);
    session.logOut();
    EXPECT_EQ(entries(menu), updateRequiredEntries);
    update.setMinimumVersionState(MinimumVersionState::allowed());
    EXPECT_EQ(entries(menu), signedOutEntries);

    ShellSessionRig playing;
    StatusMenuView playingMenu(playing.session.get(), &update, actions);
    playing.reachChoosing();
    EXPECT_EQ(entries(playingMenu), signedInEntries);
    playing.play();
    EXPECT_EQ(entries(playingMenu), signedInEntries);
}

TEST_F(AppMenusTest, TheStatusMenuEnablesAndRunsEachEntry)
{
    StatusMenuView menu(&session, &update, actions);
    rig.reachChoosing();
    // No selected window: Edit Capture Areas… is disabled and does nothing.
    EXPECT_FALSE(entry(menu, QStringLiteral("edit-capture-areas"))->isEnabled());
    menu.perform(StatusMenuItem::editCaptureAreas);
    EXPECT_TRUE(log.isEmpty());
    update.setUpdateSessionActive(true);
    EXPECT_FALSE(entry(menu, QStringLiteral("check-for-updates"))->isEnabled());
    update.setUpdateSessionActive(false);
    EXPECT_TRUE(entry(menu, QStringLiteral("check-for-updates"))->isEnabled());

    rig.play();
    ASSERT_TRUE(entry(menu, QStringLiteral("edit-capture-areas"))->isEnabled());
    for (const QString &name :
        {QStringLiteral("edit-capture-areas"), QStringLiteral("game-notes"), QStringLiteral("customer-support"),
            QStringLiteral("check-for-updates"), QStringLiteral("settings"), QStringLiteral("quit")}) {
        entry(menu, name)->trigger();
    }
    EXPECT_EQ(log,
        (QStringList{QStringLiteral("editor"), QStringLiteral("open game-notes"), QStringLiteral("settings"),
            QStringLiteral("terminate")}));
    EXPECT_EQ(rig.pages->supportPages, 1);
    EXPECT_EQ(updates.driver->checks, 1);
    // Quit ends the application directly, even during play, not through the session.
    EXPECT_EQ(rig.terminations, 0);

    // Once the session is ending, Edit Capture Areas… opens nothing.
    session.terminate();
    log.clear();
    menu.perform(StatusMenuItem::editCaptureAreas);
    EXPECT_TRUE(log.isEmpty());

    ShellSessionRig other;
    StatusMenuView otherMenu(other.session.get(), &update, actions);
    other.reachChoosing();
    entry(otherMenu, QStringLiteral("log-out"))->trigger();
    EXPECT_EQ(other.session->phase(), AppPhase::signedOut());
}

TEST_F(AppMenusTest, TheCommandsAreNotReducedByARequiredUpdateAndCarryCustomerSupportWithoutATray)
{
    ObriskCommands commands(&session, &update, actions, true);
    updates.setUpdateRequired();
    EXPECT_EQ(entries(commands),
        (QStringList{QStringLiteral("check-for-updates"), divider, QStringLiteral("settings"),
            QStringLiteral("edit-capture-areas"), QStringLiteral("game-notes"), divider, QStringLiteral("quit")}));
    EXPECT_EQ(commands.title(), appDisplayName());
    rig.reachPermissionDenied();
    EXPECT_EQ(entries(commands),
        (QStringList{QStringLiteral("check-for-updates"), divider, QStringLiteral("settings"),
            QStringLiteral("edit-capture-areas"), QStringLiteral("game-notes"), QStringLiteral("log-out"), divider,
            QStringLiteral("quit")}));

    ObriskCommands withoutTray(&session, &update, actions, false);
    EXPECT_EQ(entries(withoutTray),
        (QStringList{QStringLiteral("check-for-updates"), divider, QStringLiteral("settings"),
            QStringLiteral("edit-capture-areas"), QStringLiteral("game-notes"), QStringLiteral("log-out"), divider,
            QStringLiteral("customer-support"), divider, QStringLiteral("quit")}));
}

TEST_F(AppMenusTest, AChangeOfInterfaceLanguageRelabelsEveryEntryAtOnce)
{
    StatusMenuView menu(&session, &update, actions);
    QCoreApplication::processEvents();
    ASSERT_NE(menu.findChild<QAction *>(QStringLiteral("quit")), nullptr);
    EXPECT_EQ(menu.findChild<QAction *>(QStringLiteral("quit"))->text(), QStringLiteral("Quit"));
    languageModel.setLanguage(ClientLanguage::korean);
    ASSERT_TRUE(
        waitUntil([&] { return menu.findChild<QAction *>(QStringLiteral("quit"))->text() == QStringLiteral("종료"); }));
    EXPECT_EQ(menu.findChild<QAction *>(QStringLiteral("settings"))->text(), QStringLiteral("설정…"));
}
