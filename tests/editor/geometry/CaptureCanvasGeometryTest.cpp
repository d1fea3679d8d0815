// Test label: unit
#include "capture/areas/CaptureAreaEditorRules.h"
#include "editor/geometry/CaptureCanvasTransform.h"
#include "editor/geometry/CaptureRegionGestures.h"

#include <gtest/gtest.h>

using namespace veyra;

namespace {
// A 2000 x 1000 snapshot in a 1000 x 1000 canvas: scale 0.5, the image at 0, 250.
const CaptureCanvasTransform wideImage{QSizeF(2000, 1000), QSizeF(1000, 1000)};
const CaptureRegion wholeImage{0, 0, 2000, 1000};
const CaptureRegion area{100, 100, 200, 50};

CaptureRegion resizedBy(CaptureAreaResizeHandle handle, QPointF pixels)
{
    const QPointF start(60, 310);
    return resizedRegion(handle, {area, start}, start + pixels * wideImage.scale(), wideImage.scale(), wholeImage);
}
} // namespace

TEST(CaptureCanvasGeometry, TransformFitsAndCentresTheSnapshot)
{
    EXPECT_DOUBLE_EQ(wideImage.scale(), 0.5);
    EXPECT_EQ(wideImage.fittedImageRect(), QRectF(0, 250, 1000, 500));
    EXPECT_EQ(wideImage.viewRect(area), QRectF(50, 300, 100, 25));
    EXPECT_FALSE(wideImage.pixelPoint({500, 200})); // above the image
    EXPECT_EQ(wideImage.pixelPoint({500, 250}), QPointF(1000, 0));
    // The left and top edges belong to the image, the right and bottom ones do not.
    EXPECT_EQ(wideImage.pixelPoint({0, 250}), QPointF(0, 0));
    EXPECT_FALSE(wideImage.pixelPoint({1000, 500}));
    EXPECT_FALSE(wideImage.pixelPoint({500, 750}));
    EXPECT_EQ(wideImage.pixelPoint({999.5, 749.5}), QPointF(1999, 999));

    // An empty source: scale 1, an empty image in the middle, never a pixel.
    const CaptureCanvasTransform empty{QSizeF(0, 0), QSizeF(400, 300)};
    EXPECT_DOUBLE_EQ(empty.scale(), 1.0);
    EXPECT_EQ(empty.fittedImageRect(), QRectF(200, 150, 0, 0));
    EXPECT_FALSE(empty.pixelPoint({200, 150}));
    // An empty canvas has scale 0 and no pixel either.
    const CaptureCanvasTransform noCanvas{QSizeF(100, 100), QSizeF(0, 0)};
    EXPECT_DOUBLE_EQ(noCanvas.scale(), 0.0);
    EXPECT_FALSE(noCanvas.pixelPoint({0, 0}));
}

TEST(CaptureCanvasGeometry, MovesCountFromTheStartAndStopAtTheImageEdge)
{
    // dx = round(10.25 / 0.5) = round(20.5) = 21 (halves away from zero), dy = -6.
    EXPECT_EQ(movedRegion({area, {60, 310}}, {70.25, 307}, 0.5, wholeImage), (CaptureRegion{121, 94, 200, 50}));
    EXPECT_EQ(movedRegion({area, {60, 310}}, {49.75, 310}, 0.5, wholeImage), (CaptureRegion{79, 100, 200, 50}));
    EXPECT_EQ(
        movedRegion({{1700, 100, 200, 50}, {0, 0}}, {250, 0}, 0.5, wholeImage), (CaptureRegion{1800, 100, 200, 50}));
    // No scale, no movement (an empty canvas).
    EXPECT_EQ(movedRegion({area, {0, 0}}, {50, 50}, 0.0, wholeImage), area);
    EXPECT_EQ(roundedPixel(-2.5), -3);
    EXPECT_EQ(roundedPixel(2.5), 3);
    EXPECT_EQ(roundedPixel(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(CaptureCanvasGeometry, HandlesMoveOnlyTheirSidesAndKeepFourPixels)
{
    using H = CaptureAreaResizeHandle;
    EXPECT_EQ(resizedBy(H::left, {400, 0}), (CaptureRegion{296, 100, 4, 50}));
    EXPECT_EQ(resizedBy(H::bottomRight, {5000, 5000}), (CaptureRegion{100, 100, 1900, 900}));
    EXPECT_EQ(resizedBy(H::top, {0, -500}), (CaptureRegion{100, 0, 200, 150}));
    // top and bottom ignore dx, left and right ignore dy.
    EXPECT_EQ(resizedBy(H::top, {80, -20}), (CaptureRegion{100, 80, 200, 70}));
    EXPECT_EQ(resizedBy(H::right, {-30, 90}), (CaptureRegion{100, 100, 170, 50}));
    EXPECT_EQ(resizedBy(H::topLeft, {-500, 60}), (CaptureRegion{0, 146, 300, 4}));
    EXPECT_EQ(resizedBy(H::bottomLeft, {20, 20}), (CaptureRegion{120, 100, 180, 70}));
    EXPECT_EQ(resizedBy(H::topRight, {-250, -10}), (CaptureRegion{100, 90, 4, 60}));
    EXPECT_EQ(resizedBy(H::bottom, {0, -100}), (CaptureRegion{100, 100, 200, 4}));

    ASSERT_EQ(allCaptureAreaResizeHandles.size(), 8u);
    EXPECT_EQ(allCaptureAreaResizeHandles.front(), H::topLeft);
    EXPECT_EQ(allCaptureAreaResizeHandles.back(), H::left);
    EXPECT_EQ(resizeHandleCenter(H::right, {100, 25}), QPointF(100, 12.5));
    EXPECT_EQ(resizeHandleCenter(H::bottom, {100, 25}), QPointF(50, 25));
}

TEST(CaptureCanvasGeometry, NameTagSitsAboveTheAreaAndInsideTheCanvas)
{
    EXPECT_EQ(captureRegionTagCenter({0, 100, 40, 20}).x(), 24);
    EXPECT_EQ(captureRegionTagCenter({0, 100, 100, 20}).x(), 50);
    EXPECT_EQ(captureRegionTagCenter({0, 100, 300, 20}).x(), 62);
    EXPECT_EQ(captureRegionTagCenter({0, 100, 300, 20}).y(), -9);
    EXPECT_EQ(captureRegionTagCenter({0, 5, 300, 20}).y(), 4);
}

TEST(CaptureCanvasGeometry, NewAreasAreCentredAndAtLeastFourPixels)
{
    const auto regionFor = [](std::int64_t w, std::int64_t h) {
        return CaptureAreaDraft::centeredDefault(QStringLiteral("box_1"), w, h).searchRegion;
    };
    EXPECT_EQ(regionFor(1000, 600), (CaptureRegion{300, 240, 400, 120}));
    EXPECT_EQ(regionFor(7, 7), (CaptureRegion{1, 1, 4, 4}));
    EXPECT_EQ(regionFor(3, 3), (CaptureRegion{0, 0, 3, 3}));
    const CaptureAreaDraft draft = CaptureAreaDraft::centeredDefault(QStringLiteral("box_9"), 1000, 600);
    EXPECT_EQ(draft.id, QStringLiteral("box_9"));
    EXPECT_FALSE(draft.backgroundPattern);
    EXPECT_FALSE(draft.backgroundSampleCoverage);
}
