// Test label: x11
// Snapshots of real windows of the test game program on a private X server with openbox:
// the window's own pixels, exactly, also where another window covers it.
#include "capture/x11/XcbWindowSnapshotter.h"
#include "capture/windows/WindowSnapshotCapturing.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/XvfbTest.h"

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::runTask;
using veyra::test::TestGameWindow;
using veyra::test::XvfbSession;

namespace {

class XcbWindowSnapshotterTest : public veyra::test::XvfbTest
{
protected:
    static CaptureTarget targetOf(const TestGameWindow &game)
    {
        CaptureTarget target;
        target.windowID = game.windowID();
        target.processID = game.processID();
        return target;
    }

    static std::optional<WindowSnapshotError::Kind> failureOf(XcbWindowSnapshotter &snapshotter, CaptureTarget target)
    {
        try {
            runTask(snapshotter.capture(target));
        } catch (const WindowSnapshotError &error) {
            return error.kind();
        }
        return std::nullopt;
    }

    // The number of pixels in which two images differ (all of them when the sizes differ).
    static qint64 differingPixels(const QImage &actual, const QImage &expected)
    {
        if (actual.size() != expected.size()) {
            return qint64(expected.width()) * expected.height();
        }
        qint64 differing = 0;
        for (int y = 0; y < expected.height(); ++y) {
            const auto *a = reinterpret_cast<const QRgb *>(actual.constScanLine(y));
            const auto *b = reinterpret_cast<const QRgb *>(expected.constScanLine(y));
            for (int x = 0; x < expected.width(); ++x) {
                differing += a[x] != b[x] ? 1 : 0;
            }
        }
        return differing;
    }
};

TestGameWindow::Options gameAt(QPoint position, QSize size, const QString &text, QColor box)
{
    TestGameWindow::Options options;
    options.position = position;
    options.size = size;
    options.text = text;
    options.boxColor = box;
    return options;
}

} // namespace

TEST_F(XcbWindowSnapshotterTest, ReturnsTheWindowsOwnPixelsAlsoWhereAnotherWindowCoversIt)
{
    TestGameWindow game(
        session(), gameAt({100, 100}, {960, 540}, QStringLiteral("こんにちは、旅の人。"), QColor(0x1e, 0x2a, 0x44)));
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    // Opened later, so it lies above the game and covers part of it.
    TestGameWindow cover(session(), gameAt({500, 350}, {400, 300}, QStringLiteral("Cover"), QColor(0xff, 0, 0)));
    ASSERT_TRUE(cover.isRunning()) << cover.errorString().toStdString();
    ASSERT_TRUE(cover.raise());

    XcbWindowSnapshotter snapshotter(session().display());
    const QImage expected = game.picture();
    ASSERT_FALSE(expected.isNull());
    const CapturedWindowSnapshot first = runTask(snapshotter.capture(targetOf(game)));
    EXPECT_EQ(first.image.format(), QImage::Format_RGB32);
    EXPECT_EQ(first.image.size(), QSize(960, 540));
    EXPECT_EQ(differingPixels(first.image, expected), 0);
    EXPECT_FALSE(first.image.hasAlphaChannel());

    // Later snapshots follow what the game draws.
    ASSERT_TRUE(game.setText(QStringLiteral("안녕하세요, 여행자님.")));
    const QImage changed = game.picture();
    ASSERT_NE(differingPixels(changed, expected), 0);
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(targetOf(game))).image, changed), 0);

    // Switching to another window and back keeps both exact.
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(targetOf(cover))).image, cover.picture()), 0);
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(targetOf(game))).image, changed), 0);
}

TEST_F(XcbWindowSnapshotterTest, ReadsThePartOfAWindowOutsideTheScreen)
{
    // The screen is 1920 x 1080: a third of this window lies beyond its right edge.
    TestGameWindow game(session(), gameAt({1600, 200}, {480, 360}, QStringLiteral("Edge"), QColor(0x20, 0x60, 0x30)));
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    XcbWindowSnapshotter snapshotter(session().display());
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(targetOf(game))).image, game.picture()), 0);
}

TEST_F(XcbWindowSnapshotterTest, TellsAGoneWindowFromOneThatCannotBeCapturedNow)
{
    TestGameWindow game(session(), gameAt({60, 60}, {640, 360}, QStringLiteral("Hello"), QColor(0x30, 0x30, 0x80)));
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    XcbWindowSnapshotter snapshotter(session().display());
    const CaptureTarget target = targetOf(game);
    ASSERT_EQ(failureOf(snapshotter, target), std::nullopt);

    // The number now names a window of another process.
    CaptureTarget otherProcess = target;
    otherProcess.processID += 1;
    EXPECT_EQ(failureOf(snapshotter, otherProcess), WindowSnapshotError::Kind::targetUnavailable);

    ASSERT_TRUE(game.minimize());
    EXPECT_EQ(failureOf(snapshotter, target), WindowSnapshotError::Kind::captureFailed);
    ASSERT_TRUE(game.show());
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(target)).image, game.picture()), 0);
    ASSERT_TRUE(game.hide());
    EXPECT_EQ(failureOf(snapshotter, target), WindowSnapshotError::Kind::captureFailed);
    ASSERT_TRUE(game.show());
    EXPECT_EQ(failureOf(snapshotter, target), std::nullopt);

    game.close();
    EXPECT_EQ(failureOf(snapshotter, target), WindowSnapshotError::Kind::targetUnavailable);
    try {
        runTask(snapshotter.capture(target));
    } catch (const WindowSnapshotError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("The selected window is no longer available."));
    }
}

TEST(XcbWindowSnapshotterWithoutServer, FailsToCapture)
{
    XcbWindowSnapshotter snapshotter(QStringLiteral(":4095"));
    CaptureTarget target;
    target.windowID = 1;
    target.processID = 1;
    try {
        runTask(snapshotter.capture(target));
        FAIL() << "captured without an X server";
    } catch (const WindowSnapshotError &error) {
        EXPECT_EQ(error.kind(), WindowSnapshotError::Kind::captureFailed);
    }
}
