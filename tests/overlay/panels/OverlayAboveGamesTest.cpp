// Test label: x11
// The overlay as a player meets it under openbox, metacity and xfwm4 (its compositor off
// and on): over the stand-in
// game as a normal window, as a borderless window of the screen's size and in the window
// manager's full-screen state, with the game focused and raised again after the overlay
// appeared, entering and leaving full screen, opening its window anew, and on every
// workspace; and on a desktop without a window manager, where windows mapped or raised
// after the overlay come up above it until the stacking keeper puts it back. What counts
// is the screen: the root window's pixels where the overlay is must be the overlay's own.
// The game keeps the focus throughout, and clicks go through the overlay to it. The
// popovers take the keys the player types after a real click on the strip, and give the
// keyboard back to the game when they close; the note popover keeps what is typed into
// it when it closes, opens again and closes again around the strip's right-click menu; a
// right click on the strip while a popover is open closes it and opens that menu, never
// the popover of the item under the pointer.
//
// Without a compositing manager the overlay shows its own pixels (alpha not applied); with
// one (metacity composites itself) they are blended over the game. With
// VEYRA_OVERLAY_SCREENSHOTS naming a folder, a compositing manager runs under every window
// manager, as on a player's desktop, and each one's screen over the full-screen game and
// with a note typed into the note popover is saved there.
#include "capture/x11/XcbTopmostWindowKeeper.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/InMemoryGameMemoStore.h"
#include "notes/views/CurrentGameMemoView.h"
#include "overlay/layout/InMemoryOverlayLayoutStore.h"
#include "overlay/panels/OverlayPanel.h"
#include "overlay/panels/OverlayPanelController.h"
#include "overlay/popovers/OverlayPopover.h"
#include "overlay/settings/InMemoryOverlaySettingsStore.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "overlay/strip/OverlayActionView.h"
#include "overlay/strip/OverlayControlView.h"
#include "overlay/strip/OverlayHandleView.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/X11Desktop.h"
#include "support/X11Probe.h"
#include "support/XTestKeyboard.h"
#include "support/XTestPointer.h"
#include "support/XcbTestProcess.h"

#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QStyleHints>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <iostream>
#include <optional>

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

// Whether no client holds the keyboard grabbed now: tried with a grab of its own, given
// back at once.
bool keyboardIsFree(const QString &display)
{
    const QByteArray name = display.toLocal8Bit();
    xcb_connection_t *connection = xcb_connect(name.constData(), nullptr);
    bool free = false;
    if (xcb_connection_has_error(connection) == 0) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_grab_keyboard_reply_t *grab = xcb_grab_keyboard_reply(connection,
            xcb_grab_keyboard(connection, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
            nullptr);
        free = grab != nullptr && grab->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(grab);
        if (free) {
            xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
            std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        }
    }
    xcb_disconnect(connection);
    return free;
}

// Watches the focus events of a window over a connection of its own: when another client
// takes the keyboard (a popup opening), the window that has the focus hears of it, without
// anything being asked of the server meanwhile.
class KeyboardGrabWatch
{
public:
    KeyboardGrabWatch(const QString &display, std::uint32_t focusedWindow)
    {
        const QByteArray name = display.toLocal8Bit();
        m_connection = xcb_connect(name.constData(), nullptr);
        const std::uint32_t mask[] = {XCB_EVENT_MASK_FOCUS_CHANGE};
        xcb_change_window_attributes(m_connection, focusedWindow, XCB_CW_EVENT_MASK, mask);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    ~KeyboardGrabWatch() { xcb_disconnect(m_connection); }

    KeyboardGrabWatch(const KeyboardGrabWatch &) = delete;
    KeyboardGrabWatch &operator=(const KeyboardGrabWatch &) = delete;

    // Whether a grab of the keyboard took the focus from the window since the watch began.
    bool grabbed()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_FOCUS_OUT
                && reinterpret_cast<const xcb_focus_out_event_t *>(event)->mode == XCB_NOTIFY_MODE_GRAB) {
                m_grabbed = true;
            }
            std::free(event);
        }
        return m_grabbed;
    }

private:
    xcb_connection_t *m_connection = nullptr;
    bool m_grabbed = false;
};

// An ordinary top-level window of a client of its own, filled with one colour by the
// server, created in place and mapped: nothing but the map changes the stack.
class PlainWindow
{
public:
    PlainWindow(const QString &display, const QRect &area, std::uint32_t colour)
    {
        const QByteArray name = display.toLocal8Bit();
        m_connection = xcb_connect(name.constData(), nullptr);
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        const std::uint32_t values[] = {colour};
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root,
            static_cast<std::int16_t>(area.x()), static_cast<std::int16_t>(area.y()),
            static_cast<std::uint16_t>(area.width()), static_cast<std::uint16_t>(area.height()), 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
        xcb_map_window(m_connection, m_window);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    ~PlainWindow() { xcb_disconnect(m_connection); }

    PlainWindow(const PlainWindow &) = delete;
    PlainWindow &operator=(const PlainWindow &) = delete;

    std::uint32_t id() const { return m_window; }

private:
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = 0;
};

// A desktop the overlay is tested on: its window manager, and whether that one runs its
// own compositor (xfwm4 can; metacity always does).
struct GameDesktop
{
    XvfbSession::WindowManager manager;
    bool compositor = false;

    QString name() const
    {
        return XvfbSession::name(manager) + (compositor ? QStringLiteral(" composited") : QString());
    }
};

void PrintTo(const GameDesktop &desktop, std::ostream *stream)
{
    *stream << desktop.name().toStdString();
}

class OverlayAboveGames : public ::testing::TestWithParam<GameDesktop>
{ };

// The suite proper runs in a child process whose Qt draws on the X server.
class OverlayAboveGameOnXcb : public ::testing::Test
{
protected:
    enum class Mode { normal, borderless, fullScreen };

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
        if (mode == Mode::borderless) {
            options.frameless = true;
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
        clickWhereWindowTakesIt(game->windowID(), area.topLeft() + QPoint(40, 40));
        pointer->moveTo(QPoint(2, screen.height() - 2));
        ASSERT_TRUE(waitUntil([&] { return gameHasFocus(); }, stepTimeoutMs));
    }

    // A click at a point once the X server hands a press there to the window.
    void clickWhereWindowTakesIt(std::uint32_t window, QPoint point)
    {
        EXPECT_TRUE(moveOnto(*pointer, *probe, window, point, stepTimeoutMs))
            << "the window " << window << " is not what the pointer is over at " << point.x() << "," << point.y()
            << " under " << windowManager().toStdString();
        pointer->clickAt(point);
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
        clickWhereWindowTakesIt(game->windowID(), panelOnScreen().topLeft() + QPoint(40, 30));
        pointer->moveTo(QPoint(2, screen.height() - 2));
        EXPECT_TRUE(waitUntil([&] { return game->clicks() == before + 1; }, stepTimeoutMs));
        EXPECT_TRUE(gameHasFocus());
    }

    // A click on the strip (its move handle) reaches the strip and leaves the focus with
    // the game.
    void expectStripClickLeavesTheFocus()
    {
        clickStripItem(controller->controlView()->moveHandle());
        EXPECT_TRUE(waitUntil([&] { return controller->controlView()->isPointerInside(); }, stepTimeoutMs));
        pointer->moveTo(QPoint(2, screen.height() - 2));
        EXPECT_TRUE(waitUntil([&] { return !controller->controlView()->isPointerInside(); }, stepTimeoutMs));
        EXPECT_TRUE(gameHasFocus());
    }

    // The strip's item on the screen (its centre), once the strip stands in the panel's
    // corner.
    QPoint stripItemOnScreen(const QWidget *item)
    {
        EXPECT_TRUE(waitUntil(
            [&] {
                const QRect panel = panelOnScreen();
                return probe->isViewable(static_cast<std::uint32_t>(controller->controlPanel()->winId()))
                    && stripOnScreen()
                    == QRect(panel.x() + panel.width() - 166, panel.y() + panel.height() - 48, 156, 38);
            },
            stepTimeoutMs));
        return stripOnScreen().topLeft() + item->mapTo(controller->controlPanel(), QPoint(19, 19));
    }

    void clickStripItem(const QWidget *item)
    {
        clickWhereWindowTakesIt(
            static_cast<std::uint32_t>(controller->controlPanel()->winId()), stripItemOnScreen(item));
    }

    bool popoverShown(const OverlayPopover *popover) const
    {
        return popover != nullptr && probe->isViewable(static_cast<std::uint32_t>(popover->winId()));
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
    XvfbSession::Options options;
    options.manager = GetParam().manager;
    options.windowManagerCompositor = GetParam().compositor;
    XvfbSession session(options);
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    if (qEnvironmentVariableIsSet(screenshotsVariable) && !session.isComposited()) {
        ASSERT_TRUE(session.startCompositor()) << session.errorString().toStdString();
    }
    // The children learn which window manager they run under through their environment.
    qputenv(windowManagerVariable, GetParam().name().replace(QLatin1Char(' '), QLatin1Char('-')).toUtf8());
    const ChildTestRun run = runTestsOnXcb(session, QStringLiteral("OverlayAboveGameOnXcb.*"));
    qunsetenv(windowManagerVariable);
    std::cout << run.output.toStdString() << std::endl;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 5 tests."))) << "the child ran no tests";
}

TEST(OverlayWithoutAWindowManager, AboveWindowsMappedAndRaisedAfterIt)
{
    if (runsOnXcb()) {
        GTEST_SKIP() << "this is a child";
    }
    XvfbSession::Options options;
    options.windowManager = false;
    XvfbSession session(options);
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    qputenv(windowManagerVariable, "no window manager");
    const ChildTestRun run = runTestsOnXcb(session, QStringLiteral("OverlayWithoutWindowManagerOnXcb.*"));
    qunsetenv(windowManagerVariable);
    std::cout << run.output.toStdString() << std::endl;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << "the child ran no tests";
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, OverlayAboveGames,
    ::testing::Values(GameDesktop{XvfbSession::WindowManager::openbox},
        GameDesktop{XvfbSession::WindowManager::metacity}, GameDesktop{XvfbSession::WindowManager::xfwm4},
        GameDesktop{XvfbSession::WindowManager::xfwm4, true}),
    [](const ::testing::TestParamInfo<GameDesktop> &info) {
        return XvfbSession::name(info.param.manager).toStdString() + (info.param.compositor ? "Composited" : "");
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

// Without a window manager every window a program maps or raises comes up above all
// others, the overlay's too: only the stacking keeper puts the overlay back on top.
class OverlayWithoutWindowManagerOnXcb : public OverlayAboveGameOnXcb
{ };

TEST_F(OverlayWithoutWindowManagerOnXcb, AboveWindowsMappedAndRaisedAfterIt)
{
    startGame(Mode::normal);
    showOverlay();
    expectOverlayOnTop("shown over the game");
    ASSERT_TRUE(game->raise());
    expectOverlayOnTop("after the game raised itself");

    // Another program maps a window over the overlay's place.
    const QRect panel = panelOnScreen();
    PlainWindow other(session->display(), panel.adjusted(-40, -40, 40, 40), 0xc03020);
    ASSERT_NE(other.id(), 0U);
    ASSERT_TRUE(waitUntil([&] { return probe->isViewable(other.id()); }, stepTimeoutMs));
    expectOverlayOnTop("after another window was mapped over it");

    // The game opens its window anew.
    TestGameWindow::Options reopened;
    reopened.title = QStringLiteral("Harbour Tales");
    reopened.text = QStringLiteral("The bridge to the north has collapsed.");
    reopened.position = QPoint(200, 150);
    game = std::make_unique<TestGameWindow>(*session, reopened);
    ASSERT_TRUE(game->isRunning()) << game->errorString().toStdString();
    expectOverlayOnTop("over the game's window opened after it");
    EXPECT_GT(keeper->restackings(), 0);
}

TEST_F(OverlayAboveGameOnXcb, ThePopoversTakeTheKeysTypedAndGiveTheKeyboardBackToTheGame)
{
    XTestKeyboard keyboard(session->display());
    ASSERT_TRUE(keyboard.isValid());
    startGame(Mode::normal);
    const GameMemoContext context = *GameMemoContext::make(target, QStringLiteral("Harbour Tales"));
    controller->setGameMemoContextProvider([&context] { return std::optional<GameMemoContext>(context); });
    QVector<TranslationReportTarget> reported;
    controller->setOnRequestTranslationErrorReport(
        [&reported](const TranslationReportTarget &report) { reported.append(report); });
    clickGame();
    showOverlay();
    const QUuid id = QUuid::createUuid();
    controller->applyTranslation(QStringLiteral("dialogue"),
        {id, QStringLiteral("橋が崩れた。"), QStringLiteral("The bridge has collapsed."), std::nullopt,
            TranslationTargetLanguage::english},
        id);
    ASSERT_TRUE(waitUntil([&] { return keyboardIsFree(session->display()) && gameHasFocus(); }, stepTimeoutMs));

    // A click on the note item, and the player types at once: the note editor gets it.
    std::optional<KeyboardGrabWatch> watch(std::in_place, session->display(), game->windowID());
    clickStripItem(controller->controlView()->gameNoteHandle());
    pointer->moveTo(QPoint(2, screen.height() - 2));
    const auto notes = [&] { return controller->gameMemoPresenter().popover(); };
    ASSERT_TRUE(waitUntil([&] { return popoverShown(notes()); }, stepTimeoutMs));
    // The popup has the keyboard once it is open.
    ASSERT_TRUE(waitUntil([&] { return watch->grabbed(); }, stepTimeoutMs));
    auto *editor = notes()->findChild<QPlainTextEdit *>(QString::fromLatin1(CurrentGameMemoView::editorObjectName));
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(keyboard.type(QStringLiteral("the key is under the mat")));
    EXPECT_TRUE(
        waitUntil([&] { return editor->toPlainText() == QStringLiteral("the key is under the mat"); }, stepTimeoutMs))
        << "the editor has \"" << editor->toPlainText().toStdString() << "\" under " << windowManager().toStdString();
    EXPECT_EQ(library.entriesByKey().value(context.key).text, QStringLiteral("the key is under the mat"));
    saveScreen(QStringLiteral("note-typed"));
    // The input focus never left the game.
    EXPECT_TRUE(gameHasFocus());

    // Escape closes it, and the game has the keyboard again.
    ASSERT_TRUE(keyboard.tap(XTestKeyboard::escapeKey));
    EXPECT_TRUE(waitUntil([&] { return !popoverShown(notes()); }, stepTimeoutMs));
    EXPECT_TRUE(waitUntil([&] { return keyboardIsFree(session->display()) && gameHasFocus(); }, stepTimeoutMs))
        << "the game does not get the keyboard back under " << windowManager().toStdString();

    // The report popover: a row picked by the pointer, then Return reports it.
    watch.emplace(session->display(), game->windowID());
    clickStripItem(controller->controlView()->reportHandle());
    pointer->moveTo(QPoint(2, screen.height() - 2));
    const auto reports = [&] { return controller->translationReportPresenter().popover(); };
    ASSERT_TRUE(waitUntil([&] { return popoverShown(reports()); }, stepTimeoutMs));
    ASSERT_TRUE(waitUntil([&] { return watch->grabbed(); }, stepTimeoutMs));
    auto *row = reports()->findChild<QWidget *>(QStringLiteral("translation-error-report-row-dialogue"));
    ASSERT_NE(row, nullptr);
    const auto reportsWindow = static_cast<std::uint32_t>(reports()->winId());
    clickWhereWindowTakesIt(reportsWindow,
        probe->geometry(reportsWindow).topLeft() + row->mapTo(reports(), QPoint(row->width() / 2, row->height() / 2)));
    ASSERT_TRUE(waitUntil(
        [&] {
            return reports() != nullptr
                && reports()->findChild<QWidget *>(QStringLiteral("translation-error-report-source")) != nullptr;
        },
        stepTimeoutMs));
    ASSERT_TRUE(keyboard.tap(XTestKeyboard::returnKey));
    EXPECT_TRUE(waitUntil([&] { return reported.size() == 1; }, stepTimeoutMs))
        << "Return in the report popover reported nothing under " << windowManager().toStdString();
    controller->closeTranslationReport();
    EXPECT_TRUE(waitUntil([&] { return keyboardIsFree(session->display()) && gameHasFocus(); }, stepTimeoutMs));
}

TEST_F(OverlayAboveGameOnXcb, TheNotePopoverKeepsWhatIsTypedAroundTheStripMenu)
{
    XTestKeyboard keyboard(session->display());
    ASSERT_TRUE(keyboard.isValid());
    QMenu menu;
    menu.addAction(QStringLiteral("Settings…"));
    menu.addAction(QStringLiteral("Quit Veyra"));
    controller->setStripMenu(&menu);
    startGame(Mode::normal);
    const GameMemoContext context = *GameMemoContext::make(target, QStringLiteral("Harbour Tales"));
    controller->setGameMemoContextProvider([&context] { return std::optional<GameMemoContext>(context); });
    clickGame();
    showOverlay();
    // A reportable line, so that the report item takes clicks too.
    const QUuid id = QUuid::createUuid();
    controller->applyTranslation(QStringLiteral("dialogue"),
        {id, QStringLiteral("橋が崩れた。"), QStringLiteral("The bridge has collapsed."), std::nullopt,
            TranslationTargetLanguage::english},
        id);
    ASSERT_TRUE(waitUntil([&] { return keyboardIsFree(session->display()) && gameHasFocus(); }, stepTimeoutMs));
    const auto notes = [&] { return controller->gameMemoPresenter().popover(); };
    const auto reports = [&] { return controller->translationReportPresenter().popover(); };
    const auto stored
        = [&] { return dynamic_cast<const InMemoryGameMemoStore &>(library.store()).entries().value(0).text; };
    const QPoint strip = stripItemOnScreen(controller->controlView()->moveHandle());
    const QPoint noteItem = stripItemOnScreen(controller->controlView()->gameNoteHandle());
    const QPoint reportItem = stripItemOnScreen(controller->controlView()->reportHandle());

    // Opens the note popover with a click on its item and types into it.
    const auto openAndType = [&](const QString &typed, const QString &expected) {
        KeyboardGrabWatch watch(session->display(), game->windowID());
        clickStripItem(controller->controlView()->gameNoteHandle());
        pointer->moveTo(QPoint(2, screen.height() - 2));
        ASSERT_TRUE(waitUntil([&] { return popoverShown(notes()); }, stepTimeoutMs));
        ASSERT_TRUE(waitUntil([&] { return watch.grabbed(); }, stepTimeoutMs));
        auto *editor = notes()->findChild<QPlainTextEdit *>(QString::fromLatin1(CurrentGameMemoView::editorObjectName));
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(keyboard.type(typed));
        EXPECT_TRUE(waitUntil([&] { return editor->toPlainText() == expected; }, stepTimeoutMs))
            << "the editor has \"" << editor->toPlainText().toStdString() << "\" under "
            << windowManager().toStdString();
    };
    // A right click on the strip while a popover is open closes the popover (which writes
    // the note) and opens the menu, as with no popover open. The pointer stays where it
    // was clicked. Right after the click that opened the menu before, at the same place,
    // as a player's may be, it is also a double click: with an interval no wait of the
    // test reaches, it always is here.
    QGuiApplication::styleHints()->setMouseDoubleClickInterval(60000);
    const auto restoreInterval = qScopeGuard([] { QGuiApplication::styleHints()->setMouseDoubleClickInterval(-1); });
    const auto menuShown
        = [&] { return menu.isVisible() && probe->isViewable(static_cast<std::uint32_t>(menu.winId())); };
    const auto escapeMenu = [&] {
        ASSERT_TRUE(keyboard.tap(XTestKeyboard::escapeKey));
        ASSERT_TRUE(waitUntil([&] { return !menu.isVisible(); }, stepTimeoutMs));
        ASSERT_TRUE(waitUntil([&] { return keyboardIsFree(session->display()) && gameHasFocus(); }, stepTimeoutMs));
    };
    // The menu opens on a right click once nothing holds the pointer or the keyboard and
    // the server has the strip under the pointer.
    const auto rightClickForMenu = [&] {
        ASSERT_TRUE(waitUntil([&] { return keyboardIsFree(session->display()) && gameHasFocus(); }, stepTimeoutMs));
        ASSERT_TRUE(moveOnto(
            *pointer, *probe, static_cast<std::uint32_t>(controller->controlPanel()->winId()), strip, stepTimeoutMs));
        pointer->rightClickAt(strip);
    };
    const auto openMenuAndEscape = [&] {
        rightClickForMenu();
        ASSERT_TRUE(waitUntil(menuShown, stepTimeoutMs))
            << "no menu opens on the strip under " << windowManager().toStdString();
        escapeMenu();
    };

    openAndType(QStringLiteral("the key"), QStringLiteral("the key"));
    // On the report item: no report opens, the menu does.
    pointer->rightClickAt(reportItem);
    EXPECT_TRUE(waitUntil([&] { return !popoverShown(notes()); }, stepTimeoutMs));
    EXPECT_EQ(stored(), QStringLiteral("the key"));
    EXPECT_TRUE(waitUntil(menuShown, stepTimeoutMs))
        << "a right click that closed the note opens no menu under " << windowManager().toStdString();
    EXPECT_EQ(reports(), nullptr) << "a right click on the report item opened the report";
    escapeMenu();
    EXPECT_EQ(reports(), nullptr);

    // The reverse: with the report open (the closed note dropped), a right click on the
    // note item opens no note.
    clickStripItem(controller->controlView()->reportHandle());
    pointer->moveTo(QPoint(2, screen.height() - 2));
    ASSERT_TRUE(waitUntil([&] { return popoverShown(reports()); }, stepTimeoutMs));
    ASSERT_EQ(notes(), nullptr);
    pointer->rightClickAt(noteItem);
    EXPECT_TRUE(waitUntil([&] { return !popoverShown(reports()); }, stepTimeoutMs));
    EXPECT_TRUE(waitUntil(menuShown, stepTimeoutMs))
        << "a right click that closed the report opens no menu under " << windowManager().toStdString();
    EXPECT_EQ(notes(), nullptr) << "a right click on the note item opened the note";
    escapeMenu();
    EXPECT_EQ(notes(), nullptr);

    // The menu opened and closed, then the popover again: what is typed now joins the
    // note, and closing keeps it, once more around the menu.
    openMenuAndEscape();
    openAndType(QStringLiteral(" is under"), QStringLiteral("the key is under"));
    pointer->rightClickAt(strip);
    EXPECT_TRUE(waitUntil([&] { return !popoverShown(notes()); }, stepTimeoutMs));
    EXPECT_EQ(stored(), QStringLiteral("the key is under"));
    EXPECT_TRUE(waitUntil(menuShown, stepTimeoutMs));
    escapeMenu();
    openMenuAndEscape();
    openAndType(QStringLiteral(" the mat"), QStringLiteral("the key is under the mat"));
    ASSERT_TRUE(keyboard.tap(XTestKeyboard::escapeKey));
    EXPECT_TRUE(waitUntil([&] { return !popoverShown(notes()); }, stepTimeoutMs));
    EXPECT_EQ(stored(), QStringLiteral("the key is under the mat"));
    EXPECT_TRUE(waitUntil([&] { return keyboardIsFree(session->display()) && gameHasFocus(); }, stepTimeoutMs));

    // The menu open, the note item clicked: the click closes the menu (and, should it not
    // open the popover as well, the player clicks once more); what is typed then is kept.
    rightClickForMenu();
    ASSERT_TRUE(waitUntil([&] { return menu.isVisible(); }, stepTimeoutMs));
    clickStripItem(controller->controlView()->gameNoteHandle());
    pointer->moveTo(QPoint(2, screen.height() - 2));
    ASSERT_TRUE(waitUntil([&] { return !menu.isVisible(); }, stepTimeoutMs));
    if (!popoverShown(notes())) {
        ASSERT_TRUE(waitUntil([&] { return keyboardIsFree(session->display()) && gameHasFocus(); }, stepTimeoutMs));
    }
    if (!popoverShown(notes())) {
        openAndType(QStringLiteral(" again"), QStringLiteral("the key is under the mat again"));
    } else {
        auto *editor = notes()->findChild<QPlainTextEdit *>(QString::fromLatin1(CurrentGameMemoView::editorObjectName));
        ASSERT_TRUE(keyboard.type(QStringLiteral(" again")));
        EXPECT_TRUE(waitUntil(
            [&] { return editor->toPlainText() == QStringLiteral("the key is under the mat again"); }, stepTimeoutMs));
    }
    pointer->rightClickAt(strip);
    EXPECT_TRUE(waitUntil([&] { return !popoverShown(notes()); }, stepTimeoutMs));
    EXPECT_EQ(stored(), QStringLiteral("the key is under the mat again"));
    EXPECT_TRUE(waitUntil(menuShown, stepTimeoutMs));
    escapeMenu();
}
