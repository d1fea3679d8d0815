// Test label: ui
#include "editor/canvas/CaptureAreaCanvas.h"
#include "capture/areas/InMemoryCaptureAreaStore.h"
#include "editor/eyedropper/BackgroundPickerInstruction.h"
#include "editor/eyedropper/BackgroundPickerInteractionRegion.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "support/ExampleGameTarget.h"
#include "support/FakeWindowSnapshotter.h"
#include "support/RunTask.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::exampleGameTarget;
using veyra::test::FakeWindowSnapshotter;
using veyra::test::runTask;

namespace {

const QString first = QStringLiteral("box_1");
const QString second = QStringLiteral("box_2");

// A 2000 x 1000 snapshot in a 1000 x 1000 canvas: scale 0.5, the image at 0, 250.
class CaptureAreaCanvasTest : public ::testing::Test
{
protected:
    CaptureAreaCanvasTest()
        : snapshotter(std::make_shared<FakeWindowSnapshotter>())
        , model(snapshotter, std::make_shared<InMemoryCaptureAreaStore>())
    {
        QImage image(2000, 1000, QImage::Format_RGB32);
        image.fill(QColor(120, 120, 120));
        snapshotter->setImage(image);
    }

    void SetUp() override
    {
        runTask(model.load(exampleGameTarget(), false));
        model.addArea();
        model.updateRegion({100, 100, 200, 50}, first);
        model.select(std::nullopt);
        canvas = std::make_unique<CaptureAreaCanvas>(model);
        canvas->resize(1000, 1000);
        canvas->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(canvas.get()));
        ASSERT_EQ(canvas->size(), QSize(1000, 1000));
    }

    CaptureRegion regionOf(const QString &id) const
    {
        for (const CaptureAreaDraft &draft : model.areas()) {
            if (draft.id == id) {
                return draft.searchRegion;
            }
        }
        return {};
    }

    // Presses go to the window, so that the canvas's own hit order decides.
    QWindow *window() const { return canvas->windowHandle(); }
    void press(QPoint at) { QTest::mousePress(window(), Qt::LeftButton, {}, at); }
    void moveTo(QPoint at) { QTest::mouseMove(window(), at); }
    void release(QPoint at) { QTest::mouseRelease(window(), Qt::LeftButton, {}, at); }
    void click(QPoint at)
    {
        press(at);
        release(at);
    }

    std::shared_ptr<FakeWindowSnapshotter> snapshotter;
    CaptureAreaEditorModel model;
    std::unique_ptr<CaptureAreaCanvas> canvas;
};

} // namespace

TEST_F(CaptureAreaCanvasTest, DraggingTheBodySelectsFirstAndMovesFromThePressPoint)
{
    ASSERT_EQ(canvas->overlays().size(), 1);
    CaptureRegionOverlay &overlay = *canvas->overlays()[0];
    EXPECT_EQ(overlay.objectName(), QStringLiteral("capture-search-area-box_1"));
    EXPECT_EQ(overlay.accessibleName(), QStringLiteral("Dialogue Search box_1"));
    EXPECT_EQ(overlay.viewRect(), QRectF(50, 300, 100, 25));

    press({60, 310});
    EXPECT_EQ(model.selection(), first) << "pressing selects before any movement";
    EXPECT_EQ(regionOf(first), (CaptureRegion{100, 100, 200, 50}));
    ASSERT_TRUE(overlay.moveStart());
    moveTo({71, 307});
    EXPECT_EQ(regionOf(first), (CaptureRegion{122, 94, 200, 50}));
    moveTo({90, 320});
    EXPECT_EQ(regionOf(first), (CaptureRegion{160, 120, 200, 50})) << "counted from the press, not the last move";
    // Dragged far beyond the image, the area stops at its edge with its size.
    moveTo({990, 990});
    EXPECT_EQ(regionOf(first), (CaptureRegion{1800, 950, 200, 50}));
    release({990, 990});
    EXPECT_FALSE(overlay.moveStart());
    EXPECT_EQ(overlay.viewRect(), QRectF(900, 725, 100, 25)) << "the overlay follows the model";
}

TEST_F(CaptureAreaCanvasTest, AHandleDragStartsAfterTenPointsAndCountsFromThePress)
{
    model.select(first);
    // The right handle sits at 150, 312.5.
    press({150, 312});
    moveTo({155, 312});
    EXPECT_EQ(regionOf(first), (CaptureRegion{100, 100, 200, 50})) << "5 points: not yet a drag";
    moveTo({170, 312});
    EXPECT_EQ(regionOf(first), (CaptureRegion{100, 100, 240, 50}));
    moveTo({155, 312});
    EXPECT_EQ(regionOf(first), (CaptureRegion{100, 100, 210, 50}));
    release({155, 312});
    EXPECT_TRUE(canvas->overlays()[0]->resizeStarts().empty());

    // The top-left handle moves two sides; the opposite corner stays.
    press({50, 300});
    moveTo({40, 330});
    EXPECT_EQ(regionOf(first), (CaptureRegion{80, 146, 230, 4}));
    release({40, 330});
}

TEST_F(CaptureAreaCanvasTest, TheLaterAreaTakesThePressEvenOverTheSelectedAreasHandles)
{
    model.addArea();
    model.updateRegion({150, 90, 200, 50}, second);
    model.select(first);
    ASSERT_EQ(canvas->overlays().size(), 2);
    // The first area's top-right handle (150, 300) lies under the second area's body.
    press({150, 300});
    EXPECT_EQ(model.selection(), second);
    release({150, 300});
    EXPECT_EQ(regionOf(first), (CaptureRegion{100, 100, 200, 50}));
    EXPECT_EQ(regionOf(second), (CaptureRegion{150, 90, 200, 50}));

    // Where nothing covers it, the selected area's handle resizes.
    model.select(first);
    press({50, 312});
    moveTo({30, 312});
    EXPECT_EQ(regionOf(first), (CaptureRegion{60, 100, 240, 50}));
    release({30, 312});
    EXPECT_EQ(model.selection(), first);

    // The accessibility button of an area selects it.
    QAccessibleInterface *button = QAccessible::queryAccessibleInterface(canvas->overlays()[1]);
    ASSERT_TRUE(button && button->actionInterface());
    EXPECT_EQ(button->role(), QAccessible::Button);
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(model.selection(), second);
}

TEST_F(CaptureAreaCanvasTest, OnATinyAreaTheLastOfTheOverlappingHandlesTakesThePress)
{
    // 4 x 4 pixels are 2 x 2 points at 50, 300: all eight handles cover 51, 301. The last
    // of them, the left handle, lies on top and moves the left side only.
    model.updateRegion({100, 100, 4, 4}, first);
    model.select(first);
    press({51, 301});
    moveTo({31, 291});
    EXPECT_EQ(regionOf(first), (CaptureRegion{60, 100, 44, 4}));
    release({31, 291});
}

TEST_F(CaptureAreaCanvasTest, BackgroundClicksDeselectUnlessTheEyedropperHoldsTheArea)
{
    model.addArea();
    model.updateRegion({1000, 600, 200, 50}, second);
    model.select(first);
    click({900, 100});
    EXPECT_FALSE(model.selection());

    model.select(first);
    model.toggleBackgroundPicking();
    ASSERT_TRUE(model.isPickingBackground());
    click({900, 100});
    EXPECT_EQ(model.selection(), first);
    // The other area takes no input while the eyedropper is armed.
    press({550, 560});
    moveTo({600, 600});
    release({600, 600});
    EXPECT_EQ(model.selection(), first);
    EXPECT_EQ(regionOf(second), (CaptureRegion{1000, 600, 200, 50}));
}

namespace {
// The snapshot is grey with one 15 x 15 red square whose centre is pixel 120, 110.
class CaptureAreaEyedropperTest : public CaptureAreaCanvasTest
{
protected:
    void SetUp() override
    {
        QImage image(2000, 1000, QImage::Format_RGB32);
        image.fill(QColor(120, 120, 120));
        for (int y = 103; y < 118; ++y) {
            for (int x = 113; x < 128; ++x) {
                image.setPixel(x, y, qRgb(230, 20, 20));
            }
        }
        snapshotter->setImage(image);
        CaptureAreaCanvasTest::SetUp();
    }
};
} // namespace

TEST_F(CaptureAreaEyedropperTest, AClickInsideTheAreaPicksTheSnapshotPixelUnderIt)
{
    auto *region
        = canvas->findChild<BackgroundPickerInteractionRegion *>(QStringLiteral("capture-background-picker-canvas"));
    auto *instruction
        = canvas->findChild<BackgroundPickerInstruction *>(QStringLiteral("capture-background-picker-instruction"));
    ASSERT_TRUE(region && instruction);
    EXPECT_FALSE(region->isVisible());

    model.select(first);
    model.toggleBackgroundPicking();
    ASSERT_TRUE(region->isVisible());
    EXPECT_EQ(region->geometry(), QRect(50, 300, 100, 25));
    BackgroundPickerInteractionView &view = region->interactionView();
    EXPECT_TRUE(view.isActive());
    EXPECT_EQ(view.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(view.cursor().hotSpot(), QPoint(3, 20));
    // The hot spot is the eyedropper's tip: a drawn pixel, with empty space above it.
    const QImage cursorImage = view.cursor().pixmap().toImage();
    EXPECT_GT(qAlpha(cursorImage.pixel(3, 20)), 0);
    EXPECT_EQ(qAlpha(cursorImage.pixel(3, 2)), 0);

    ASSERT_TRUE(instruction->isVisible());
    EXPECT_LE(instruction->width(), 460);
    EXPECT_NEAR(instruction->geometry().center().x(), 500, 1);
    EXPECT_NEAR(instruction->geometry().center().y(), 30, 1);
    EXPECT_GE(instruction->height(), 20);

    // 10, 5 inside the area is canvas 60, 305, the snapshot pixel 120, 110.
    click({60, 305});
    EXPECT_FALSE(model.isPickingBackground());
    const CaptureAreaDraft picked = model.areas()[0];
    EXPECT_EQ(picked.backgroundPattern, (DialogueBackgroundPattern{240, 16, 16}));
    EXPECT_EQ(picked.backgroundSampleCoverage, 1.0) << "the sample lies exactly on the red square";
    EXPECT_FALSE(region->isVisible());
    EXPECT_FALSE(view.isActive());
    EXPECT_FALSE(view.testAttribute(Qt::WA_SetCursor)) << "the normal pointer is back";
    EXPECT_FALSE(instruction->isVisible());

    // A narrow canvas keeps the instruction 16 points from each side.
    canvas->setMinimumWidth(0);
    canvas->resize(300, 1000);
    model.toggleBackgroundPicking();
    EXPECT_LE(instruction->width(), 268);
    EXPECT_NEAR(instruction->geometry().center().x(), 150, 1);
}

TEST_F(CaptureAreaCanvasTest, ALargeSnapshotIsDrawnFromAPixmapOfTheShownSize)
{
    QImage large(3840, 2160, QImage::Format_RGB32);
    large.fill(QColor(10, 60, 90));
    snapshotter->setImage(large);
    runTask(model.load(exampleGameTarget(), true));
    canvas->resize(960, 540);
    canvas->repaint();
    EXPECT_EQ(canvas->snapshotCache().pixmapSize(), QSize(960, 540) * canvas->devicePixelRatioF());
    ASSERT_TRUE(veyra::test::waitUntil([this] { return canvas->snapshotCache().isSmooth(); }));
    canvas->repaint();
    EXPECT_EQ(canvas->snapshotCache().pixmapSize(), QSize(960, 540) * canvas->devicePixelRatioF());
    const QImage shown = canvas->grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(480, 270)), QColor(10, 60, 90));
}
