// Test label: x11
// The overlay as a player meets it under openbox, metacity and xfwm4: over the stand-in
// game as a normal window, as a borderless window of the screen's size, in the window
// manager's full-screen state and as a window no window manager manages, with the game
// focused and raised again after the overlay appeared, entering and leaving full screen,
// opening its window anew, and on every workspace. What counts is the
// screen: the root window's pixels where the overlay is must be the overlay's own. The
// game keeps the focus throughout, and clicks go through the overlay to it.
//
// Without a compositing manager the overlay shows its own pixels (alpha not applied); with
// one (metacity composites itself) they are blended over the game. With
// VEYRA_OVERLAY_SCREENSHOTS naming a folder, a compositing manager runs under every window
// manager, as on a player's desktop, and each one's screen over the full-screen game is
// saved there.
#include "capture/x11/XcbTopmostWindowKeeper.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/InMemoryGameMemoStore.h"
#include "overlay/layout/InMemoryOverlayLayoutStore.h"
#include "overlay/panels/OverlayPanel.h"
#include "overlay/panels/OverlayPanelController.h"
#include "overlay/settings/InMemoryOverlaySettingsStore.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "overlay/strip/OverlayControlView.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/X11Desktop.h"
#include "support/X11Probe.h"
#include "support/XTestPointer.h"
#include "support/XcbTestProcess.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <iostream>

using namespace veyra;
using namespace veyra::test;

namespace {

// Generous for a loaded machine; every wait ends as soon as its condition holds.
constexpr int stepTimeoutMs = 60000;
constexpr int readingPauseMs = 100;

const char *const windowManagerVariable = "VEYRA_TEST_WINDOW_MANAGER";
const char *const screenshotsVariable = "VEYRA_OVERLAY_SCREENSHOTS";

// Premultiplied pixels of a top-level widget as it draws itself: what a 32-bit window
// shows on a screen without a compositing manager (the alpha is not applied).
QImage ownPixels(QWidget *window)
{
    return window->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// `over` drawn on `below` by a compositing manager (source over, premultiplied).
QRgb blended(QRgb over, QRgb below)
{
    const int keep = 255 - qAlpha(over);
    return qRgb(qRed(over) + qRed(below) * keep / 255, qGreen(over) + qGreen(below) * keep / 255,
        qBlue(over) + qBlue(below) * keep / 255);
}

bool near(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
        && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

class OverlayAboveGames : public ::testing::TestWithParam<XvfbSession::WindowManager>
{ };

// The suite proper runs in a child process whose Qt draws on the X server.
class OverlayAboveGameOnXcb : public ::testing::Test
{
protected:
    enum class Mode { normal, borderless, fullScreen, bypassing };

    void SetUp() override
    {
        if (!runsOnXcb()) {
            GTEST_SKIP() << "runs in the children of OverlayAboveGames";
        }
        session = std::make_unique<XvfbSession>(qEnvironmentVariable("DISPLAY"));
        probe = std::make_unique<X11Probe>(session->display());
        desktop = std::make_unique<X11Desktop>(session->display());
        pointer = std::make_unique<XTestPointer>(session->display());
        ASSERT_TRUE(desktop->isValid() && pointer->isValid());
        screen = QGuiApplication::primaryScreen()->geometry();
        keeper = std::make_shared<XcbTopmostWindowKeeper>(session->display());
        controller = std::make_unique<OverlayPanelController>(
            settings, store, library, std::make_shared<QScreenDisplayGeometryProvider>(), keeper);
        // Out of the way of everything the test reads.
        pointer->moveTo(QPoint(2, screen.height() - 2));
    }

    void startGame(Mode mode)
    {
        TestGameWindow::Options options;
        options.title = QStringLiteral("Harbour Tales");
        options.text = QStringLiteral("The bridge to the north has collapsed.");
        if (mode == Mode::borderless || mode == Mode::bypassing) {
            options.frameless = true;
            options.bypassesWindowManager = mode == Mode::bypassing;
            options.position = QPoint(0, 0);
            options.size = screen.size();
        } else {
            options.position = QPoint(200, 150);
            options.resizable = true;
        }
        game = std::make_unique<TestGameWindow>(*session, options);
        ASSERT_TRUE(game->isRunning()) << game->errorString().toStdString();
        target.windowID = game->windowID();
        target.processID = game->processID();
        target.executableURL = QUrl::fromLocalFile(game->executablePath());
        target.applicationName = QStringLiteral("veyra_test_game_window");
        target.windowTitle = options.title;
        target.frame = QRectF(probe->geometry(game->windowID()));
    }

    // A click on the game where the overlay is not: the window manager focuses and raises
    // it, as when the player goes back to the game.
    void clickGame()
    {
        const QRect area = probe->geometry(game->windowID());
        pointer->clickAt(area.topLeft() + QPoint(40, 40));
        pointer->moveTo(QPoint(2, screen.height() - 2));
        ASSERT_TRUE(waitUntil([&] { return gameHasFocus(); }, stepTimeoutMs));
    }

    bool gameHasFocus() const { return probe->inputFocus() == game->windowID(); }

    void showOverlay()
    {
        controller->show(target, OverlayCaptureAreaState::ready(), {QStringLiteral("dialogue")});
        controller->updateRecognizedText(QStringLiteral("dialogue"), QStringLiteral("橋が崩れた。"));
        controller->applyTranslation(QStringLiteral("dialogue"),
            {QUuid::createUuid(), QStringLiteral("橋が崩れた。"), QStringLiteral("The bridge has collapsed."),
                std::nullopt, TranslationTargetLanguage::english},
            std::nullopt);
    }

    QRect panelOnScreen() const { return probe->geometry(static_cast<std::uint32_t>(controller->panel()->winId())); }
    QRect stripOnScreen() const
    {
        return probe->geometry(static_cast<std::uint32_t>(controller->controlPanel()->winId()));
    }

    // Whether the screen shows the overlay's own pixels where the overlay is: nothing of
    // the game or of any other window covers any part of it. With a compositing manager
    // the overlay is blended over the game's picture (`below`, the game covering the whole
    // panel), else shown as it draws itself.
    bool overlayOnTop(bool composited, const QImage &below)
    {
        const QRect panel = panelOnScreen();
        const QRect strip = stripOnScreen();
        const QImage panelPixels = ownPixels(controller->panel());
        const QImage stripPixels = ownPixels(controller->controlPanel());
        if (panel.isEmpty() || panelPixels.size() != panel.size() || stripPixels.size() != strip.size()) {
            m_mismatch = QStringLiteral("the overlay's windows are not in place");
            return false;
        }
        const QImage shown = desktop->screenshot();
        const QRect gameArea = probe->geometry(game->windowID());
        qint64 differing = 0;
        for (int y = panel.top(); y <= panel.bottom(); ++y) {
            for (int x = panel.left(); x <= panel.right(); ++x) {
                QRgb expected = panelPixels.pixel(x - panel.left(), y - panel.top());
                if (composited) {
                    expected = blended(expected, below.pixel(QPoint(x, y) - gameArea.topLeft()));
                }
                if (strip.contains(x, y)) {
                    const QRgb stripPixel = stripPixels.pixel(x - strip.left(), y - strip.top());
                    expected = composited ? blended(stripPixel, expected) : stripPixel;
                }
                differing += near(shown.pixel(x, y), expected, composited ? 3 : 0) ? 0 : 1;
            }
        }
        m_mismatch = QStringLiteral("%1 of the overlay's %2 pixels are not its own on the screen")
                         .arg(differing)
                         .arg(qint64(panel.width()) * panel.height());
        return differing == 0;
    }

    // Waits until the screen shows the overlay on top.
    void expectOverlayOnTop(const char *when)
    {
        const bool composited = session->isComposited();
        const QImage below = composited ? game->picture() : QImage();
        EXPECT_TRUE(waitUntil([&] { return overlayOnTop(composited, below); }, stepTimeoutMs, readingPauseMs))
            << when << ": " << m_mismatch.toStdString() << " under " << windowManager().toStdString();
    }

    // Clicks go through the overlay to the game, which keeps the focus.
    void expectClickThroughToTheGame()
    {
        const int before = game->clicks();
        pointer->clickAt(panelOnScreen().topLeft() + QPoint(40, 30));
        pointer->moveTo(QPoint(2, screen.height() - 2));
        EXPECT_TRUE(waitUntil([&] { return game->clicks() == before + 1; }, stepTimeoutMs));
        EXPECT_TRUE(gameHasFocus());
    }

    // A click on the strip (its move handle) reaches the strip and leaves the focus with
    // the game.
    void expectStripClickLeavesTheFocus()
    {
        const QRect strip = stripOnScreen();
        pointer->clickAt(strip.topLeft() + QPoint(strip.width() * 5 / 8, strip.height() / 2));
        EXPECT_TRUE(waitUntil([&] { return controller->controlView()->isPointerInside(); }, stepTimeoutMs));
        pointer->moveTo(QPoint(2, screen.height() - 2));
        EXPECT_TRUE(waitUntil([&] { return !controller->controlView()->isPointerInside(); }, stepTimeoutMs));
        EXPECT_TRUE(gameHasFocus());
    }

    void saveScreen(const QString &name)
    {
        const QString folder = qEnvironmentVariable(screenshotsVariable);
        if (!folder.isEmpty()) {
            QDir().mkpath(folder);
            desktop->screenshot().save(QStringLiteral("%1/%2-%3.png").arg(folder, windowManager(), name));
        }
    }

    static QString windowManager() { return qEnvironmentVariable(windowManagerVariable); }

    std::unique_ptr<XvfbSession> session;
    std::unique_ptr<X11Probe> probe;
    std::unique_ptr<X11Desktop> desktop;
    std::unique_ptr<XTestPointer> pointer;
    std::unique_ptr<TestGameWindow> game;
    QRect screen;
    CaptureTarget target;
    OverlaySettingsModel settings{std::make_unique<InMemoryOverlaySettingsStore>()};
    std::shared_ptr<InMemoryOverlayLayoutStore> store = std::make_shared<InMemoryOverlayLayoutStore>();
    GameMemoLibraryModel library{std::make_unique<InMemoryGameMemoStore>(), 400000000};
    std::shared_ptr<XcbTopmostWindowKeeper> keeper;
    std::unique_ptr<OverlayPanelController> controller;

private:
    QString m_mismatch;
};

} // namespace

TEST_P(OverlayAboveGames, OverTheGameInEveryWindowMode)
{
    if (runsOnXcb()) {
        GTEST_SKIP() << "this is a child";
    }
    const XvfbSession::WindowManager manager = GetParam();
    XvfbSession::Options options;
    options.manager = manager;
    XvfbSession session(options);
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    if (qEnvironmentVariableIsSet(screenshotsVariable) && !session.isComposited()) {
        ASSERT_TRUE(session.startCompositor()) << session.errorString().toStdString();
    }
    // The children learn which window manager they run under through their environment.
    qputenv(windowManagerVariable, XvfbSession::name(manager).toUtf8());
    const ChildTestRun run = runTestsOnXcb(session, QStringLiteral("OverlayAboveGameOnXcb.*"));
    qunsetenv(windowManagerVariable);
    std::cout << run.output.toStdString() << std::endl;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 4 tests."))) << "the child ran no tests";
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, OverlayAboveGames,
    ::testing::Values(
        XvfbSession::WindowManager::openbox, XvfbSession::WindowManager::metacity, XvfbSession::WindowManager::xfwm4),
    [](const ::testing::TestParamInfo<XvfbSession::WindowManager> &info) {
        return XvfbSession::name(info.param).toStdString();
    });

TEST_F(OverlayAboveGameOnXcb, AboveANormalWindowAndOnEveryWorkspace)
{
    startGame(Mode::normal);
    clickGame();
    showOverlay();
    expectOverlayOnTop("shown over the focused game");
    EXPECT_TRUE(gameHasFocus());

    // The player goes back to the game: focused and raised by the window manager.
    clickGame();
    expectOverlayOnTop("after the game was clicked");
    ASSERT_TRUE(game->raise());
    expectOverlayOnTop("after the game raised itself");
    expectClickThroughToTheGame();
    expectStripClickLeavesTheFocus();

    // Another workspace, where the game is not, and back: the game has the focus again.
    if (probe->workspaceCount() < 2) {
        probe->requestWorkspaceCount(2);
        ASSERT_TRUE(waitUntil([&] { return probe->workspaceCount() >= 2; }, stepTimeoutMs));
    }
    probe->requestWorkspace(1);
    ASSERT_TRUE(waitUntil(
        [&] { return probe->currentWorkspace() == 1 && !probe->isViewable(game->windowID()); }, stepTimeoutMs));
    // (Blended over the desktop's background, which the test does not know, when composited.)
    if (!session->isComposited()) {
        expectOverlayOnTop("on another workspace");
    }
    probe->requestWorkspace(0);
    ASSERT_TRUE(waitUntil(
        [&] { return probe->currentWorkspace() == 0 && probe->isViewable(game->windowID()); }, stepTimeoutMs));
    expectOverlayOnTop("back on the game's workspace");
    EXPECT_TRUE(waitUntil([&] { return gameHasFocus(); }, stepTimeoutMs));
}

TEST_F(OverlayAboveGameOnXcb, AboveABorderlessWindowOfTheScreensSize)
{
    startGame(Mode::borderless);
    clickGame();
    showOverlay();
    expectOverlayOnTop("shown over the focused game");
    EXPECT_TRUE(gameHasFocus());
    clickGame();
    expectOverlayOnTop("after the game was clicked");
    ASSERT_TRUE(game->raise());
    expectOverlayOnTop("after the game raised itself");
    expectClickThroughToTheGame();
}

TEST_F(OverlayAboveGameOnXcb, AboveAFullScreenWindowAsItEntersAndLeavesFullScreen)
{
    startGame(Mode::fullScreen);
    clickGame();
    showOverlay();
    expectOverlayOnTop("shown over the focused game");

    ASSERT_TRUE(game->enterFullScreen());
    expectOverlayOnTop("after the game went full screen");
    EXPECT_TRUE(gameHasFocus());
    saveScreen(QStringLiteral("full-screen"));
    clickGame();
    expectOverlayOnTop("after the full-screen game was clicked");
    ASSERT_TRUE(game->raise());
    expectOverlayOnTop("after the full-screen game raised itself");
    expectClickThroughToTheGame();
    expectStripClickLeavesTheFocus();

    ASSERT_TRUE(game->leaveFullScreen());
    expectOverlayOnTop("after the game left full screen");
    ASSERT_TRUE(game->enterFullScreen());
    expectOverlayOnTop("after the game went full screen again");
    EXPECT_TRUE(gameHasFocus());

    // The game opens its window anew (as games do when they change display mode): the new
    // full-screen window comes up above everything, and the overlay goes back above it.
    TestGameWindow::Options reopened;
    reopened.title = QStringLiteral("Harbour Tales");
    reopened.text = QStringLiteral("The bridge to the north has collapsed.");
    reopened.fullScreen = true;
    game = std::make_unique<TestGameWindow>(*session, reopened);
    ASSERT_TRUE(game->isRunning()) << game->errorString().toStdString();
    expectOverlayOnTop("over a full-screen window opened after it");
}

TEST_F(OverlayAboveGameOnXcb, AboveAGameThatBypassesTheWindowManager)
{
    startGame(Mode::bypassing);
    showOverlay();
    expectOverlayOnTop("shown over the game");
    // Such a game raises its window itself; nothing else would.
    ASSERT_TRUE(game->raise());
    expectOverlayOnTop("after the game raised itself");
    const int before = game->clicks();
    pointer->clickAt(panelOnScreen().topLeft() + QPoint(40, 30));
    pointer->moveTo(QPoint(2, screen.height() - 2));
    EXPECT_TRUE(waitUntil([&] { return game->clicks() == before + 1; }, stepTimeoutMs));
}
