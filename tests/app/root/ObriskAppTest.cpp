// Test label: ui
// The composition root in the self-contained fixture mode, driven through its windows:
// the main window walks to the window picker, a click plays the fixture game, and the
// overlay shows the fixture lines translated; the launch switches choose the services.
#include "app/root/ObriskApp.h"
#include "app/root/ApplicationScenes.h"
#include "app/session/AppSession.h"
#include "capture/windows/WindowCatalogProviding.h"
#include "foundation/settings/UserDefaults.h"
#include "overlay/panels/OverlayPanel.h"
#include "overlay/panels/OverlayPanelController.h"
#include "support/RunTask.h"
#include "support/WidgetLookup.h"

#include <QAbstractButton>
#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

QStringList launch(std::initializer_list<const char *> switches)
{
    QStringList arguments{QStringLiteral("veyra")};
    for (const char *name : switches) {
        arguments.append(QString::fromLatin1(name));
    }
    return arguments;
}

} // namespace

TEST(ObriskApp, FixtureModePlaysTheFixtureGameChosenInThePicker)
{
    ObriskApp app(launch({"--ui-testing", "--ui-testing-multiple-capture-areas"}), mainInfoDictionary(),
        UserDefaults::standard());
    ApplicationScenes scenes(app);
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    QMainWindow *main = scenes.mainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::choosing(); }));
    EXPECT_TRUE(main->isVisible());

    // The fixture profile belongs to the first window of the first application listed.
    const auto groups = runTask(app.windowCatalog()->applicationGroups());
    ASSERT_FALSE(groups.isEmpty());
    const CaptureTarget game = groups.front().windows.front();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("app-group-%1").arg(groups.front().processID)));
    ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("capture-window-%1").arg(game.windowID)));
    ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("select-capture-window")));

    ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::overlay(game); }));
    EXPECT_EQ(app.session().overlayCaptureAreaState(), OverlayCaptureAreaState::ready());
    ASSERT_TRUE(waitUntil([&] { return !main->isVisible(); })) << "play dismisses the main window";
    EXPECT_TRUE(app.overlayController()->panel()->isVisible());

    // The fixture loop reads its sample lines once a second; both areas end translated.
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto rows = app.overlayController()->rowsByAreaID();
            return rows.size() == 2 && std::all_of(rows.begin(), rows.end(), [](const OverlayTextRow &row) {
                return row.translationState == OverlayTranslationState::translated && row.translatedText
                    && !row.translatedText->isEmpty();
            });
        },
        20000));

    // Choosing another window brings the main window back to the picker.
    app.overlayController()->onRequestChooseAnotherWindow()();
    EXPECT_EQ(app.session().phase(), AppPhase::choosing());
    ASSERT_TRUE(waitUntil([&] { return main->isVisible(); }));
    EXPECT_FALSE(app.overlayController()->panel()->isVisible());
}

TEST(ObriskApp, LaunchSwitchesChooseTheServicesAndTheFirstScreen)
{
    {
        ObriskApp app(launch({"--ui-testing", "--ui-testing-screen-permission-denied"}), mainInfoDictionary(),
            UserDefaults::standard());
        ApplicationScenes scenes(app);
        scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
        ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::permissionDenied(); }));
    }
    {
        // Without a saved fixture session the sign-in screen comes first; the fixture
        // server then refuses the account until it registers on the web.
        ObriskApp app(launch({"--ui-testing", "--ui-testing-web-registration-required"}), mainInfoDictionary(),
            UserDefaults::standard());
        ApplicationScenes scenes(app);
        scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
        ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::signedOut(); }));
        app.session().signIn(scenes.mainWindow());
        ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::webRegistrationRequired(); }));
    }
    {
        // An unsupported build never reaches the session.
        ObriskApp app(launch({"--ui-testing", "--ui-testing-minimum-version-required"}), mainInfoDictionary(),
            UserDefaults::standard());
        ApplicationScenes scenes(app);
        scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
        QTest::qWait(200);
        EXPECT_EQ(app.session().phase(), AppPhase::restoringAuthentication());
    }
}
