// Test label: x11
// A failed settings write is told once, in the player's language, in an alert that takes
// no focus; on an X server with openbox it shows over the main window at start and above
// a full-screen game during play, which keeps the keyboard. There too, the settings window
// opens centred on the screen the first time and then where the player left it.
#include "app/root/ApplicationScenes.h"
#include "app/root/ObriskApp.h"
#include "app/session/AppSession.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "foundation/settings/UserDefaults.h"
#include "foundation/text/PlainText.h"
#include "overlay/panels/OverlayPanelController.h"
#include "settings/window/SettingsView.h"
#include "support/LogCapture.h"
#include "support/RunTask.h"
#include "support/SmallDisk.h"
#include "support/TestGameWindow.h"
#include "support/X11Desktop.h"
#include "support/X11Probe.h"
#include "support/XTestPointer.h"
#include "support/XcbTestProcess.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>
#include <optional>

using namespace veyra;
using namespace veyra::test;

TEST(SettingsNotSavedAlert, AFailedSettingsWriteIsToldOnceWithoutTakingTheKeyboard)
{
    SmallDisk disk(64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << disk.errorString().toStdString();
    }
    const QString path = disk.filePath(QStringLiteral("defaults.json"));
    UserDefaults defaults(path);
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("en"));
    defaults.sync();
    ObriskApp app({QStringLiteral("veyra"), QStringLiteral("--ui-testing")}, mainInfoDictionary(), defaults);
    std::optional<ApplicationScenes> scenes(std::in_place, app);
    scenes->openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    ASSERT_TRUE(disk.fill());

    // A change is written on the next turn of the event loop, and fails.
    defaults.setValue(QStringLiteral("layouts"), QByteArray(9000, 'x'));
    ASSERT_TRUE(
        waitUntil([&] { return scenes->settingsNotSavedAlert() && scenes->settingsNotSavedAlert()->isVisible(); }));
    QMessageBox *alert = scenes->settingsNotSavedAlert();
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->windowModality(), Qt::NonModal);
    EXPECT_TRUE(alert->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(alert->text(), QStringLiteral("Veyra couldn't save its settings."));
    EXPECT_EQ(alert->informativeText(),
        richTextOfPlainText(
            QStringLiteral("The file “%1” couldn't be saved. (No space left on device) Veyra tries again with every "
                           "change; until that works, changed settings are lost when Veyra quits.")
                .arg(path)));
    // In the player's language, as every alert.
    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    EXPECT_TRUE(waitUntil([&] { return alert->text() == QStringLiteral("Veyraは設定を保存できませんでした。"); }));
    setCurrentClientLanguage(ClientLanguage::english);
    announceInterfaceLanguageChange();
    alert->close();
    EXPECT_TRUE(waitUntil([&] { return scenes->settingsNotSavedAlert() == nullptr; }));

    // Later failures are logged, each of them, and not told again.
    LogCapture log;
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
    defaults.sync();
    giveRemainingTurns();
    EXPECT_EQ(log.messages(QStringLiteral("UserDefaults")).size(), 1);
    EXPECT_EQ(scenes->settingsNotSavedAlert(), nullptr);
    for (QWidget *window : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(window->isVisible() && qobject_cast<QMessageBox *>(window)) << window->objectName().toStdString();
    }

    // Without the scenes, a failure is only logged.
    scenes.reset();
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    defaults.sync();
    EXPECT_EQ(log.messages(QStringLiteral("UserDefaults")).size(), 2);
}

TEST(SettingsNotSavedAlert, SettingsKeptInMemoryOnlyAreToldOnceAsAFailedWriteIs)
{
    // A folder where the settings file should be: the settings live in memory for the run.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("defaults.json"));
    ASSERT_TRUE(QDir().mkpath(path));
    UserDefaults defaults(path);
    ASSERT_FALSE(defaults.isBackedByFile());
    ObriskApp app({QStringLiteral("veyra"), QStringLiteral("--ui-testing")}, mainInfoDictionary(), defaults);
    std::optional<ApplicationScenes> scenes(std::in_place, app);
    scenes->openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));

    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("en"));
    ASSERT_TRUE(
        waitUntil([&] { return scenes->settingsNotSavedAlert() && scenes->settingsNotSavedAlert()->isVisible(); }));
    QMessageBox *alert = scenes->settingsNotSavedAlert();
    EXPECT_TRUE(alert->isVisible());
    EXPECT_TRUE(alert->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(alert->text(), QStringLiteral("Veyra couldn't save its settings."));
    // No write is tried again in this run, and the alert doesn't say otherwise.
    EXPECT_EQ(alert->informativeText(),
        richTextOfPlainText(QStringLiteral("The file “%1” couldn't be saved. (It is a folder, not a file.) Veyra "
                                           "keeps its settings in memory only for this run: changed settings are lost "
                                           "when Veyra quits.")
                                .arg(path)));
    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    // The reason too.
    EXPECT_TRUE(waitUntil([&] {
        return alert->informativeText().endsWith(QStringLiteral(
            "(フォルダであり、ファイルではありません。) "
            "Veyraは今回の実行中、設定をメモリにだけ保持します。変更した設定はVeyraを終了すると失われます。</p>"));
    })) << alert->informativeText().toStdString();
    setCurrentClientLanguage(ClientLanguage::english);
    announceInterfaceLanguageChange();
    alert->close();
    EXPECT_TRUE(waitUntil([&] { return scenes->settingsNotSavedAlert() == nullptr; }));

    // Later changes are logged, and not told again.
    LogCapture log;
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
    defaults.sync();
    giveRemainingTurns();
    EXPECT_EQ(log.messages(QStringLiteral("UserDefaults")).size(), 1);
    EXPECT_EQ(scenes->settingsNotSavedAlert(), nullptr);
}

namespace {

// The suite proper runs in a child process whose Qt draws on the X server.
class SettingsNotSavedAlertOnXcb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!runsOnXcb()) {
            GTEST_SKIP() << "runs in the child of SettingsNotSavedAlert.ShowsWhereThePlayerLooksOnAnXServerWithOpenbox";
        }
        ASSERT_TRUE(desktop.isValid() && pointer.isValid());
        // A folder where the settings file should be: every change is told as a failed write.
        ASSERT_TRUE(QDir().mkpath(path));
    }

    // Changes a setting, which fails, and waits until the alert is above `window` on the screen.
    bool alertIsAbove(std::uint32_t window)
    {
        defaults.setValue(QStringLiteral("client_language"), QStringLiteral("en"));
        return waitUntil([&] {
            const QMessageBox *alert = scenes.settingsNotSavedAlert();
            const auto id = alert ? static_cast<std::uint32_t>(alert->winId()) : 0;
            return id != 0 && probe.isViewable(id) && probe.stackingIndex(id) > probe.stackingIndex(window);
        });
    }

    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("defaults.json"));
    UserDefaults defaults{path};
    ObriskApp app{{QStringLiteral("veyra"), QStringLiteral("--ui-testing")}, mainInfoDictionary(), defaults};
    ApplicationScenes scenes{app};
    const QString display = qEnvironmentVariable("DISPLAY");
    X11Desktop desktop{display};
    X11Probe probe{display};
    XTestPointer pointer{display};
};

} // namespace

TEST(SettingsNotSavedAlert, ShowsWhereThePlayerLooksOnAnXServerWithOpenbox)
{
    if (runsOnXcb()) {
        GTEST_SKIP() << "this is the child";
    }
    XvfbSession session;
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    const ChildTestRun run
        = runTestsOnXcb(session, QStringLiteral("SettingsNotSavedAlertOnXcb.*:SettingsWindowOnXcb.*"));
    std::cout << run.output.toStdString() << std::endl;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 3 tests."))) << "the child ran no tests";
}

TEST_F(SettingsNotSavedAlertOnXcb, AtTheStartAboveTheMainWindow)
{
    // The first write fails as the main window comes up, as at a start (a change is written on
    // the next turn of the event loop, the main window is shown on this one): the alert goes
    // over the main window where the window manager puts it.
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("en"));
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    const auto main = static_cast<std::uint32_t>(scenes.mainWindow()->winId());
    EXPECT_TRUE(alertIsAbove(main));
    const QPoint offCentre
        = probe.geometry(static_cast<std::uint32_t>(scenes.settingsNotSavedAlert()->winId())).center()
        - probe.geometry(main).center();
    EXPECT_LE(offCentre.manhattanLength(), 1) << offCentre.x() << "," << offCentre.y();
    EXPECT_EQ(desktop.activeWindow(), main);
}

TEST_F(SettingsNotSavedAlertOnXcb, DuringPlayAboveTheFullScreenGameWhichKeepsTheKeyboard)
{
    XvfbSession session(display);
    TestGameWindow::Options options;
    options.fullScreen = true;
    TestGameWindow game(session, options);
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::choosing(); }, 30000));
    CaptureTarget target;
    target.windowID = game.windowID();
    target.processID = static_cast<qint32>(game.processID());
    target.executableURL = QUrl::fromLocalFile(game.executablePath());
    target.applicationName = QStringLiteral("veyra_test_game_window");
    target.windowTitle = options.title;
    target.frame = QRectF(probe.geometry(game.windowID()));
    app.session().selectTarget(target);
    ASSERT_TRUE(waitUntil([&] { return !scenes.mainWindow()->isVisible(); }));
    // The player clicks into the game.
    pointer.clickAt(QPoint(40, 40));
    ASSERT_TRUE(waitUntil([&] { return probe.inputFocus() == game.windowID(); }, 30000));

    EXPECT_TRUE(alertIsAbove(game.windowID()));
    EXPECT_EQ(probe.inputFocus(), game.windowID());
    // Nor under the overlay, which stays above every window.
    const std::optional<X11ManagedWindow> alert
        = desktop.viewableWindowWithRole(QStringLiteral("settings-not-saved"), QCoreApplication::applicationPid());
    ASSERT_TRUE(alert);
    for (const QWidget *window : app.overlayController()->windowsOnTop()) {
        EXPECT_FALSE(probe.geometry(static_cast<std::uint32_t>(window->winId())).intersects(alert->geometry));
    }
}

namespace {

class SettingsWindowOnXcb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!runsOnXcb()) {
            GTEST_SKIP() << "runs in the child of SettingsNotSavedAlert.ShowsWhereThePlayerLooksOnAnXServerWithOpenbox";
        }
        ASSERT_TRUE(pointer.isValid());
    }

    // Opens the settings window and waits until the window manager has placed it.
    std::optional<QRect> openSettings()
    {
        scenes.openSettings();
        SettingsView *settings = scenes.settingsWindow();
        const auto id = static_cast<std::uint32_t>(settings->winId());
        if (!waitUntil([&] { return probe.isViewable(id); })) {
            return std::nullopt;
        }
        // Openbox may move a new window once after mapping it.
        QRect placed;
        waitUntil([&] {
            const QRect now = probe.geometry(id);
            const bool settled = now == placed;
            placed = now;
            return settled;
        });
        return placed;
    }

    QTemporaryDir folder;
    UserDefaults defaults{folder.filePath(QStringLiteral("defaults.json"))};
    ObriskApp app{{QStringLiteral("veyra"), QStringLiteral("--ui-testing")}, mainInfoDictionary(), defaults};
    ApplicationScenes scenes{app};
    const QString display = qEnvironmentVariable("DISPLAY");
    X11Probe probe{display};
    XTestPointer pointer{display};
};

} // namespace

TEST_F(SettingsWindowOnXcb, OpensCentredOnTheScreenThenWhereThePlayerLeftIt)
{
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    ASSERT_TRUE(waitUntil([&] { return probe.isViewable(static_cast<std::uint32_t>(scenes.mainWindow()->winId())); }));

    const std::optional<QRect> first = openSettings();
    ASSERT_TRUE(first);
    // Centred on the screen, give or take the window manager's frame.
    const QRect screen = scenes.mainWindow()->screen()->geometry();
    EXPECT_NEAR(first->center().x(), screen.center().x(), 4) << first->x() << "," << first->y();
    EXPECT_NEAR(first->center().y(), screen.center().y(), 30) << first->x() << "," << first->y();

    // The player drags it by its title bar, closes it and opens it again.
    const QPoint grip(first->center().x(), first->top() - 8);
    // At a hand's pace: the window manager follows the pointer as its events come.
    pointer.dragLeft(grip, grip + QPoint(-300, 170), 10, [] { QTest::qWait(30); });
    const auto id = static_cast<std::uint32_t>(scenes.settingsWindow()->winId());
    ASSERT_TRUE(waitUntil([&] { return probe.geometry(id).topLeft() == first->topLeft() + QPoint(-300, 170); }))
        << probe.geometry(id).x() << "," << probe.geometry(id).y();
    probe.requestClose(id);
    ASSERT_TRUE(waitUntil([&] { return !scenes.settingsWindow()->isVisible(); }));
    const std::optional<QRect> again = openSettings();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->topLeft(), first->topLeft() + QPoint(-300, 170));

    // Closed and opened again without a move, it stays put, however often.
    for (int round = 0; round < 2; ++round) {
        probe.requestClose(static_cast<std::uint32_t>(scenes.settingsWindow()->winId()));
        ASSERT_TRUE(waitUntil([&] { return !scenes.settingsWindow()->isVisible(); }));
        const std::optional<QRect> reopened = openSettings();
        ASSERT_TRUE(reopened);
        EXPECT_EQ(reopened->topLeft(), again->topLeft()) << "round " << round;
    }
}
