// Test label: unit
#include "capture/windows/SnapshotPixelSize.h"

#include <gtest/gtest.h>

#include <limits>

using veyra::snapshotPixelSize;

TEST(SnapshotPixelSize, ScalesAndRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(snapshotPixelSize(QSizeF(640.25, 360.5), 2.0), QSize(1281, 721));
    EXPECT_EQ(snapshotPixelSize(QSizeF(1280, 720), 1.0), QSize(1280, 720));
    EXPECT_EQ(snapshotPixelSize(QSizeF(100.4, 100.5), 1.0), QSize(100, 101));
}

TEST(SnapshotPixelSize, ScaleIsAtLeastOneAndSidesAtLeastOnePixel)
{
    EXPECT_EQ(snapshotPixelSize(QSizeF(640, 360), 0.5), QSize(640, 360));
    EXPECT_EQ(snapshotPixelSize(QSizeF(640, 360), 0.0), QSize(640, 360));
    EXPECT_EQ(snapshotPixelSize(QSizeF(640, 360), std::numeric_limits<double>::quiet_NaN()), QSize(640, 360));
    EXPECT_EQ(snapshotPixelSize(QSizeF(0.4, 0.2), 1.0), QSize(1, 1));
    EXPECT_EQ(snapshotPixelSize(QSizeF(0, 300), 2.0), QSize(1, 600));
    EXPECT_EQ(snapshotPixelSize(QSizeF(-5, std::numeric_limits<double>::quiet_NaN()), 1.0), QSize(1, 1));
    EXPECT_EQ(snapshotPixelSize(QSizeF(1e300, 10), 1.0), QSize(std::numeric_limits<int>::max(), 10));
}
