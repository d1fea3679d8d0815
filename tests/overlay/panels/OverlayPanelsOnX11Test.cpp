// Test label: x11
// The overlay's real windows on an X server with openbox, beside the stand-in game: they
// stay above the game and out of its snapshots, let clicks through to the game exactly
// while the capture areas are ready, move and resize through the strip's handles, and
// switch from one popover to another on one click, under real pointer input; on a small
// screen the popovers stay inside it, whole where they fit, else shortened. Positions are
// read from the X server, not from Qt.
#include "capture/x11/XcbTopmostWindowKeeper.h"
#include "capture/x11/XcbWindowSnapshotter.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/LocalizedString.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/InMemoryGameMemoStore.h"
#include "overlay/layout/InMemoryOverlayLayoutStore.h"
#include "overlay/panels/OverlayPanel.h"
#include "overlay/panels/OverlayPanelController.h"
#include "overlay/popovers/OverlayPopover.h"
#include "overlay/settings/InMemoryOverlaySettingsStore.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "overlay/strip/OverlayActionView.h"
#include "overlay/strip/OverlayHandleView.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/TestScreenshots.h"
#include "support/X11Probe.h"
#include "support/XTestPointer.h"
#include "support/XcbTestProcess.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <iostream>

using namespace veyra;
using namespace veyra::test;

namespace {

// Generous for a loaded machine; every wait ends as soon as its condition holds.
constexpr int stepTimeoutMs = 60000;

// Returns once the X server has handled every request Qt has made so far.
void syncQtWithServer()
{
    QCoreApplication::processEvents();
    xcb_connection_t *connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    xcb_flush(connection);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

xcb_window_t nativeWindow(const QWidget *widget)
{
    return static_cast<xcb_window_t>(widget->winId());
}

QPoint centreOf(const QRect &rect)
{
    return rect.topLeft() + QPoint(rect.width() / 2, rect.height() / 2);
}

qint64 differingPixels(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size()) {
        return qint64(expected.width()) * expected.height();
    }
    qint64 differing = 0;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            differing += actual.pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
        }
    }
    return differing;
}

// Counts the mouse presses that reach any widget of the overlay's panel.
class PressCounter : public QObject
{
public:
    explicit PressCounter(const std::unique_ptr<OverlayPanelController> &controller)
        : m_controller(controller)
    {
        qApp->installEventFilter(this);
    }
    ~PressCounter() override { qApp->removeEventFilter(this); }

    int count() const { return m_count; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Qt offers a press to a widget and then, unless taken, to its parents: count the
        // press once, where it first arrives (at its window).
        if (event->type() == QEvent::MouseButtonPress && m_controller
            && watched == m_controller->panel()->windowHandle()) {
            ++m_count;
        }
        return false;
    }

private:
    const std::unique_ptr<OverlayPanelController> &m_controller;
    int m_count = 0;
};

// The suite proper runs in a child process whose Qt draws on the X server.
class OverlayPanelsOnXcb : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!runsOnXcb()) {
            GTEST_SKIP() << "runs in the child of OverlayPanelsOnX11.RunOnAnXServerWithOpenbox";
        }
        session = std::make_unique<XvfbSession>(qEnvironmentVariable("DISPLAY"));
        TestGameWindow::Options options;
        options.position = QPoint(200, 150);
        options.size = QSize(960, 540);
        options.text = QStringLiteral("こんにちは、旅の人。");
        game = std::make_unique<TestGameWindow>(*session, options);
        ASSERT_TRUE(game->isRunning()) << game->errorString().toStdString();
        probe = std::make_unique<X11Probe>(session->display());
        pointer = std::make_unique<XTestPointer>(session->display());
        ASSERT_TRUE(pointer->isValid());

        target.windowID = game->windowID();
        target.processID = game->processID();
        target.executableURL = QUrl::fromLocalFile(game->executablePath());
        target.applicationName = QStringLiteral("veyra_test_game_window");
        target.windowTitle = QStringLiteral("Test Game");
        target.frame = QRectF(probe->geometry(game->windowID()));
        controller = std::make_unique<OverlayPanelController>(settings, store, library,
            std::make_shared<QScreenDisplayGeometryProvider>(),
            std::make_shared<XcbTopmostWindowKeeper>(session->display()));
    }

    void showReady()
    {
        controller->show(target, OverlayCaptureAreaState::ready(), {QStringLiteral("a")});
        ASSERT_TRUE(waitUntil([&] {
            return probe->isViewable(nativeWindow(controller->panel()))
                && probe->isViewable(nativeWindow(controller->controlPanel()))
                && controller->panel()->isNativelyClickThrough();
        }));
        syncQtWithServer();
        controller->updateRecognizedText(QStringLiteral("a"), QStringLiteral("こんにちは、旅の人。"));
        controller->applyTranslation(QStringLiteral("a"),
            {QUuid::createUuid(), QStringLiteral("こんにちは、旅の人。"), QStringLiteral("Hello, traveller."),
                std::nullopt, TranslationTargetLanguage::english},
            std::nullopt);
    }

    // Where the panel opens: 720 x 220, centred on the game's client area.
    QRect centredOnGame() const
    {
        const QPoint centre = target.frame.center().toPoint();
        return {centre.x() - 360, centre.y() - 110, 720, 220};
    }
    // Whether a click at the point reaches the game, as the X server sees it now. The
    // window manager follows a change of the overlay's input area in its own time; the
    // pointer is nudged so that the server looks again.
    bool clicksReachGameAt(QPoint point)
    {
        m_nudge = 1 - m_nudge;
        pointer->moveTo(point + QPoint(m_nudge, 0));
        return probe->topLevelUnderPointer() == probe->topLevel(game->windowID());
    }
    QRect panelOnScreen() const { return probe->geometry(nativeWindow(controller->panel())); }
    QRect stripOnScreen() const { return probe->geometry(nativeWindow(controller->controlPanel())); }
    // The strip's place for a panel: 10 from its right and bottom edges.
    static QRect stripFor(const QRect &panel)
    {
        return {panel.x() + panel.width() - 166, panel.y() + panel.height() - 48, 156, 38};
    }

    std::unique_ptr<XvfbSession> session;
    std::unique_ptr<TestGameWindow> game;
    std::unique_ptr<X11Probe> probe;
    std::unique_ptr<XTestPointer> pointer;
    CaptureTarget target;
    OverlaySettingsModel settings{std::make_unique<InMemoryOverlaySettingsStore>()};
    std::shared_ptr<InMemoryOverlayLayoutStore> store = std::make_shared<InMemoryOverlayLayoutStore>();
    GameMemoLibraryModel library{std::make_unique<InMemoryGameMemoStore>(), 400000000};
    std::unique_ptr<OverlayPanelController> controller;

private:
    int m_nudge = 0;
};

// The same overlay on a screen of 960 x 540, the room 1920 x 1080 leaves at a doubled scale.
using OverlayPopoversOnXcb = OverlayPanelsOnXcb;

} // namespace

TEST(OverlayPanelsOnX11, RunOnAnXServerWithOpenbox)
{
    if (runsOnXcb()) {
        GTEST_SKIP() << "this is the child";
    }
    XvfbSession session;
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    const ChildTestRun run = runTestsOnXcb(session, QStringLiteral("OverlayPanelsOnXcb.*"));
    std::cout << run.output.toStdString() << std::endl;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 4 tests."))) << "the child ran no tests";
}

TEST_F(OverlayPanelsOnXcb, StaysAboveTheGameAndOutOfItsSnapshot)
{
    showReady();
    // Centred on the game window at 720 x 220, as X has it and as Qt believes.
    const QRect expected = centredOnGame();
    ASSERT_TRUE(waitUntil([&] { return panelOnScreen() == expected; }))
        << panelOnScreen().x() << "," << panelOnScreen().y() << " " << panelOnScreen().width();
    EXPECT_EQ(controller->panel()->geometry(), expected);
    EXPECT_TRUE(waitUntil([&] { return stripOnScreen() == stripFor(expected); }));
    EXPECT_GT(probe->stackingIndex(nativeWindow(controller->panel())), probe->stackingIndex(game->windowID()));
    EXPECT_GT(probe->stackingIndex(nativeWindow(controller->controlPanel())),
        probe->stackingIndex(nativeWindow(controller->panel())));

    // Raising the game keeps the overlay above it.
    ASSERT_TRUE(game->raise());
    EXPECT_TRUE(waitUntil([&] {
        return probe->stackingIndex(nativeWindow(controller->panel())) > probe->stackingIndex(game->windowID());
    }));

    // The overlay is on the screen over the game, yet the game's snapshot is its own picture.
    const QImage picture = game->picture();
    const QRect overlap = expected.translated(-target.frame.topLeft().toPoint());
    const QImage screen
        = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(differingPixels(screen.copy(expected), picture.copy(overlap)), overlap.width() * overlap.height() / 2);
    XcbWindowSnapshotter snapshotter(session->display());
    // On a loaded machine the game may repaint too late for one capture (the capture loop
    // then tries again a second later), and so does the test.
    std::optional<CapturedWindowSnapshot> snapshot;
    ASSERT_TRUE(waitUntil(
        [&] {
            try {
                snapshot = runTask(snapshotter.capture(target));
            } catch (const std::exception &) { }
            return snapshot.has_value();
        },
        stepTimeoutMs));
    EXPECT_EQ(differingPixels(snapshot->image.convertToFormat(QImage::Format_RGB32), picture), 0);

    // Clicking the strip does not take the focus from where it was.
    const xcb_window_t focus = probe->inputFocus();
    const QPoint onStrip = centreOf(stripOnScreen());
    ASSERT_TRUE(moveOnto(*pointer, *probe, nativeWindow(controller->controlPanel()), onStrip));
    pointer->clickAt(onStrip);
    EXPECT_TRUE(waitUntil([&] { return controller->controlView()->isPointerInside(); }));
    EXPECT_EQ(probe->inputFocus(), focus);
    EXPECT_FALSE(controller->panel()->isActiveWindow());
}

TEST_F(OverlayPanelsOnXcb, LetsClicksThroughExactlyWhileReady)
{
    PressCounter overlayPresses(controller);
    showReady();
    ASSERT_TRUE(waitUntil([&] { return panelOnScreen().width() == 720; }));
    const QPoint inside = panelOnScreen().topLeft() + QPoint(100, 60);
    ASSERT_EQ(game->clicks(), 0);
    // The window manager may take a click first and pass it on later: wait for it.
    ASSERT_TRUE(waitUntil([&] { return clicksReachGameAt(inside); }));
    pointer->clickAt(inside);
    EXPECT_TRUE(waitUntil([&] { return game->clicks() == 1; }));
    EXPECT_EQ(overlayPresses.count(), 0);

    // A help card takes clicks: its button works and the game gets nothing.
    int editRequests = 0;
    controller->setOnRequestCaptureAreaEditor([&] { ++editRequests; });
    controller->show(target, OverlayCaptureAreaState::requiresCaptureAreas(), {});
    syncQtWithServer();
    EXPECT_TRUE(probe->isViewable(nativeWindow(controller->panel())));
    auto *button = controller->panel()->findChild<QPushButton *>(QStringLiteral("overlay-edit-capture-areas"));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(waitUntil([&] { return button->isVisible() && !button->geometry().isEmpty(); }));
    const QPoint onScreen = panelOnScreen().topLeft() + button->mapTo(controller->panel(), QPoint())
        + QPoint(button->width() / 2, button->height() / 2);
    EXPECT_EQ(button->mapToGlobal(QPoint(button->width() / 2, button->height() / 2)), onScreen);
    ASSERT_TRUE(waitUntil([&] { return !clicksReachGameAt(onScreen); }));
    pointer->clickAt(onScreen);
    EXPECT_TRUE(waitUntil([&] { return editRequests == 1; }));
    pointer->clickAt(inside);
    // A press goes to one window only: once the overlay has it, the game cannot.
    EXPECT_TRUE(waitUntil([&] { return overlayPresses.count() == 2; }));
    EXPECT_EQ(game->clicks(), 1);

    // Ready again: clicks pass once more, the window having stayed mapped and in place.
    controller->show(target, OverlayCaptureAreaState::ready(), {QStringLiteral("a")});
    syncQtWithServer();
    EXPECT_TRUE(probe->isViewable(nativeWindow(controller->panel())));
    EXPECT_EQ(panelOnScreen().topLeft(), inside - QPoint(100, 60));
    ASSERT_TRUE(waitUntil([&] { return clicksReachGameAt(inside); }));
    pointer->clickAt(inside);
    EXPECT_TRUE(waitUntil([&] { return game->clicks() == 2; }));
    EXPECT_EQ(overlayPresses.count(), 2);
}

TEST_F(OverlayPanelsOnXcb, MovesAndResizesThroughTheStripsHandles)
{
    showReady();
    const QRect start = centredOnGame();
    ASSERT_TRUE(waitUntil([&] { return panelOnScreen() == start; }));

    // Drag the move handle by (150, 80) in steps; the panel and strip follow the pointer.
    const QWidget *move = controller->controlView()->moveHandle();
    const QPoint grab = stripOnScreen().topLeft() + move->mapTo(controller->controlPanel(), QPoint(19, 19));
    ASSERT_TRUE(moveOnto(*pointer, *probe, nativeWindow(controller->controlPanel()), grab));
    pointer->pressLeft();
    for (int step = 1; step <= 5; ++step) {
        pointer->moveTo(grab + QPoint(30 * step, 16 * step));
    }
    const QRect moved = start.translated(150, 80);
    EXPECT_TRUE(waitUntil([&] { return panelOnScreen() == moved; }))
        << panelOnScreen().x() << "," << panelOnScreen().y();
    EXPECT_TRUE(waitUntil([&] { return stripOnScreen() == stripFor(moved); }));
    EXPECT_EQ(controller->controlView()->stripAlpha(), 1.0);
    pointer->releaseLeft();
    ASSERT_TRUE(waitUntil([&] { return !store->layouts().isEmpty(); }));
    const OverlayLayout saved = store->layouts().value(*target.profileKey());
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(saved.normalizedX, double(moved.x() - work.x()) / (work.width() - 720), 1e-9);
    EXPECT_EQ(saved.width, 720);

    // Drag the resize handle right and down: the top-left corner stays.
    const QWidget *resize = controller->controlView()->resizeHandle();
    const QPoint corner = stripOnScreen().topLeft() + resize->mapTo(controller->controlPanel(), QPoint(19, 19));
    ASSERT_TRUE(moveOnto(*pointer, *probe, nativeWindow(controller->controlPanel()), corner));
    pointer->pressLeft();
    pointer->moveTo(corner + QPoint(50, 30));
    pointer->moveTo(corner + QPoint(100, 60));
    const QRect resized(moved.topLeft(), moved.size() + QSize(100, 60));
    EXPECT_TRUE(waitUntil([&] { return panelOnScreen() == resized; }))
        << panelOnScreen().width() << "x" << panelOnScreen().height();
    pointer->releaseLeft();
    EXPECT_TRUE(waitUntil([&] { return stripOnScreen() == stripFor(resized); }));
    EXPECT_TRUE(waitUntil([&] { return store->layouts().value(*target.profileKey()).width == 820; }));
    EXPECT_EQ(controller->panel()->geometry(), resized);
}

TEST_F(OverlayPanelsOnXcb, OneClickOnAnotherStripItemSwitchesPopovers)
{
    const GameMemoContext context = *GameMemoContext::make(target, QStringLiteral("Harbour Tales"));
    controller->setGameMemoContextProvider([&context] { return std::optional<GameMemoContext>(context); });
    showReady();
    const QUuid id = QUuid::createUuid();
    controller->applyTranslation(QStringLiteral("a"),
        {id, QStringLiteral("こんにちは、旅の人。"), QStringLiteral("Hello, traveller."), std::nullopt,
            TranslationTargetLanguage::english},
        id);
    ASSERT_TRUE(waitUntil([&] { return stripOnScreen() == stripFor(panelOnScreen()); }, stepTimeoutMs));
    const auto itemOnScreen = [&](const QWidget *item) {
        return stripOnScreen().topLeft() + item->mapTo(controller->controlPanel(), QPoint(19, 19));
    };
    const QPoint note = itemOnScreen(controller->controlView()->gameNoteHandle());
    const QPoint report = itemOnScreen(controller->controlView()->reportHandle());
    const auto shown = [&](OverlayPopover *popover) {
        return popover != nullptr && probe->isViewable(static_cast<std::uint32_t>(popover->winId()));
    };
    const auto notes = [&] { return shown(controller->gameMemoPresenter().popover()); };
    const auto reports = [&] { return shown(controller->translationReportPresenter().popover()); };
    const auto click = [&](QPoint item) {
        EXPECT_TRUE(moveOnto(*pointer, *probe, nativeWindow(controller->controlPanel()), item, stepTimeoutMs));
        pointer->clickAt(item);
    };

    click(note);
    ASSERT_TRUE(waitUntil(notes, stepTimeoutMs));
    // One click on the other item: it closes the open popover and opens its own.
    click(report);
    EXPECT_TRUE(waitUntil([&] { return reports() && !notes(); }, stepTimeoutMs));
    click(note);
    EXPECT_TRUE(waitUntil([&] { return notes() && !reports(); }, stepTimeoutMs));
    // A click on the open popover's own item only closes it (no new popover).
    const QPointer<OverlayPopover> open = controller->gameMemoPresenter().popover();
    click(note);
    EXPECT_TRUE(waitUntil([&] { return !notes(); }, stepTimeoutMs));
    QCoreApplication::processEvents();
    EXPECT_FALSE(notes() || reports());
    EXPECT_EQ(controller->gameMemoPresenter().popover(), open);
}

TEST(OverlayPanelsOnX11, PopoversOnASmallScreenWithOpenbox)
{
    if (runsOnXcb()) {
        GTEST_SKIP() << "this is the child";
    }
    XvfbSession::Options options;
    options.width = 960;
    options.height = 540;
    XvfbSession session(options);
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    const ChildTestRun run = runTestsOnXcb(session, QStringLiteral("OverlayPopoversOnXcb.*"));
    std::cout << run.output.toStdString() << std::endl;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << "the child ran no tests";
}

TEST_F(OverlayPopoversOnXcb, StayInsideTheFreeAreaWholeWhereTheyFitElseShortened)
{
    const GameMemoContext context = *GameMemoContext::make(target, QStringLiteral("Harbour Tales"));
    controller->setGameMemoContextProvider([&context] { return std::optional<GameMemoContext>(context); });
    showReady();
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
    const auto onScreen = [scale](const QRect &rect) { return QRect(rect.topLeft() * scale, rect.size() * scale); };
    for (const ClientLanguage language : {ClientLanguage::english, ClientLanguage::japanese, ClientLanguage::korean}) {
        setCurrentClientLanguage(language);
        // The strip near the bottom, near the top, and in the middle of a screen too low for
        // either side to hold the note whole.
        for (const int top : {work.bottom() - 60, work.top() + 180, work.center().y() - 39, work.center().y()}) {
            const QRect panel(work.left() + 40, top + 48 - 220, 720, 220);
            controller->layoutController().setPanelFrame(
                QScreenDisplayGeometryProvider().screenSpace().fromGlobal(QRectF(panel)));
            controller->layoutController().placeControlStrip();
            const QRect strip = stripFor(panel);
            ASSERT_TRUE(waitUntil([&] { return stripOnScreen() == onScreen(strip); }));
            Q_EMIT controller->controlView()->gameNoteClicked(controller->controlView()->gameNoteHandle());
            OverlayPopover *note = controller->gameMemoPresenter().popover();
            ASSERT_TRUE(note != nullptr && waitUntil([&] { return probe->isViewable(nativeWindow(note)); }));
            // Above the strip when it fits there whole, else below when it fits there, else on the
            // side with more room, as tall as that room.
            const int above = strip.top() - OverlayPopover::gap - work.top();
            const int below = work.bottom() - strip.bottom() - OverlayPopover::gap;
            const bool up = 282 <= above || (282 > below && above > below);
            const int height = std::min(282, up ? above : below);
            const QRect expected(note->x(),
                up ? strip.top() - OverlayPopover::gap - height : strip.bottom() + 1 + OverlayPopover::gap, 362,
                height);
            EXPECT_EQ(probe->geometry(nativeWindow(note)), onScreen(expected)) << top;
            EXPECT_TRUE(work.contains(expected)) << top;
            // Its text box gives way: the status line shows whole.
            const QList<QLabel *> labels = note->findChildren<QLabel *>();
            EXPECT_TRUE(std::any_of(labels.cbegin(), labels.cend(), [&](const QLabel *label) {
                return label->text() == localizedString("Changes are saved automatically.") && label->isVisible()
                    && note->rect().contains(QRect(label->mapTo(note, QPoint()), label->size()));
            })) << top;
            saveScreenshot(*note, QStringLiteral("note-popover-%1-%2.png").arg(top).arg(rawValue(language)));
            controller->gameMemoPresenter().close();
        }
    }
    setCurrentClientLanguage(ClientLanguage::english);
}
