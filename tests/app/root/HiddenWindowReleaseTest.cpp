// Test label: x11
// The windows the player opens now and then give back their native window and backing
// store once closed, on an X server with openbox, where a backing store is a picture of the
// window in memory shared with the server: a closed window has neither, a minimised one
// keeps both, one hidden and shown again in one turn keeps its native window, and each
// comes back drawn. The editor's guide, whose native window goes each time it closes,
// opens at the same place over the editor every time. The main window, taken away for play,
// comes back after Log Out where the player left it. On players' desktops every window
// comes up inside the screen's free area, title bar first, the guide over the framed editor.
#include "app/root/ApplicationScenes.h"
#include "app/root/ObriskApp.h"
#include "app/session/AppSession.h"
#include "editor/guide/CaptureAreaGuideModel.h"
#include "editor/views/CaptureAreaEditorView.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/ClientLanguageSettingsModel.h"
#include "foundation/settings/UserDefaults.h"
#include "notes/views/GameMemoLibraryView.h"
#include "settings/window/SettingsView.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/TestScreenshots.h"
#include "support/X11Desktop.h"
#include "support/X11Probe.h"
#include "support/XTestPointer.h"
#include "support/XcbTestProcess.h"
#include "update/prompt/AppUpdatePromptController.h"

#include <QBackingStore>
#include <QDialog>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <iostream>

using namespace veyra;
using namespace veyra::test;

TEST(HiddenWindowRelease, OnAnXServerWithOpenbox)
{
    if (runsOnXcb()) {
        GTEST_SKIP() << "this is the child";
    }
    XvfbSession session;
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    const ChildTestRun run = runTestsOnXcb(session, QStringLiteral("HiddenWindowReleaseOnXcb.*"));
    std::cout << run.output.toStdString() << std::endl;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 6 tests."))) << "the child ran no tests";
}

namespace {

std::string text(const QRect &rect)
{
    return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()).toStdString();
}

// The suite proper runs in a child process whose Qt draws on the X server.
class HiddenWindowReleaseOnXcb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!runsOnXcb()) {
            GTEST_SKIP() << "runs in the child of HiddenWindowRelease.OnAnXServerWithOpenbox";
        }
        ASSERT_TRUE(desktop.isValid());
    }

    // The window's client area as X has it, once the window is on the screen.
    QRect shownGeometry(const QWidget &window)
    {
        std::optional<X11ManagedWindow> shown;
        waitUntil([&] { return (shown = desktop.viewableWindowWithRole(window.objectName())).has_value(); });
        return shown ? shown->geometry : QRect();
    }

    // Waits until the window is shown (the guide once the editor is framed) and drawn.
    bool isDrawn(QWidget &window)
    {
        return waitUntil([&] { return window.isVisible(); }) && QTest::qWaitForWindowExposed(&window)
            && waitUntil([&] { return window.backingStore() != nullptr; }) && !shownGeometry(window).isEmpty();
    }

    // The window after its close, once the event loop has had its turns: neither its own
    // X window (gone from the server too) nor a backing store.
    ::testing::AssertionResult isReleased(const QWidget &window, std::uint32_t xWindow)
    {
        waitUntil([&] { return window.windowHandle() == nullptr && window.backingStore() == nullptr; });
        giveRemainingTurns();
        if (window.windowHandle() != nullptr || window.backingStore() != nullptr) {
            return ::testing::AssertionFailure()
                << window.objectName().toStdString() << " keeps" << (window.windowHandle() ? " its native window" : "")
                << (window.windowHandle() && window.backingStore() ? " and" : "")
                << (window.backingStore() ? " its backing store" : "");
        }
        if (!probe.geometry(xWindow).isEmpty()) {
            return ::testing::AssertionFailure() << window.objectName().toStdString() << "'s X window lives on";
        }
        return ::testing::AssertionSuccess();
    }

    QRect onScreen(const QRectF &rect) const { return QRectF(rect.topLeft() * scale, rect.size() * scale).toRect(); }

    // The window's frame inside the screen's free area (read from X, in its pixels) once the
    // window manager has framed it; for a window the player can resize whose least size is
    // larger, that size with the title bar on the screen.
    ::testing::AssertionResult fits(QWidget &window, bool resizable = true)
    {
        QRect frame;
        const bool held = waitUntil([&] {
            frame = probe.framedGeometry(static_cast<std::uint32_t>(window.winId()));
            const bool least = (frame.height() <= available.height() || window.height() == window.minimumHeight())
                && (frame.width() <= available.width() || window.width() == window.minimumWidth());
            return frame != probe.geometry(static_cast<std::uint32_t>(window.winId()))
                && (available.contains(frame) || (resizable && least && available.contains(frame.topLeft())));
        });
        return ::testing::AssertionResult(held) << window.objectName().toStdString() << " at " << text(frame);
    }

    // The control, scrolled into view, is whole on the screen.
    bool isInReach(QWidget &control)
    {
        if (auto *area = control.window()->findChild<QScrollArea *>(QStringLiteral("window-fit-scroll-area"))) {
            area->ensureWidgetVisible(&control, 0, 0);
        }
        QCoreApplication::processEvents();
        return control.visibleRegion().boundingRect().size() == control.size()
            && available.contains(onScreen(QRect(control.mapToGlobal(QPoint()), control.size())));
    }

    const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
    const QRect available = onScreen(QGuiApplication::primaryScreen()->availableGeometry());
    ObriskApp app{
        {QStringLiteral("veyra"), QStringLiteral("--ui-testing")}, mainInfoDictionary(), UserDefaults::standard()};
    ApplicationScenes scenes{app};
    const QString display = qEnvironmentVariable("DISPLAY");
    X11Desktop desktop{display};
    X11Probe probe{display};
};

} // namespace

TEST_F(HiddenWindowReleaseOnXcb, AClosedWindowHasNeitherNativeWindowNorBackingStoreAndComesBackDrawn)
{
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::captureAreaEditorWindowIdentifier));
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::gameNotesWindowIdentifier));
    scenes.openSettings();
    CaptureAreaEditorView *editor = scenes.captureAreaEditorWindow();
    editor->guideModel().setPresented(true);
    QDialog &guide = editor->guideSheet();
    const QList<QWidget *> windows{
        scenes.mainWindow(), editor, &guide, scenes.gameNotesWindow(), scenes.settingsWindow()};

    for (int round = 0; round < 2; ++round) {
        std::map<QWidget *, std::uint32_t> xWindows;
        for (QWidget *window : windows) {
            ASSERT_TRUE(isDrawn(*window)) << window->objectName().toStdString();
            xWindows[window] = static_cast<std::uint32_t>(window->winId());
        }
        // As the player and the program close them: the guide's Done, the window
        // manager's close button, the main window taken away for play.
        editor->guideModel().close();
        for (QWidget *window : QList<QWidget *>{editor, scenes.gameNotesWindow(), scenes.settingsWindow()}) {
            probe.requestClose(xWindows[window]);
        }
        scenes.dismissWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
        for (QWidget *window : windows) {
            EXPECT_TRUE(isReleased(*window, xWindows[window]));
        }

        // Opened again, each is drawn anew.
        scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
        scenes.openWindow(QString::fromLatin1(ApplicationScenes::captureAreaEditorWindowIdentifier));
        scenes.openWindow(QString::fromLatin1(ApplicationScenes::gameNotesWindowIdentifier));
        scenes.openSettings();
        editor->guideModel().setPresented(true);
    }
    for (QWidget *window : windows) {
        EXPECT_TRUE(isDrawn(*window)) << window->objectName().toStdString();
    }
}

TEST_F(HiddenWindowReleaseOnXcb, AMinimisedWindowKeepsBoth)
{
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::gameNotesWindowIdentifier));
    QWidget *notes = scenes.gameNotesWindow();
    ASSERT_TRUE(isDrawn(*notes));
    const QPointer<QWindow> nativeWindow = notes->windowHandle();
    const auto xWindow = static_cast<std::uint32_t>(notes->winId());

    desktop.iconify(xWindow);
    ASSERT_TRUE(waitUntil([&] { return notes->isMinimized() && !probe.isViewable(xWindow); }));
    QTest::qWait(200);
    giveRemainingTurns();
    EXPECT_TRUE(nativeWindow && notes->windowHandle() == nativeWindow);
    EXPECT_EQ(static_cast<std::uint32_t>(notes->internalWinId()), xWindow);
    EXPECT_NE(notes->backingStore(), nullptr);
    EXPECT_FALSE(probe.geometry(xWindow).isEmpty());

    // Restored, it is the same window.
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::gameNotesWindowIdentifier));
    EXPECT_TRUE(waitUntil([&] { return probe.isViewable(xWindow); }));
    EXPECT_EQ(static_cast<std::uint32_t>(notes->winId()), xWindow);
}

TEST_F(HiddenWindowReleaseOnXcb, AWindowHiddenAndShownInOneTurnKeepsItsNativeWindow)
{
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    QMainWindow *main = scenes.mainWindow();
    ASSERT_TRUE(isDrawn(*main));
    const QPointer<QWindow> nativeWindow = main->windowHandle();
    const auto xWindow = static_cast<std::uint32_t>(main->winId());

    // Taken away and brought back before the event loop turns, as when play ends at once.
    scenes.dismissWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    QTest::qWait(200);
    giveRemainingTurns();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(nativeWindow && main->windowHandle() == nativeWindow);
    EXPECT_EQ(static_cast<std::uint32_t>(main->internalWinId()), xWindow);
    EXPECT_NE(main->backingStore(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return probe.isViewable(xWindow); }));
}

TEST_F(HiddenWindowReleaseOnXcb, TheGuideOpensCentredOnTheEditorEveryTime)
{
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::captureAreaEditorWindowIdentifier));
    CaptureAreaEditorView *editor = scenes.captureAreaEditorWindow();
    QDialog &guide = editor->guideSheet();
    ASSERT_TRUE(isDrawn(*editor));

    std::optional<QRect> first;
    for (int opening = 1; opening <= 5; ++opening) {
        const QRect editorArea = shownGeometry(*editor);
        editor->guideModel().setPresented(true);
        ASSERT_TRUE(isDrawn(guide));
        // Where the window manager has it once it has settled.
        QTest::qWait(300);
        const QRect shown = shownGeometry(guide);
        EXPECT_EQ(shown.size(), guide.size());
        if (opening == 2) {
            saveScreenshot(guide, QStringLiteral("capture-area-guide-drawn-again.png"));
        }
        EXPECT_TRUE(shown.center() == editorArea.center())
            << "opening " << opening << ": the guide at " << text(shown) << " over the editor at " << text(editorArea);
        if (!first) {
            first = shown;
        }
        EXPECT_TRUE(shown == *first) << "opening " << opening << ": the guide at " << text(shown) << ", first at "
                                     << text(*first);

        editor->guideModel().close();
        ASSERT_TRUE(waitUntil([&] { return guide.windowHandle() == nullptr; })) << "the guide was not given back";
        if (opening == 3) {
            // The editor closed and opened again as well.
            editor->close();
            ASSERT_TRUE(waitUntil([&] { return editor->windowHandle() == nullptr; }));
            scenes.openWindow(QString::fromLatin1(ApplicationScenes::captureAreaEditorWindowIdentifier));
            ASSERT_TRUE(isDrawn(*editor));
        }
    }
}

TEST_F(HiddenWindowReleaseOnXcb, AfterLogOutTheMainWindowComesBackWhereThePlayerLeftIt)
{
    XvfbSession session(display);
    TestGameWindow game(session, TestGameWindow::Options());
    XTestPointer pointer(display);
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    QMainWindow *main = scenes.mainWindow();
    ASSERT_TRUE(game.isRunning() && isDrawn(*main));
    ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::choosing(); }));
    QTest::qWait(300);
    // The player drags it by its title bar (the window manager tells the window once the drag
    // is over), plays, which takes it away, and logs out.
    const QRect placed = shownGeometry(*main);
    const QPoint left(placed.x() > 400 ? 100 : 600, 80);
    const QPoint grip(placed.center().x(), placed.top() - 8);
    pointer.dragLeft(grip, grip + left - placed.topLeft(), 10, [] { QTest::qWait(30); });
    ASSERT_TRUE(waitUntil([&] { return main->geometry().topLeft() == left; })) << text(shownGeometry(*main));
    const auto xWindow = static_cast<std::uint32_t>(main->winId());
    CaptureTarget target;
    target.windowID = game.windowID();
    target.executableURL = QUrl::fromLocalFile(game.executablePath());
    target.frame = QRectF(probe.geometry(game.windowID()));
    app.session().selectTarget(target);
    ASSERT_TRUE(isReleased(*main, xWindow));
    app.session().logOut();
    EXPECT_TRUE(waitUntil([&] { return shownGeometry(*main).topLeft() == left; })) << text(shownGeometry(*main));
}

// A player's desktop: window manager, screen (a handheld's; 960 x 540, where not even the main
// window fits as made), Qt's scale (twice leaves 960 x 540 of room) and interface language.
struct PlayersDesktop
{
    XvfbSession::WindowManager manager;
    QSize screen;
    int scale;
    const char *language;
};

class WindowsOnAPlayersScreen : public ::testing::TestWithParam<PlayersDesktop>
{ };

TEST_P(WindowsOnAPlayersScreen, EveryWindowFitsTheFreeArea)
{
    if (runsOnXcb()) {
        GTEST_SKIP() << "this is the child";
    }
    XvfbSession::Options options;
    options.manager = GetParam().manager;
    options.width = GetParam().screen.width();
    options.height = GetParam().screen.height();
    XvfbSession session(options);
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(GetParam().scale));
    environment.insert(QStringLiteral("VEYRA_TEST_INTERFACE_LANGUAGE"), QString::fromLatin1(GetParam().language));
    const ChildTestRun run = runTestsOnXcb(
        session, QStringLiteral("HiddenWindowReleaseOnXcb.EveryWindowFitsTheFreeArea*"), 300000, environment);
    std::cout << run.output.toStdString() << std::endl;
    EXPECT_TRUE(run.exitCode == 0 && run.output.contains(QStringLiteral("[  PASSED  ] 1 test.")));
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowsOnAPlayersScreen,
    ::testing::Values(PlayersDesktop{XvfbSession::WindowManager::metacity, {1280, 800}, 1, "ja"},
        PlayersDesktop{XvfbSession::WindowManager::xfwm4, {1280, 800}, 1, "ko"},
        PlayersDesktop{XvfbSession::WindowManager::openbox, {1920, 1080}, 2, "ja"},
        PlayersDesktop{XvfbSession::WindowManager::metacity, {1920, 1080}, 2, "ko"},
        PlayersDesktop{XvfbSession::WindowManager::xfwm4, {1920, 1080}, 2, "en"},
        PlayersDesktop{XvfbSession::WindowManager::openbox, {960, 540}, 1, "ko"}),
    [](const auto &info) {
        return XvfbSession::name(info.param.manager).toStdString() + std::to_string(info.param.screen.height()) + "At"
            + std::to_string(info.param.scale) + "x" + info.param.language;
    });

// (Also run by HiddenWindowRelease.OnAnXServerWithOpenbox, on 1920 x 1080 in English.)
TEST_F(HiddenWindowReleaseOnXcb, EveryWindowFitsTheFreeAreaWithItsTitleBarOnTheScreen)
{
    const QString language = qEnvironmentVariable("VEYRA_TEST_INTERFACE_LANGUAGE", QStringLiteral("en"));
    app.clientLanguageSettings().setLanguage(clientLanguageFromRawValue(language).value());
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::choosing(); }, 30000));
    EXPECT_TRUE(fits(*scenes.mainWindow()));

    // The guide of the first visit asks for its place while the editor is still being framed.
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::captureAreaEditorWindowIdentifier));
    CaptureAreaEditorView *editor = scenes.captureAreaEditorWindow();
    editor->guideModel().setPresented(true);
    QDialog &guide = editor->guideSheet();
    EXPECT_TRUE(fits(*editor));
    EXPECT_TRUE(editor->width() >= 800 && editor->height() >= 520);
    EXPECT_TRUE(fits(guide, false));
    // Centred on the editor as the window manager placed it, where the screen has room to spare.
    QRect editorArea;
    QRect guideArea;
    EXPECT_TRUE(waitUntil([&] {
        editorArea = probe.geometry(static_cast<std::uint32_t>(editor->winId()));
        guideArea = probe.geometry(static_cast<std::uint32_t>(guide.winId()));
        QRect centred(QPoint(), guideArea.size());
        centred.moveCenter(editorArea.center());
        return !available.adjusted(8, 40, -8, -8).contains(centred)
            || (guideArea.center() - editorArea.center()).manhattanLength() <= qRound(scale);
    })) << text(guideArea)
        << " over " << text(editorArea);
    EXPECT_TRUE(isInReach(*guide.findChild<QWidget *>(QStringLiteral("capture-area-guide-done"))));
    editor->close();

    scenes.openSettings();
    SettingsView *settings = scenes.settingsWindow();
    EXPECT_TRUE(fits(*settings, false));
    QRect frame;
    EXPECT_TRUE(waitUntil([&] {
        frame = probe.framedGeometry(static_cast<std::uint32_t>(settings->winId()));
        return (frame.center() - available.center()).manhattanLength() <= 2 * qRound(scale);
    })) << "settings not centred: "
        << text(frame);
    EXPECT_TRUE(isInReach(*settings->findChild<QWidget *>(QStringLiteral("reset-settings"))));

    scenes.openWindow(QString::fromLatin1(ApplicationScenes::gameNotesWindowIdentifier));
    EXPECT_TRUE(fits(*scenes.gameNotesWindow()));
    AppUpdatePromptController prompt;
    prompt.show(AvailableAppUpdate{QStringLiteral("9.0"), QStringLiteral("900")}, std::nullopt, std::nullopt, {});
    EXPECT_TRUE(fits(*prompt.panel()));
}
