// Test label: unit
#include "capture/recognition/DialogueBoxEdges.h"
#include "capture/recognition/DialogueSearchRegionDetector.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace veyra;

namespace {
const DialogueBackgroundPattern boxPattern{30, 42, 68};
const QRgb boxColour = qRgb(30, 42, 68);
const QRgb white = qRgb(255, 255, 255);
} // namespace

TEST(DialogueBoxEdges, TheBandFollowsTheDetectorsPadding)
{
    // Up to 320 pixels wide the working image is the image: 2 + 1 working pixels, plus one.
    EXPECT_EQ(DialogueSearchRegionDetector::edgeBand(QSize(200, 100)), QSize(4, 4));
    // 1800 x 191 works at 320 x 34: factors 5.625 and 5.62, so ceil(3 x 5.6...) + 1 = 18.
    EXPECT_EQ(DialogueSearchRegionDetector::workingSize(QSize(1800, 191)), QSize(320, 34));
    EXPECT_EQ(DialogueSearchRegionDetector::edgeBand(QSize(1800, 191)), QSize(18, 18));
    EXPECT_EQ(DialogueSearchRegionDetector::edgeBand(QSize(0, 0)), QSize(4, 4));
}

TEST(DialogueBoxEdges, PaintsOverTheSceneAtTheEdgesAndNothingInside)
{
    // A box with a strip of scene on its left, a text stroke inside, a stroke that runs
    // from the top edge deep into the box, and a lone bright pixel inside the band that is
    // not connected to the border.
    QImage image(120, 60, QImage::Format_RGB32);
    image.fill(boxColour);
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, 6, 60), QColor(200, 120, 40));
    painter.fillRect(QRect(40, 20, 20, 20), Qt::white);
    painter.fillRect(QRect(80, 0, 3, 50), Qt::white);
    painter.end();
    image.setPixel(20, 2, white);

    const QImage cleaned = clearingEdgeScenery(image, boxPattern, QSize(8, 8));
    ASSERT_EQ(cleaned.size(), image.size());
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 6; ++x) {
            ASSERT_EQ(cleaned.pixel(x, y), boxColour) << x << "," << y;
        }
    }
    EXPECT_EQ(cleaned.pixel(50, 30), white);
    // Only the band's part of the long stroke is painted over.
    EXPECT_EQ(cleaned.pixel(81, 0), boxColour);
    EXPECT_EQ(cleaned.pixel(81, 7), boxColour);
    EXPECT_EQ(cleaned.pixel(81, 8), white);
    EXPECT_EQ(cleaned.pixel(81, 49), white);
    // Not connected to the border: left alone.
    EXPECT_EQ(cleaned.pixel(20, 2), white);

    // A translucent box whose background nowhere matches: only the band changes.
    QImage translucent(120, 60, QImage::Format_ARGB32);
    translucent.fill(qRgb(90, 110, 140));
    translucent.setPixel(60, 30, white);
    const QImage cleanedTranslucent = clearingEdgeScenery(translucent, boxPattern, QSize(8, 8));
    EXPECT_EQ(cleanedTranslucent.pixel(0, 0), boxColour);
    EXPECT_EQ(cleanedTranslucent.pixel(7, 30), boxColour);
    EXPECT_EQ(cleanedTranslucent.pixel(8, 30), qRgb(90, 110, 140));
    EXPECT_EQ(cleanedTranslucent.pixel(60, 30), white);

    // Nothing to do for an empty image or an empty band.
    EXPECT_TRUE(clearingEdgeScenery(QImage(), boxPattern, QSize(8, 8)).isNull());
    EXPECT_EQ(clearingEdgeScenery(image, boxPattern, QSize(0, 0)).pixel(0, 0), qRgb(200, 120, 40));
    // A band wider than the image covers it all: the whole stroke from the edge goes, the
    // enclosed text stays.
    const QImage everywhere = clearingEdgeScenery(image, boxPattern, QSize(500, 500));
    EXPECT_EQ(everywhere.pixel(81, 49), boxColour);
    EXPECT_EQ(everywhere.pixel(50, 30), white);
}
