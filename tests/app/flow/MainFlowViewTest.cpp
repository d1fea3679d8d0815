// Test label: ui
// The main window's content over a real session and a real update model: the
// minimum-version screen before anything else, the start of the session once per view
// after an allowed check, the screen of each phase, the dismissal when play begins,
// terminating on close outside play, the routers' window actions and the locale that
// follows the interface language.
#include "app/flow/MainFlowView.h"
#include "app/setup/GameSetupView.h"
#include "capture/fixtures/FixtureWindowCatalog.h"
#include "foundation/language/ClientLanguageSettingsModel.h"
#include "foundation/language/InMemoryClientLanguageSettingsStore.h"
#include "foundation/language/LocalizedString.h"
#include "support/RunTask.h"
#include "support/ShellSessionRig.h"
#include "support/TestAppUpdateModel.h"
#include "update/views/MinimumVersionUpdateView.h"

#include <QLabel>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

class MainFlowViewTest : public ::testing::Test
{
protected:
    MainFlowViewTest()
    {
        view = new MainFlowView(
            &session, &update, std::make_shared<FixtureWindowCatalog>(), windowActions(opened), [](QWidget *parent) {
                auto *screen = new QLabel(QStringLiteral("sign in"), parent);
                screen->setObjectName(QStringLiteral("sign-in-screen"));
                return screen;
            });
        (new QVBoxLayout(&window))->addWidget(view);
        window.resize(700, 480);
    }
    ~MainFlowViewTest() override { setCurrentClientLanguage(ClientLanguage::english); }

    MainFlowView::WindowActions windowActions(QStringList &openings)
    {
        MainFlowView::WindowActions actions;
        actions.openWindow = [&openings](const QString &identifier) { openings.append(identifier); };
        actions.dismissWindow = [this](const QString &identifier) {
            dismissed.append(identifier);
            window.close();
        };
        return actions;
    }
    QString screen() { return view->currentScreen()->objectName(); }
    // Shows the window and lets the foreground check allow the build.
    void showAllowed()
    {
        window.show();
        updates.allowRunningBuild();
        ASSERT_TRUE(waitUntil([&] { return view->hasStartedSession(); }));
    }
    void waitForTheWindowsName()
    {
        ASSERT_TRUE(waitUntil([&] { return window.objectName() == QStringLiteral("main"); }));
    }

    ShellSessionRig rig;
    AppSession &session = *rig.session;
    ClientLanguageSettingsModel languageModel{
        std::make_unique<InMemoryClientLanguageSettingsStore>(), {QStringLiteral("en-US")}};
    TestAppUpdateModel updates;
    AppUpdateModel &update = *updates.model;
    QWidget window;
    MainFlowView *view = nullptr;
    QStringList opened;
    QStringList dismissed;
};

const QString gate = QStringLiteral("minimum-version-screen");

} // namespace

TEST_F(MainFlowViewTest, TheGateComesFirstAndAnAllowedCheckStartsTheSessionOncePerView)
{
    // Starting the session while it checks the capture permission checks it again: each
    // start shows as one more check.
    rig.reachCheckingPermission();
    EXPECT_EQ(rig.permission->preflights, 1);
    EXPECT_EQ(screen(), gate);
    update.setMinimumVersionState(MinimumVersionState::allowed());
    update.setMinimumVersionState(MinimumVersionState::checkFailed());
    EXPECT_EQ(screen(), gate);

    // Coming on screen: the state goes back to checking and a foreground check runs.
    window.show();
    EXPECT_EQ(update.minimumVersionState(), MinimumVersionState::checking());
    EXPECT_EQ(updates.policyClient->fetchCount, 1);
    // It fails: the failure shows, and the session is not started.
    updates.failCheck();
    ASSERT_TRUE(waitUntil([&] { return update.minimumVersionState() == MinimumVersionState::checkFailed(); }));
    EXPECT_EQ(screen(), gate);
    EXPECT_EQ(rig.permission->preflights, 1);

    // "Try Again" on the minimum-version screen allows the build: the session starts.
    auto *minimumVersionScreen = qobject_cast<MinimumVersionUpdateView *>(view->currentScreen());
    ASSERT_NE(minimumVersionScreen, nullptr);
    minimumVersionScreen->retryCheck();
    updates.allowRunningBuild();
    ASSERT_TRUE(waitUntil([&] { return view->hasStartedSession(); }));
    EXPECT_EQ(rig.permission->preflights, 2);
    EXPECT_NE(view->gameSetupView(), nullptr);

    // Shown again: the gate returns while the check runs again; this view does not start
    // the session a second time.
    window.hide();
    window.show();
    EXPECT_EQ(screen(), gate);
    updates.allowRunningBuild();
    ASSERT_TRUE(waitUntil([&] { return view->gameSetupView() != nullptr; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.permission->preflights, 2);

    // A view that leaves the screen ends its check: nothing is started.
    ShellSessionRig other;
    other.reachCheckingPermission();
    QStringList otherOpenings;
    MainFlowView leaving(
        other.session.get(), &update, std::make_shared<FixtureWindowCatalog>(), windowActions(otherOpenings), {});
    leaving.show();
    ASSERT_EQ(updates.policyClient->waitingCount(), 1);
    leaving.hide();
    ASSERT_TRUE(waitUntil([&] { return updates.policyClient->waitingCount() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(leaving.hasStartedSession());
    EXPECT_EQ(other.permission->preflights, 1);
}

TEST_F(MainFlowViewTest, EachPhaseShowsItsScreen)
{
    showAllowed();
    // Restoring the saved sign-in, and signed out: the sign-in screen.
    EXPECT_EQ(screen(), QStringLiteral("sign-in-screen"));
    rig.reachCheckingPermission();
    GameSetupView *setup = view->gameSetupView();
    ASSERT_NE(setup, nullptr);
    rig.permission->answerPreflight(false);
    ASSERT_TRUE(waitUntil([&] { return session.phase() == AppPhase::requestingPermission(); }));
    EXPECT_EQ(view->gameSetupView(), setup);
    rig.permission->answerRequest(false);
    ASSERT_TRUE(waitUntil([&] { return session.phase() == AppPhase::permissionDenied(); }));
    EXPECT_EQ(view->gameSetupView(), setup);
    session.logOut();
    EXPECT_EQ(screen(), QStringLiteral("sign-in-screen"));
    EXPECT_TRUE(dismissed.isEmpty());
}

TEST_F(MainFlowViewTest, PlayDismissesTheMainWindowWithoutEndingTheApplication)
{
    rig.reachChoosing();
    showAllowed();
    waitForTheWindowsName();
    ASSERT_NE(view->gameSetupView(), nullptr);
    rig.play();
    EXPECT_EQ(dismissed, QStringList{QStringLiteral("main")});
    EXPECT_EQ(view->gameSetupView(), nullptr);
    EXPECT_TRUE(view->currentScreen()->findChildren<QWidget *>().isEmpty());
    EXPECT_EQ(rig.terminations, 0);
}

TEST_F(MainFlowViewTest, ClosingTheMainWindowOutsidePlayTerminatesTheSession)
{
    rig.reachChoosing();
    showAllowed();
    waitForTheWindowsName();
    window.close();
    EXPECT_EQ(rig.terminations, 1);
}

TEST_F(MainFlowViewTest, AStartThatFindsThePlayAlreadyRunningDismissesTheWindowAtOnce)
{
    rig.play();
    dismissed.clear();
    showAllowed();
    EXPECT_EQ(dismissed, QStringList{QStringLiteral("main")});
}

TEST_F(MainFlowViewTest, TheRoutersOpenWindowsThroughTheNewestMainWindow)
{
    rig.play();
    session.captureAreaEditorRouter().open();
    EXPECT_TRUE(opened.isEmpty());
    window.show();
    session.openCaptureAreaEditor();
    session.mainWindowRouter().open();
    EXPECT_EQ(opened, (QStringList{QStringLiteral("capture-areas"), QStringLiteral("main")}));

    QStringList reopened;
    MainFlowView newer(&session, &update, std::make_shared<FixtureWindowCatalog>(), windowActions(reopened), {});
    newer.show();
    session.chooseAnotherWindow();
    EXPECT_EQ(reopened, QStringList{QStringLiteral("main")});
    EXPECT_EQ(opened.size(), 2);
}

TEST_F(MainFlowViewTest, TheContentsLocaleFollowsTheInterfaceLanguage)
{
    rig.reachChoosing();
    showAllowed();
    EXPECT_EQ(view->locale().name().left(2), QStringLiteral("en"));
    languageModel.setLanguage(ClientLanguage::japanese);
    ASSERT_TRUE(waitUntil([&] { return view->locale().name().left(2) == QStringLiteral("ja"); }));
    auto *title = view->findChild<QLabel *>(QStringLiteral("window-picker-title"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), localizedString("Which game are we playing?"));
    EXPECT_NE(title->text(), QStringLiteral("Which game are we playing?"));
}
