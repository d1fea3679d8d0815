// Test label: ui
// Where the overlay opens and how it is moved and resized: the placement arithmetic, the
// choice of display on one and on two displays, gestures on a real widget, the strip in
// the corner, what is stored at the end of a gesture and how store failures are logged.
#include "overlay/layout/OverlayLayoutController.h"
#include "foundation/errors/Error.h"
#include "overlay/layout/InMemoryOverlayLayoutStore.h"
#include "overlay/layout/OverlayLayoutGeometry.h"
#include "overlay/layout/QScreenDisplayGeometryProvider.h"
#include "support/LogRecorder.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

using namespace veyra;

namespace {

// Displays given by the test: the main display's bottom edge is at y 900 of Qt's space.
class FixedDisplays : public DisplayGeometryProviding
{
public:
    QVector<DisplayGeometry> allDisplays() const override { return displays; }
    std::optional<QRectF> mainVisibleFrame() const override { return mainVisible; }
    ScreenSpace screenSpace() const override { return ScreenSpace(900); }

    QVector<DisplayGeometry> displays;
    std::optional<QRectF> mainVisible;
};

class FailingStore : public OverlayLayoutStoring
{
public:
    std::optional<OverlayLayout> layout(const GameWindowProfileKey &) override
    {
        throw Error(QStringLiteral("broken"));
    }
    void save(const OverlayLayout &, const GameWindowProfileKey &) override { throw Error(QStringLiteral("full")); }
};

// A 1440 x 900 main display with 25 points of panel along its top.
const DisplayGeometry mainDisplay{{0, 0, 1440, 900}, {0, 0, 1440, 900}, {0, 0, 1440, 875}};
// A 1920 x 1080 display to the right of it, top edges aligned.
const DisplayGeometry rightDisplay{{1440, 0, 1920, 1080}, {1440, -180, 1920, 1080}, {1440, -180, 1920, 1080}};

// A game window; without a bundle identifier (and no executable) it has no profile key.
CaptureTarget game(const QRectF &frame, const QString &title = QStringLiteral("Game"),
    std::optional<QString> bundleIdentifier = QStringLiteral("com.example.game"))
{
    CaptureTarget target;
    target.windowID = 7;
    target.processID = 70;
    target.bundleIdentifier = std::move(bundleIdentifier);
    target.applicationName = QStringLiteral("Example");
    target.windowTitle = title;
    target.frame = frame;
    return target;
}

class OverlayLayoutControllerTest : public ::testing::Test
{
protected:
    OverlayLayoutControllerTest()
    {
        displays->displays = {mainDisplay};
        controller.setPanel(&panel);
        controller.setControlPanel(&strip);
    }

    std::shared_ptr<FixedDisplays> displays = std::make_shared<FixedDisplays>();
    std::shared_ptr<InMemoryOverlayLayoutStore> store = std::make_shared<InMemoryOverlayLayoutStore>();
    OverlayLayoutController controller{store, displays};
    QWidget panel;
    QWidget strip;
};

} // namespace

TEST(OverlayLayoutGeometry, LayoutsFramesAndClamping)
{
    const QRectF visible(0, 25, 1440, 875);
    EXPECT_EQ(frameFromLayout({1.0, 0.5, 320, 220}, visible, minimumOverlayPanelSize), QRectF(1120, 352.5, 320, 220));
    // Too wide: the visible frame's width at its left edge, which saves as 0 and its width.
    const QRectF wide = frameFromLayout({0.6, 0, 5000, 100}, visible, minimumOverlayPanelSize);
    EXPECT_EQ(wide, QRectF(0, 25, 1440, 120));
    EXPECT_EQ(layoutFromFrame(wide, visible), (OverlayLayout{0, 0, 1440, 120}));
    EXPECT_EQ(layoutFromFrame(QRectF(300, 25, 1440, 200), visible).normalizedX, 0);
    // Fractions outside 0-1 or not a number.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(frameFromLayout({-3, nan, 400, 200}, visible, minimumOverlayPanelSize), QRectF(0, 25, 400, 200));
    EXPECT_EQ(frameFromLayout({7, 2, 400, 200}, visible, minimumOverlayPanelSize), QRectF(1040, 700, 400, 200));
    EXPECT_EQ(layoutFromFrame(QRectF(2000, -50, 400, 200), visible), (OverlayLayout{1, 0, 400, 200}));
    EXPECT_EQ(layoutFromFrame(QRectF(520, 362.5, 400, 200), visible), (OverlayLayout{0.5, 0.5, 400, 200}));

    // A visible frame smaller than the minimum size wins over it.
    const QRectF tiny(10, 10, 300, 100);
    EXPECT_EQ(frameFromLayout({0.5, 0.5, 720, 220}, tiny, minimumOverlayPanelSize), tiny);
    EXPECT_EQ(clampFrame(QRectF(-500, 900, 720, 220), tiny), tiny);
    // Clamping moves as little as possible and raises the size to the minimum.
    EXPECT_EQ(clampFrame(QRectF(1300, -40, 100, 50), visible), QRectF(1120, 25, 320, 120));
    EXPECT_EQ(clampFrame(QRectF(100, 100, nan, nan), visible), QRectF(100, 100, 320, 120));
    EXPECT_EQ(controlStripFrame(QRectF(100, 200, 720, 220)), QRectF(654, 210, 156, 38));
}

TEST(OverlayLayoutGeometry, TheDisplayWithTheLargestOverlapFirstOnATie)
{
    const QVector<DisplayGeometry> both{mainDisplay, rightDisplay};
    EXPECT_EQ(displayGeometry(QRectF(1200, 100, 800, 600), both), rightDisplay);
    EXPECT_EQ(displayGeometry(QRectF(1340, 100, 200, 600), both), mainDisplay);
    EXPECT_EQ(displayGeometry(QRectF(1340, 100, 200, 600), {rightDisplay, mainDisplay}), rightDisplay);
    EXPECT_EQ(displayGeometry(QRectF(-5000, -5000, 100, 100), {rightDisplay, mainDisplay}), rightDisplay);
    EXPECT_EQ(displayGeometry(QRectF(0, 0, 100, 100), {}), std::nullopt);
}

TEST_F(OverlayLayoutControllerTest, InitialFrameFromTheStoredLayoutOrCentredOnTheGame)
{
    // Centred on the game window, 720 x 220.
    EXPECT_EQ(controller.initialFrame(game(QRectF(100, 200, 800, 600))), QRectF(140, 290, 720, 220));
    // Near the screen's corner it is pushed inside the visible frame.
    EXPECT_EQ(controller.initialFrame(game(QRectF(-300, -300, 400, 400))), QRectF(0, 655, 720, 220));

    // On two displays: the one with most of the window, in its own screen space.
    displays->displays = {mainDisplay, rightDisplay};
    EXPECT_EQ(controller.initialFrame(game(QRectF(1300, 100, 1000, 600))), QRectF(1440, 390, 720, 220));
    // A stored layout is applied on the display with most of the window.
    store->save({1.0, 0.5, 320, 220}, *game({}).profileKey());
    EXPECT_EQ(controller.initialFrame(game(QRectF(100, 100, 800, 600))), QRectF(1120, 327.5, 320, 220));
    EXPECT_EQ(controller.initialFrame(game(QRectF(1500, 100, 800, 600))), QRectF(3040, 250, 320, 220));

    // A window without a key gets the default frame, and no displays at all the origin.
    const CaptureTarget anonymous = game(QRectF(100, 200, 800, 600), QStringLiteral("Game"), std::nullopt);
    displays->displays = {mainDisplay};
    EXPECT_EQ(controller.initialFrame(anonymous), QRectF(140, 290, 720, 220));
    displays->displays.clear();
    EXPECT_EQ(controller.initialFrame(game(QRectF(100, 200, 800, 600))), QRectF(0, 0, 720, 220));
}

TEST_F(OverlayLayoutControllerTest, FramesAreMirroredIntoQtsSpaceOnlyAtTheWidget)
{
    controller.setPanelFrame(QRectF(140, 290, 720, 220));
    EXPECT_EQ(panel.geometry(), QRect(140, 390, 720, 220));
    EXPECT_EQ(controller.panelFrame(), QRectF(140, 290, 720, 220));
    controller.placeControlStrip();
    EXPECT_EQ(strip.geometry(), QRect(694, 562, 156, 38));
    EXPECT_EQ(controller.screenLocation(QPointF(10, 100)), QPointF(10, 800));
}

TEST_F(OverlayLayoutControllerTest, MovingFollowsThePointerAndEndsInsideTheScreen)
{
    controller.setTarget(game(QRectF(100, 200, 800, 600)));
    controller.setPanelFrame(QRectF(100, 100, 400, 200));
    // A step before a begin does nothing.
    controller.move(QPointF(900, 900));
    EXPECT_EQ(controller.panelFrame(), QRectF(100, 100, 400, 200));

    controller.beginMove(QPointF(480, 120));
    controller.move(QPointF(500, 150));
    EXPECT_EQ(controller.panelFrame(), QRectF(120, 130, 400, 200));
    EXPECT_EQ(strip.geometry().topLeft(), QPoint(120 + 400 - 166, 900 - 130 - 10 - 38));
    // Half off the right edge while dragging: not clamped yet.
    controller.move(QPointF(1600, 150));
    EXPECT_EQ(controller.panelFrame(), QRectF(1220, 130, 400, 200));
    EXPECT_TRUE(store->layouts().isEmpty());
    controller.finishMove();
    EXPECT_EQ(controller.panelFrame(), QRectF(1040, 130, 400, 200));
    EXPECT_FALSE(controller.moveStartFrame());
    EXPECT_FALSE(controller.moveStartMouseLocation());
    const OverlayLayout saved = store->layouts().value(*game({}).profileKey());
    EXPECT_EQ(saved.normalizedX, 1);
    EXPECT_DOUBLE_EQ(saved.normalizedY, 130.0 / 675.0);
    EXPECT_EQ(saved.width, 400);
}

TEST_F(OverlayLayoutControllerTest, APanelOnTwoDisplaysEndsOnTheFirstOfEqualOverlaps)
{
    controller.setTarget(game(QRectF(100, 200, 800, 600)));
    // Half on the main display, half on the one to its right.
    const QRectF straddling(1240, 100, 400, 200);
    displays->displays = {mainDisplay, rightDisplay};
    controller.setPanelFrame(straddling);
    controller.finishMove();
    EXPECT_EQ(controller.panelFrame(), QRectF(1040, 100, 400, 200));
    EXPECT_EQ(store->layouts().value(*game({}).profileKey()).normalizedX, 1);

    displays->displays = {rightDisplay, mainDisplay};
    controller.setPanelFrame(straddling);
    controller.finishMove();
    EXPECT_EQ(controller.panelFrame(), QRectF(1440, 100, 400, 200));
    EXPECT_EQ(store->layouts().value(*game({}).profileKey()).normalizedX, 0);
}

TEST_F(OverlayLayoutControllerTest, ResizingKeepsTheTopLeftCornerAndTheMinimumSize)
{
    controller.setTarget(game(QRectF(100, 200, 800, 600)));
    controller.setPanelFrame(QRectF(200, 300, 500, 300));
    controller.beginResize(QPointF(700, 300));
    // Right and down grow the panel; the top edge (y 600) stays.
    controller.resize(QPointF(760, 250));
    EXPECT_EQ(controller.panelFrame(), QRectF(200, 250, 560, 350));
    EXPECT_EQ(strip.geometry(), QRect(200 + 560 - 166, 900 - 250 - 10 - 38, 156, 38));
    // Far up and left stops at the minimum, the top-left corner fixed.
    controller.resize(QPointF(-5000, 5000));
    EXPECT_EQ(controller.panelFrame(), QRectF(200, 480, 320, 120));
    controller.finishResize();
    EXPECT_FALSE(controller.resizeStartFrame());
    EXPECT_EQ(store->layouts().value(*game({}).profileKey()).width, 320);
}

TEST_F(OverlayLayoutControllerTest, StoreFailuresAreLoggedAndTheOverlayGoesOn)
{
    test::LogRecorder log(QStringLiteral(".OverlayLayout"));
    OverlayLayoutController failing(std::make_shared<FailingStore>(), displays);
    failing.setPanel(&panel);
    EXPECT_EQ(failing.initialFrame(game(QRectF(100, 200, 800, 600))), QRectF(140, 290, 720, 220));
    EXPECT_EQ(log.messages(), QStringList{QStringLiteral("Veyra couldn't load the overlay layout: broken")});

    failing.setTarget(game(QRectF(100, 200, 800, 600)));
    failing.setPanelFrame(QRectF(100, 100, 400, 200));
    // A finish without a begin still clamps and saves.
    failing.finishMove();
    EXPECT_EQ(log.messages().value(1), QStringLiteral("Veyra couldn't save the overlay layout: full"));

    // Without a key, or without any screen, nothing is saved and nothing logged.
    log.clear();
    const CaptureTarget anonymous = game(QRectF(100, 200, 800, 600), QStringLiteral("Game"), std::nullopt);
    failing.setTarget(anonymous);
    failing.finishResize();
    displays->displays.clear();
    failing.setTarget(game(QRectF(100, 200, 800, 600)));
    failing.setPanelFrame(QRectF(-900, 100, 400, 200));
    failing.finishMove();
    EXPECT_TRUE(log.messages().isEmpty());
    EXPECT_EQ(failing.panelFrame(), QRectF(-900, 100, 400, 200));
}

TEST(QScreenDisplayGeometryProvider, DescribesQtsScreensInBothSpaces)
{
    QScreenDisplayGeometryProvider provider;
    const QList<QScreen *> screens = QGuiApplication::screens();
    const QVector<DisplayGeometry> displays = provider.allDisplays();
    ASSERT_EQ(displays.size(), screens.size());
    ASSERT_FALSE(displays.isEmpty());
    const QRect main = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(provider.screenSpace().mainDisplayBottom(), main.y() + main.height());
    EXPECT_EQ(displays.front().displayBounds.topLeft(), QPointF(main.topLeft()));
    // The main display's bottom-left corner is the origin of screen space.
    EXPECT_EQ(displays.front().screenFrame, QRectF(main.x(), 0, main.width(), main.height()));
    EXPECT_EQ(provider.mainVisibleFrame(), displays.front().visibleFrame);
    EXPECT_EQ(provider.screenSpace().toGlobal(displays.front().screenFrame), QRectF(main));
}
