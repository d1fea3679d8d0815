// Test label: ui
// The set-up screen driven through its widgets while a real session walks through its
// phases: the three steps, the titles, the progress and denied panes with their buttons,
// the window picker while choosing (and the choice reaching the session), the update
// button, relabelling.
#include "app/setup/GameSetupView.h"
#include "app/picker/WindowPickerModel.h"
#include "app/picker/WindowPickerView.h"
#include "app/setup/AvailableAppUpdateButton.h"
#include "app/setup/SetupStepRow.h"
#include "app/style/ProgressPane.h"
#include "brand/VeyraBrandLockup.h"
#include "capture/fixtures/FixtureWindowCatalog.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "support/RunTask.h"
#include "support/ShellSessionRig.h"
#include "support/TestAppUpdateModel.h"
#include "support/WidgetLookup.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

struct Step
{
    QString title;
    QString status;
    bool complete;
    bool current;
    bool operator==(const Step &) const = default;
};

const QString ready = QStringLiteral("Ready");
const QString currentStep = QStringLiteral("Current step");
const QString nextStep = QStringLiteral("Next step");
const AvailableAppUpdate newerBuild{QStringLiteral("1.3.0"), QStringLiteral("130")};

QString deniedMessage()
{
    return QStringLiteral("%1 can't capture game windows on this display: its X server runs without the Composite "
                          "extension. Turn Composite on in the X server's configuration, then quit and reopen %1.")
        .arg(appDisplayName());
}

class GameSetupViewTest : public ::testing::Test
{
protected:
    GameSetupViewTest() { view.resize(760, 520); }
    ~GameSetupViewTest() override { setCurrentClientLanguage(ClientLanguage::english); }

    template <typename T = QWidget>
    T *find(const QString &name)
    {
        return named<T>(view, name);
    }
    bool shown(const QString &name) { return isShownIn(view, name); }
    Step step(int number)
    {
        auto *row = find<SetupStepRow>(QStringLiteral("game-setup-step-%1").arg(number));
        return {row->title(), row->status(), row->isComplete(), row->isCurrent()};
    }
    QString title() { return find<QLabel>(QStringLiteral("window-picker-title"))->text(); }
    bool showsText(const QString &text)
    {
        const QList<QLabel *> labels = view.findChildren<QLabel *>();
        return std::any_of(labels.begin(), labels.end(),
            [&](const QLabel *label) { return label->isVisibleTo(&view) && label->text() == text; });
    }
    QPushButton *deniedButton(const QString &text)
    {
        for (auto *button : find(QStringLiteral("screen-recording-permission-denied"))->findChildren<QPushButton *>()) {
            if (button->text() == text) {
                return button;
            }
        }
        return nullptr;
    }
    bool pickerLoaded()
    {
        return waitUntil([&] {
            return view.windowPicker() != nullptr
                && view.windowPicker()->model()->state() == WindowPickerModel::State::loaded();
        });
    }

    ShellSessionRig rig;
    AppSession &session = *rig.session;
    TestAppUpdateModel updates;
    AppUpdateModel &update = *updates.model;
    std::shared_ptr<FixtureWindowCatalog> catalog = std::make_shared<FixtureWindowCatalog>();
    GameSetupView view{&session, &update, catalog};
};

} // namespace

TEST_F(GameSetupViewTest, PermissionPhasesShowProgressOrTheDeniedPaneWithTheSecondStepCurrent)
{
    update.setAvailableUpdate(newerBuild);
    rig.reachCheckingPermission();
    view.show();
    EXPECT_EQ(find<VeyraBrandLockup>(QStringLiteral("game-setup-progress"))->title(), QStringLiteral("Bring Veyra in"));
    EXPECT_EQ(step(1), (Step{QStringLiteral("Sign in"), ready, true, false}));
    EXPECT_EQ(step(2), (Step{QStringLiteral("Allow screen access"), currentStep, false, true}));
    // Only the current step says so; the step still ahead says it comes next.
    EXPECT_EQ(step(3), (Step{QStringLiteral("Choose your game"), nextStep, false, false}));
    EXPECT_FALSE(find<SetupStepRow>(QStringLiteral("game-setup-step-3"))->isHighlighted());
    EXPECT_EQ(title(), QStringLiteral("Which game are we playing?"));
    ASSERT_TRUE(shown(QStringLiteral("screen-recording-permission-progress")));
    EXPECT_EQ(find<ProgressPane>(QStringLiteral("screen-recording-permission-progress"))->text(),
        QStringLiteral("Checking screen recording permission\u2026"));
    // No update button outside window choice, even with an update on offer.
    EXPECT_FALSE(shown(QStringLiteral("available-app-update")));

    rig.permission->answerPreflight(false);
    ASSERT_TRUE(waitUntil([&] { return session.phase() == AppPhase::requestingPermission(); }));
    EXPECT_EQ(find<ProgressPane>(QStringLiteral("screen-recording-permission-progress"))->text(),
        QStringLiteral("Requesting screen recording permission\u2026"));

    rig.permission->answerRequest(false);
    ASSERT_TRUE(waitUntil([&] { return session.phase() == AppPhase::permissionDenied(); }));
    EXPECT_EQ(title(), QStringLiteral("Allow Screen Access"));
    EXPECT_TRUE(showsText(QStringLiteral("%1 needs screen recording access to list and capture the window you select.")
                              .arg(appDisplayName())));
    EXPECT_TRUE(shown(QStringLiteral("screen-recording-permission-denied")));
    EXPECT_FALSE(shown(QStringLiteral("screen-recording-permission-progress")));
    EXPECT_EQ(step(2), (Step{QStringLiteral("Allow screen access"), currentStep, false, true}));
    // Capture is refused only by an X server without Composite: the pane says so, and
    // offers no button that has nothing to open.
    EXPECT_TRUE(showsText(deniedMessage()));
    const QList<QPushButton *> buttons
        = find(QStringLiteral("screen-recording-permission-denied"))->findChildren<QPushButton *>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("Quit"));

    // Outside the four set-up phases: nothing below the divider, step 2 current.
    session.logOut();
    EXPECT_EQ(title(), QStringLiteral("Which game are we playing?"));
    EXPECT_FALSE(shown(QStringLiteral("screen-recording-permission-denied")));
    EXPECT_FALSE(shown(QStringLiteral("screen-recording-permission-progress")));
    EXPECT_TRUE(step(2).current);
    EXPECT_EQ(step(2).status, currentStep);
    EXPECT_EQ(step(3).status, nextStep);
}

TEST_F(GameSetupViewTest, QuitTerminatesThroughTheSession)
{
    rig.reachPermissionDenied();
    view.show();
    QTest::mouseClick(deniedButton(QStringLiteral("Quit")), Qt::LeftButton);
    EXPECT_EQ(rig.terminations, 1);
    EXPECT_TRUE(session.isTerminating());
}

TEST_F(GameSetupViewTest, ChoosingShowsThePickerWhoseChoiceGoesToTheSessionAndTheUpdateButtonOnOffer)
{
    rig.reachCheckingPermission();
    view.show();
    EXPECT_EQ(view.windowPicker(), nullptr);
    rig.permission->answerPreflight(true);
    ASSERT_TRUE(waitUntil([&] { return session.phase() == AppPhase::choosing(); }));
    EXPECT_EQ(step(1), (Step{QStringLiteral("Sign in"), ready, true, false}));
    EXPECT_EQ(step(2), (Step{QStringLiteral("Allow screen access"), ready, true, false}));
    EXPECT_EQ(step(3), (Step{QStringLiteral("Choose your game"), currentStep, false, true}));
    ASSERT_TRUE(pickerLoaded());

    // The update button comes and goes with the offer, and is disabled while a check runs.
    EXPECT_FALSE(shown(QStringLiteral("available-app-update")));
    update.setAvailableUpdate(newerBuild);
    ASSERT_TRUE(shown(QStringLiteral("available-app-update")));
    auto *updateButton = find<AvailableAppUpdateButton>(QStringLiteral("available-app-update"));
    EXPECT_EQ(updateButton->text(), QStringLiteral("Update"));
    QTest::mouseClick(updateButton, Qt::LeftButton);
    EXPECT_EQ(updates.driver->checks, 1);
    EXPECT_TRUE(shown(QStringLiteral("available-app-update")));
    EXPECT_FALSE(updateButton->isEnabled());
    update.finishUpdateCycle(false);
    EXPECT_TRUE(updateButton->isEnabled());
    update.setAvailableUpdate(std::nullopt);
    EXPECT_FALSE(shown(QStringLiteral("available-app-update")));

    QTest::mouseClick(find(QStringLiteral("app-group-4242")), Qt::LeftButton);
    QTest::mouseClick(find(QStringLiteral("capture-window-9001")), Qt::LeftButton);
    QTest::mouseClick(find(QStringLiteral("select-capture-window")), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return session.phase().kind() == AppPhase::Kind::overlay; }));
    EXPECT_EQ(session.phase().target()->windowTitle, QStringLiteral("Starlight Voyage"));
    // Play leaves window choice: the picker goes with its model.
    EXPECT_EQ(view.windowPicker(), nullptr);
}

TEST_F(GameSetupViewTest, TheWindowPickerReloadsWhenTheSessionComesBackToWindowChoice)
{
    rig.reachChoosing();
    view.show();
    ASSERT_TRUE(pickerLoaded());
    EXPECT_EQ(catalog->loadCount(), 1);
    view.windowPicker()->model()->setSelectedWindowID(9003);
    session.chooseAnotherWindow();
    EXPECT_EQ(catalog->loadCount(), 2);
    ASSERT_TRUE(pickerLoaded());
    EXPECT_EQ(view.windowPicker()->model()->selectedWindowID(), std::nullopt);
}

TEST_F(GameSetupViewTest, AChangeOfInterfaceLanguageRelabelsTheScreen)
{
    rig.reachPermissionDenied();
    view.show();
    setCurrentClientLanguage(ClientLanguage::korean);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_NE(title(), QStringLiteral("Allow Screen Access"));
    EXPECT_NE(step(1).title, QStringLiteral("Sign in"));
    EXPECT_NE(find<VeyraBrandLockup>(QStringLiteral("game-setup-progress"))->title(), QStringLiteral("Bring Veyra in"));
    EXPECT_EQ(deniedButton(QStringLiteral("Quit")), nullptr);
    EXPECT_FALSE(showsText(deniedMessage()));
    EXPECT_TRUE(showsText(QStringLiteral("이 디스플레이에서는 %1이(가) 게임 창을 캡처할 수 없습니다. X 서버가 "
                                         "Composite 확장 없이 실행되고 있습니다. X 서버 설정에서 Composite를 켠 "
                                         "다음 %1을(를) 종료하고 다시 여세요.")
                              .arg(appDisplayName())));
}
