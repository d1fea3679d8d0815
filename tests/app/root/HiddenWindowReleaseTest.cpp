// Test label: x11
// The windows the player opens now and then give back their native window and backing
// store once closed, on an X server with openbox, where a backing store is a picture of the
// window in memory shared with the server: a closed window has neither, a minimised one
// keeps both, one hidden and shown again in one turn keeps its native window, and each
// comes back drawn. The editor's guide, whose native window goes each time it closes,
// opens at the same place over the editor every time. On the desktops players have (three
// window managers, small screens, twice the scale, three languages) every window comes up
// inside the screen's free area with its title bar on the screen, what a fixed window
// holds in reach by scrolling, and the guide of the first visit over the framed editor.
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
#include "support/XcbTestProcess.h"
#include "update/model/AppUpdateModel.h"
#include "update/prompt/AppUpdatePromptController.h"

#include <QBackingStore>
#include <QDialog>
#include <QGuiApplication>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTemporaryDir>
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
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 4 tests."))) << "the child ran no tests";
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

    // Waits until the window is shown (the guide once the editor is framed), on the screen
    // and drawn.
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

namespace {

// A desktop a player may have: the window manager, the screen (a handheld's 1280 x 800, or
// one where not even the main window fits with its title bar as made),
// Qt's scale (twice on a 1920 x 1080 screen leaves 960 x 540 of room) and the interface
// language.
struct PlayersDesktop
{
    XvfbSession::WindowManager manager;
    QSize screen{1920, 1080};
    int scale = 1;
    const char *language = "en";
};

void PrintTo(const PlayersDesktop &desktop, std::ostream *stream)
{
    *stream << XvfbSession::name(desktop.manager).toStdString() << " on " << desktop.screen.width() << "x"
            << desktop.screen.height() << " at " << desktop.scale << "x in " << desktop.language;
}

class WindowsOnAPlayersScreen : public ::testing::TestWithParam<PlayersDesktop>
{ };

// The suite proper runs in a child process whose Qt draws on the X server at the scale
// and in the language of the desktop.
class WindowsOnAPlayersScreenOnXcb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!runsOnXcb()) {
            GTEST_SKIP() << "runs in the child of WindowsOnAPlayersScreen";
        }
        ASSERT_TRUE(desktop.isValid());
        const std::optional<ClientLanguage> language
            = clientLanguageFromRawValue(qEnvironmentVariable("VEYRA_TEST_INTERFACE_LANGUAGE"));
        ASSERT_TRUE(language);
        app.clientLanguageSettings().setLanguage(*language);
    }
    void TearDown() override { setCurrentClientLanguage(ClientLanguage::english); }

    // The window's frame as X has it, in the screen's pixels (empty while it is not shown).
    QRect frameOf(QWidget &window)
    {
        const auto id = static_cast<std::uint32_t>(window.winId());
        return probe.isViewable(id) ? probe.framedGeometry(id) : QRect();
    }

    // Waits until the window is shown as `expected` tells (the window manager and the
    // application may move it once or twice after it comes), and tells it.
    ::testing::AssertionResult shownAs(const std::function<::testing::AssertionResult()> &expected)
    {
        if (waitUntil([&] { return static_cast<bool>(expected()); })) {
            return ::testing::AssertionSuccess();
        }
        return expected();
    }

    // A rectangle of Qt's pixels in the screen's.
    static QRect onScreen(const QRect &rect)
    {
        const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
        return {QPoint(qRound(rect.x() * scale), qRound(rect.y() * scale)),
            QSize(qRound(rect.width() * scale), qRound(rect.height() * scale))};
    }

    // The screen as the player sees it, for a person to look at.
    void shot(const QString &name)
    {
        saveScreenshot(
            [this] {
                // Once the windows that just came have drawn themselves.
                QTest::qWait(300);
                return desktop.screenshot();
            },
            QStringLiteral("%1 %2 %3x %4 - %5.png")
                .arg(qEnvironmentVariable("VEYRA_TEST_WINDOW_MANAGER"),
                    QStringLiteral("%1x%2")
                        .arg(onScreen(QGuiApplication::primaryScreen()->geometry()).width())
                        .arg(onScreen(QGuiApplication::primaryScreen()->geometry()).height()),
                    qEnvironmentVariable("QT_SCALE_FACTOR"), qEnvironmentVariable("VEYRA_TEST_INTERFACE_LANGUAGE"),
                    name));
    }

    // The control as far as its window shows it, in global coordinates, once its scroll
    // area has brought it into view.
    static QRect shownRect(QWidget &control)
    {
        for (QWidget *parent = control.parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
            if (auto *area = qobject_cast<QScrollArea *>(parent)) {
                area->ensureWidgetVisible(&control, 0, 0);
            }
        }
        QCoreApplication::processEvents();
        QRect shown(control.mapToGlobal(QPoint()), control.size());
        for (QWidget *parent = control.parentWidget(); parent != nullptr; parent = parent->parentWidget()) {
            shown &= QRect(parent->mapToGlobal(QPoint()), parent->size());
        }
        return shown;
    }

    QTemporaryDir folder;
    UserDefaults defaults{folder.filePath(QStringLiteral("defaults.json"))};
    ObriskApp app{{QStringLiteral("veyra"), QStringLiteral("--ui-testing"),
                      QStringLiteral("--ui-testing-capture-area-guide-unseen")},
        mainInfoDictionary(), defaults};
    ApplicationScenes scenes{app};
    const QString display = qEnvironmentVariable("DISPLAY");
    X11Desktop desktop{display};
    X11Probe probe{display};
};

} // namespace

TEST_P(WindowsOnAPlayersScreen, EveryWindowFitsItsFreeAreaAndTheGuideComesOverTheFramedEditor)
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
    environment.insert(QStringLiteral("VEYRA_TEST_WINDOW_MANAGER"), XvfbSession::name(GetParam().manager));
    const ChildTestRun run
        = runTestsOnXcb(session, QStringLiteral("WindowsOnAPlayersScreenOnXcb.*"), 300000, environment);
    std::cout << run.output.toStdString() << std::endl;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << "the child ran no tests";
}

INSTANTIATE_TEST_SUITE_P(Desktops, WindowsOnAPlayersScreen,
    ::testing::Values(PlayersDesktop{XvfbSession::WindowManager::openbox},
        PlayersDesktop{XvfbSession::WindowManager::metacity, {1280, 800}, 1, "ja"},
        PlayersDesktop{XvfbSession::WindowManager::xfwm4, {1280, 800}, 1, "ko"},
        PlayersDesktop{XvfbSession::WindowManager::openbox, {1920, 1080}, 2, "ja"},
        PlayersDesktop{XvfbSession::WindowManager::metacity, {1920, 1080}, 2, "ko"},
        PlayersDesktop{XvfbSession::WindowManager::xfwm4, {1920, 1080}, 2, "en"},
        PlayersDesktop{XvfbSession::WindowManager::openbox, {960, 540}, 1, "ko"}),
    [](const ::testing::TestParamInfo<PlayersDesktop> &info) {
        return XvfbSession::name(info.param.manager).toStdString() + "On" + std::to_string(info.param.screen.height())
            + "At" + std::to_string(info.param.scale) + "x" + info.param.language;
    });

TEST_F(WindowsOnAPlayersScreenOnXcb, EveryWindowFitsItsFreeAreaAndTheGuideComesOverTheFramedEditor)
{
    // In the screen's pixels: Qt's at twice the scale are two of them.
    const QRect available = onScreen(QGuiApplication::primaryScreen()->availableGeometry());
    const int pixel = qRound(QGuiApplication::primaryScreen()->devicePixelRatio());
    const auto inside = [&](const QRect &frame) {
        return ::testing::AssertionResult(!frame.isEmpty() && available.contains(frame))
            << "the frame " << text(frame) << " is not inside the free area " << text(available);
    };
    // A window the player can resize fits too, unless its least size (its content's, in the
    // language) does not: then it is no larger than that, its title bar on the screen.
    const auto fits = [&](QWidget &window) {
        const QRect frame = frameOf(window);
        const bool leastHigh = frame.height() <= available.height() || window.height() == window.minimumHeight();
        const bool leastWide = frame.width() <= available.width() || window.width() == window.minimumWidth();
        return ::testing::AssertionResult(!frame.isEmpty()
                   && (available.contains(frame) || (available.contains(frame.topLeft()) && leastHigh && leastWide)))
            << window.objectName().toStdString() << ": the frame " << text(frame) << " in the free area "
            << text(available) << ", the least size " << window.minimumWidth() << "x" << window.minimumHeight();
    };

    // The main window, with the set-up screen's buttons on the screen.
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    QMainWindow *main = scenes.mainWindow();
    ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::choosing(); }, 30000));
    EXPECT_TRUE(shownAs([&] { return fits(*main); }));
    for (const char *name : {"refresh-capture-windows", "select-capture-window"}) {
        QWidget *button = nullptr;
        ASSERT_TRUE(waitUntil([&] { return (button = main->findChild<QPushButton *>(QLatin1String(name))); })) << name;
        EXPECT_TRUE(inside(onScreen(shownRect(*button)))) << name;
    }
    shot(QStringLiteral("main"));

    // The player picks a game; the editor comes, and on this first visit the guide over it.
    const XvfbSession x11(display);
    TestGameWindow game(x11, TestGameWindow::Options());
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    CaptureTarget target;
    target.windowID = game.windowID();
    target.processID = static_cast<qint32>(game.processID());
    target.executableURL = QUrl::fromLocalFile(game.executablePath());
    target.applicationName = QStringLiteral("veyra_test_game_window");
    target.windowTitle = TestGameWindow::Options().title;
    target.frame = QRectF(probe.geometry(game.windowID()));
    app.session().selectTarget(target);
    ASSERT_TRUE(waitUntil([&] { return !main->isVisible(); }));
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::captureAreaEditorWindowIdentifier));
    CaptureAreaEditorView *editor = scenes.captureAreaEditorWindow();
    QDialog &guide = editor->guideSheet();
    ASSERT_TRUE(waitUntil([&] { return guide.isVisible(); }));
    EXPECT_TRUE(shownAs([&] { return fits(*editor); }));
    // No smaller than the editor's least size.
    EXPECT_GE(editor->width(), 800);
    EXPECT_GE(editor->height(), 520);
    // Inside the free area, and centred on the editor as the window manager has placed it
    // where the screen has room to spare (before the guide is framed its frame is taken to
    // be the editor's, which may differ by a few pixels).
    EXPECT_TRUE(shownAs([&] {
        const QRect guideFrame = frameOf(guide);
        const QRect editorArea = probe.geometry(static_cast<std::uint32_t>(editor->winId()));
        const QRect guideArea = probe.geometry(static_cast<std::uint32_t>(guide.winId()));
        QRect centred(QPoint(), guideFrame.size());
        centred.moveCenter(editorArea.center() + (guideFrame.center() - guideArea.center()));
        if (!inside(guideFrame)) {
            return inside(guideFrame);
        }
        return ::testing::AssertionResult(!available.adjusted(8, 8, -8, -8).contains(centred)
                   || (guideArea.center() - editorArea.center()).manhattanLength() <= pixel)
            << "the guide at " << text(guideArea) << " over the editor at " << text(editorArea);
    }));
    shot(QStringLiteral("editor and guide"));
    // Done in reach, scrolled to where the guide is taller than the room.
    auto *done = guide.findChild<QPushButton *>(QStringLiteral("capture-area-guide-done"));
    ASSERT_TRUE(done);
    EXPECT_EQ(shownRect(*done).size(), done->size());
    EXPECT_TRUE(inside(onScreen(shownRect(*done))));
    editor->guideModel().close();
    editor->close();

    // Settings, centred the first time, its title bar on the screen and Reset in reach.
    scenes.openSettings();
    SettingsView *settings = scenes.settingsWindow();
    EXPECT_TRUE(shownAs([&] {
        const QRect frame = frameOf(*settings);
        if (!inside(frame)) {
            return inside(frame);
        }
        return ::testing::AssertionResult((frame.center() - available.center()).manhattanLength() <= 2 * pixel)
            << "the settings at " << text(frame) << " in the free area " << text(available);
    }));
    auto *reset = settings->findChild<QWidget *>(QStringLiteral("reset-settings"));
    ASSERT_TRUE(reset);
    EXPECT_EQ(shownRect(*reset).size(), reset->size());
    EXPECT_TRUE(inside(onScreen(shownRect(*reset))));
    shot(QStringLiteral("settings"));
    settings->close();

    scenes.openWindow(QString::fromLatin1(ApplicationScenes::gameNotesWindowIdentifier));
    EXPECT_TRUE(shownAs([&] { return fits(*scenes.gameNotesWindow()); }));
    shot(QStringLiteral("notes"));
    scenes.gameNotesWindow()->close();

    // An update offered.
    AppUpdatePromptController prompt;
    prompt.show(AvailableAppUpdate{QStringLiteral("9.0"), QStringLiteral("900")}, std::nullopt, std::nullopt, {});
    ASSERT_TRUE(prompt.panel());
    EXPECT_TRUE(shownAs([&] { return fits(*prompt.panel()); }));
    shot(QStringLiteral("update"));
}
