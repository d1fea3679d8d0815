// Test label: x11
// The windows the player opens now and then give back their native window and backing
// store once closed, on an X server with openbox, where a backing store is a picture of the
// window in memory shared with the server: a closed window has neither, a minimised one
// keeps both, one hidden and shown again in one turn keeps its native window, and each
// comes back drawn. The editor's guide, whose native window goes each time it closes,
// opens at the same place over the editor every time. The main window, taken away for play,
// comes back after Log Out where the player left it.
#include "app/root/ApplicationScenes.h"
#include "app/root/ObriskApp.h"
#include "app/session/AppSession.h"
#include "editor/guide/CaptureAreaGuideModel.h"
#include "editor/views/CaptureAreaEditorView.h"
#include "foundation/async/AsyncTask.h"
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

#include <QBackingStore>
#include <QDialog>
#include <QMainWindow>
#include <QPointer>
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
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 5 tests."))) << "the child ran no tests";
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

    // Shows the window and waits until it is on the screen and drawn.
    bool isDrawn(QWidget &window)
    {
        return QTest::qWaitForWindowExposed(&window) && waitUntil([&] { return window.backingStore() != nullptr; })
            && !shownGeometry(window).isEmpty();
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
