// Test label: x11
// Snapshots of real windows of the test game program on private X servers with openbox:
// the window's own pixels, exactly, also where another window covers it. Every snapshot
// test runs on each kind of server the reader meets (with and without MIT-SHM, 24 and 16
// bits a pixel) and both where the server converts the pixels (into our shared memory,
// or into its own pixmap read back) and where they are decoded here.
#include "capture/x11/XcbWindowSnapshotter.h"
#include "capture/windows/WindowSnapshotCapturing.h"
#include "capture/x11/X11WorkPool.h"
#include "capture/x11/XcbConnection.h"
#include "capture/x11/XcbImageReader.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/X11ServerState.h"
#include "support/XvfbSession.h"
#include "support/XvfbTest.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

using namespace veyra;
using veyra::test::isRedirected;
using veyra::test::mappedSharedMemoryBytes;
using veyra::test::runTask;
using veyra::test::TestGameWindow;
using veyra::test::XvfbSession;

namespace {

CaptureTarget targetOf(const TestGameWindow &game)
{
    CaptureTarget target;
    target.windowID = game.windowID();
    target.processID = game.processID();
    return target;
}

std::optional<WindowSnapshotError::Kind> failureOf(XcbWindowSnapshotter &snapshotter, CaptureTarget target)
{
    try {
        runTask(snapshotter.capture(target));
    } catch (const WindowSnapshotError &error) {
        return error.kind();
    }
    return std::nullopt;
}

// The number of pixels in which two images differ by more than `tolerance` in some
// channel (all of them when the sizes differ).
qint64 differingPixels(const QImage &actual, const QImage &expected, int tolerance = 0)
{
    if (actual.size() != expected.size()) {
        return qint64(expected.width()) * expected.height();
    }
    qint64 differing = 0;
    for (int y = 0; y < expected.height(); ++y) {
        const auto *a = reinterpret_cast<const QRgb *>(actual.constScanLine(y));
        const auto *b = reinterpret_cast<const QRgb *>(expected.constScanLine(y));
        for (int x = 0; x < expected.width(); ++x) {
            const bool near = std::abs(qRed(a[x]) - qRed(b[x])) <= tolerance
                && std::abs(qGreen(a[x]) - qGreen(b[x])) <= tolerance
                && std::abs(qBlue(a[x]) - qBlue(b[x])) <= tolerance && qAlpha(a[x]) == 255;
            differing += near ? 0 : 1;
        }
    }
    return differing;
}

TestGameWindow::Options gameAt(QPoint position, QSize size, const QString &text, QColor box)
{
    TestGameWindow::Options options;
    options.position = position;
    options.size = size;
    options.text = text;
    options.boxColor = box;
    return options;
}

struct Server
{
    const char *name;
    int depth;
    bool sharedMemory;
    XcbImageReader::Conversion conversion;
};

class XcbWindowSnapshotterTest : public ::testing::TestWithParam<Server>
{
protected:
    static void TearDownTestSuite() { sessions().clear(); }

    void SetUp() override
    {
        auto &session = sessions()[{GetParam().depth, GetParam().sharedMemory}];
        if (!session) {
            XvfbSession::Options options;
            options.depth = GetParam().depth;
            options.sharedMemory = GetParam().sharedMemory;
            session = std::make_unique<XvfbSession>(options);
        }
        m_session = session.get();
        ASSERT_TRUE(m_session->isRunning()) << m_session->errorString().toStdString();
    }

    XvfbSession &session() { return *m_session; }
    XcbWindowSnapshotter snapshotter() { return XcbWindowSnapshotter(m_session->display(), GetParam().conversion); }

    // A 16-bit screen keeps 5 or 6 bits a channel of what the game drew.
    static int tolerance() { return GetParam().depth == 16 ? 8 : 0; }

private:
    static std::map<std::tuple<int, bool>, std::unique_ptr<XvfbSession>> &sessions()
    {
        static std::map<std::tuple<int, bool>, std::unique_ptr<XvfbSession>> shared;
        return shared;
    }

    XvfbSession *m_session = nullptr;
};

} // namespace

TEST_P(XcbWindowSnapshotterTest, ReturnsTheWindowsOwnPixelsAlsoWhereAnotherWindowCoversIt)
{
    TestGameWindow game(
        session(), gameAt({100, 100}, {960, 540}, QStringLiteral("こんにちは、旅の人。"), QColor(0x1e, 0x2a, 0x44)));
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    // Opened later, so it lies above the game and covers part of it.
    TestGameWindow cover(session(), gameAt({500, 350}, {400, 300}, QStringLiteral("Cover"), QColor(0xff, 0, 0)));
    ASSERT_TRUE(cover.isRunning()) << cover.errorString().toStdString();
    ASSERT_TRUE(cover.raise());

    XcbWindowSnapshotter snapshotter = this->snapshotter();
    const QImage expected = game.picture();
    ASSERT_FALSE(expected.isNull());
    const CapturedWindowSnapshot first = runTask(snapshotter.capture(targetOf(game)));
    EXPECT_EQ(first.image.format(), QImage::Format_RGB32);
    EXPECT_EQ(first.image.size(), QSize(960, 540));
    EXPECT_EQ(differingPixels(first.image, expected, tolerance()), 0);
    EXPECT_FALSE(first.image.hasAlphaChannel());

    // Later snapshots follow what the game draws.
    ASSERT_TRUE(game.setText(QStringLiteral("안녕하세요, 여행자님.")));
    const QImage changed = game.picture();
    ASSERT_NE(differingPixels(changed, expected, tolerance()), 0);
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(targetOf(game))).image, changed, tolerance()), 0);

    // Switching to another window and back keeps both exact.
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(targetOf(cover))).image, cover.picture(), tolerance()), 0);
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(targetOf(game))).image, changed, tolerance()), 0);
}

TEST_P(XcbWindowSnapshotterTest, ReadsThePartOfAWindowOutsideTheScreen)
{
    // The screen is 1920 x 1080: a third of this window lies beyond its right edge.
    TestGameWindow game(session(), gameAt({1600, 200}, {480, 360}, QStringLiteral("Edge"), QColor(0x20, 0x60, 0x30)));
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    XcbWindowSnapshotter snapshotter = this->snapshotter();
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(targetOf(game))).image, game.picture(), tolerance()), 0);
}

TEST_P(XcbWindowSnapshotterTest, TellsAGoneWindowFromOneThatCannotBeCapturedNow)
{
    TestGameWindow game(session(), gameAt({60, 60}, {640, 360}, QStringLiteral("Hello"), QColor(0x30, 0x30, 0x80)));
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    XcbWindowSnapshotter snapshotter = this->snapshotter();
    const CaptureTarget target = targetOf(game);
    ASSERT_EQ(failureOf(snapshotter, target), std::nullopt);

    // The number now names a window of another process.
    CaptureTarget otherProcess = target;
    otherProcess.processID += 1;
    EXPECT_EQ(failureOf(snapshotter, otherProcess), WindowSnapshotError::Kind::targetUnavailable);

    ASSERT_TRUE(game.minimize());
    EXPECT_EQ(failureOf(snapshotter, target), WindowSnapshotError::Kind::captureFailed);
    ASSERT_TRUE(game.show());
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(target)).image, game.picture(), tolerance()), 0);
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

INSTANTIATE_TEST_SUITE_P(Servers, XcbWindowSnapshotterTest,
    ::testing::Values(Server{"SharedMemory", 24, true, XcbImageReader::Conversion::server},
        Server{"SharedMemoryReadBack", 24, true, XcbImageReader::Conversion::serverReadBack},
        Server{"SharedMemoryDecodedHere", 24, true, XcbImageReader::Conversion::client},
        Server{"GetImage", 24, false, XcbImageReader::Conversion::server},
        Server{"GetImageDecodedHere", 24, false, XcbImageReader::Conversion::client},
        Server{"SixteenBit", 16, true, XcbImageReader::Conversion::server},
        Server{"SixteenBitDecodedHere", 16, true, XcbImageReader::Conversion::client}),
    [](const ::testing::TestParamInfo<Server> &info) { return std::string(info.param.name); });

namespace {

// The usual server (24 bits, MIT-SHM), where the frame is the memory the server drew into.
class XcbWindowSnapshotterOnTheUsualServer : public veyra::test::XvfbTest
{ };

} // namespace

TEST_F(XcbWindowSnapshotterOnTheUsualServer, ReusesTheFramesMemoryOnlyOnceTheFrameIsGone)
{
    TestGameWindow game(session(), gameAt({40, 40}, {640, 360}, QStringLiteral("First"), QColor(0x30, 0x30, 0x80)));
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    const CaptureTarget target = targetOf(game);
    // The server draws into our memory, or reads its own pixmap back into it.
    for (const auto conversion : {XcbImageReader::Conversion::server, XcbImageReader::Conversion::serverReadBack}) {
        SCOPED_TRACE(conversion == XcbImageReader::Conversion::server ? "drawn into" : "read back");
        XcbWindowSnapshotter snapshotter(session().display(), conversion);
        ASSERT_TRUE(game.setText(QStringLiteral("First")));
        const QImage firstPicture = game.picture();

        QImage first = runTask(snapshotter.capture(target)).image;
        ASSERT_EQ(differingPixels(first, firstPicture), 0);
        const uchar *firstMemory = first.constBits();

        // While the first frame is held, the next one goes elsewhere and the first stays
        // as it was.
        ASSERT_TRUE(game.setText(QStringLiteral("Second")));
        const QImage secondPicture = game.picture();
        QImage second = runTask(snapshotter.capture(target)).image;
        EXPECT_NE(second.constBits(), firstMemory);
        EXPECT_EQ(differingPixels(second, secondPicture), 0);
        EXPECT_EQ(differingPixels(first, firstPicture), 0);

        // Whoever changes a frame changes a copy of their own, even as its only holder.
        QImage edited = runTask(snapshotter.capture(target)).image;
        const uchar *editedMemory = edited.constBits();
        edited.setPixel(0, 0, qRgb(255, 0, 0));
        EXPECT_NE(edited.constBits(), editedMemory);
        EXPECT_EQ(differingPixels(first, firstPicture), 0);
        EXPECT_EQ(differingPixels(second, secondPicture), 0);
        edited = QImage();

        // Once the first frame is gone, its memory takes the next one of the same size.
        first = QImage();
        ASSERT_TRUE(game.setText(QStringLiteral("Third")));
        const QImage third = runTask(snapshotter.capture(target)).image;
        EXPECT_EQ(third.constBits(), firstMemory);
        EXPECT_EQ(differingPixels(third, game.picture()), 0);
        EXPECT_EQ(differingPixels(second, secondPicture), 0);
    }
}

TEST_F(XcbWindowSnapshotterOnTheUsualServer, SharedMemoryFollowsTheWindowsSize)
{
    XcbWindowSnapshotter snapshotter(session().display());
    const auto capture = [&snapshotter](const TestGameWindow &game) {
        QImage image = runTask(snapshotter.capture(targetOf(game))).image;
        // The awaiting of the X thread's work leaves a copy of the frame to a deleteLater().
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return image;
    };
    x11WorkPool().waitForDone();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const std::size_t baseline = mappedSharedMemoryBytes();

    TestGameWindow small(session(), gameAt({40, 40}, {320, 200}, QStringLiteral("Small"), QColor(0x30, 0x30, 0x80)));
    ASSERT_TRUE(small.isRunning()) << small.errorString().toStdString();
    EXPECT_EQ(differingPixels(capture(small), small.picture()), 0);
    const std::size_t smallBytes = 320 * 200 * 4;
    EXPECT_GE(mappedSharedMemoryBytes(), baseline + smallBytes);
    EXPECT_LT(mappedSharedMemoryBytes(), baseline + 2 * smallBytes);

    // A larger window after it is read whole.
    TestGameWindow large(session(), gameAt({80, 80}, {1280, 720}, QStringLiteral("Large"), QColor(0x80, 0x30, 0x30)));
    ASSERT_TRUE(large.isRunning()) << large.errorString().toStdString();
    EXPECT_EQ(differingPixels(capture(large), large.picture()), 0);
    const std::size_t largeBytes = 1280 * 720 * 4;
    EXPECT_GE(mappedSharedMemoryBytes(), baseline + largeBytes);
    EXPECT_LT(mappedSharedMemoryBytes(), baseline + largeBytes + smallBytes);

    // A much smaller one: the large segment is given back.
    TestGameWindow tiny(session(), gameAt({120, 120}, {160, 100}, QStringLiteral("Tiny"), QColor(0x30, 0x80, 0x30)));
    ASSERT_TRUE(tiny.isRunning()) << tiny.errorString().toStdString();
    EXPECT_EQ(differingPixels(capture(tiny), tiny.picture()), 0);
    EXPECT_GE(mappedSharedMemoryBytes(), baseline + 160 * 100 * 4);
    EXPECT_LT(mappedSharedMemoryBytes(), baseline + smallBytes);

    // Once capturing ends, nothing is kept.
    snapshotter.endCapture(targetOf(tiny));
    x11WorkPool().waitForDone();
    EXPECT_EQ(mappedSharedMemoryBytes(), baseline);
}

TEST_F(XcbWindowSnapshotterOnTheUsualServer, MemoryTakenOverByAWindowOfAnotherShapeIsDrawnInThatShape)
{
    // 800 x 450 and 600 x 600 pixels take the same bytes: once the first window's frame is
    // gone, the second window's frame goes into its memory, 600 pixels a row.
    TestGameWindow wide(session(), gameAt({40, 40}, {800, 450}, QStringLiteral("Wide"), QColor(0x30, 0x30, 0x80)));
    ASSERT_TRUE(wide.isRunning()) << wide.errorString().toStdString();
    TestGameWindow square(session(), gameAt({900, 40}, {600, 600}, QStringLiteral("Square"), QColor(0x80, 0x30, 0x30)));
    ASSERT_TRUE(square.isRunning()) << square.errorString().toStdString();
    XcbWindowSnapshotter snapshotter(session().display());
    QImage frame = runTask(snapshotter.capture(targetOf(wide))).image;
    EXPECT_EQ(differingPixels(frame, wide.picture()), 0);
    const uchar *wideMemory = frame.constBits();
    frame = QImage();
    // The awaiting of the X thread's work leaves a copy of the frame to a deleteLater().
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    frame = runTask(snapshotter.capture(targetOf(square))).image;
    EXPECT_EQ(frame.constBits(), wideMemory);
    EXPECT_EQ(differingPixels(frame, square.picture()), 0);
}

TEST_F(XcbWindowSnapshotterOnTheUsualServer, EndingTheCaptureUndoesTheRedirection)
{
    TestGameWindow game(session(), gameAt({40, 40}, {480, 270}, QStringLiteral("Game"), QColor(0x30, 0x30, 0x80)));
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    TestGameWindow other(session(), gameAt({600, 40}, {480, 270}, QStringLiteral("Other"), QColor(0x80, 0x30, 0x30)));
    ASSERT_TRUE(other.isRunning()) << other.errorString().toStdString();
    ASSERT_FALSE(isRedirected(session().display(), game.windowID()));

    XcbWindowSnapshotter snapshotter(session().display());
    const QImage frame = runTask(snapshotter.capture(targetOf(game))).image;
    EXPECT_TRUE(isRedirected(session().display(), game.windowID()));

    // Ending another window's capture leaves this one alone.
    snapshotter.endCapture(targetOf(other));
    x11WorkPool().waitForDone();
    EXPECT_TRUE(isRedirected(session().display(), game.windowID()));

    snapshotter.endCapture(targetOf(game));
    x11WorkPool().waitForDone();
    EXPECT_FALSE(isRedirected(session().display(), game.windowID()));
    // A frame read before stays valid.
    EXPECT_EQ(differingPixels(frame, game.picture()), 0);

    // The next capture sets the redirection up again and reads the window whole.
    EXPECT_EQ(differingPixels(runTask(snapshotter.capture(targetOf(game))).image, game.picture()), 0);
    EXPECT_TRUE(isRedirected(session().display(), game.windowID()));
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

namespace {

// A 32-bit pixmap (a window with an alpha channel keeps its pixels in one) holding the
// given premultiplied ARGB pixels, on a connection of its own.
class ArgbPixmap
{
public:
    ArgbPixmap(const QString &display, const std::vector<std::uint32_t> &pixels, int width)
    {
        const QByteArray name = display.toLocal8Bit();
        m_connection = xcb_connect(name.constData(), nullptr);
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem > 0; xcb_depth_next(&depths)) {
            if (depths.data->depth != 32) {
                continue;
            }
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
                 xcb_visualtype_next(&visuals)) {
                if (visuals.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && m_visual == XCB_NONE) {
                    m_visual = visuals.data->visual_id;
                }
            }
        }
        const int height = static_cast<int>(pixels.size()) / width;
        m_pixmap = xcb_generate_id(m_connection);
        xcb_create_pixmap(m_connection, 32, m_pixmap, screen->root, static_cast<std::uint16_t>(width),
            static_cast<std::uint16_t>(height));
        const xcb_gcontext_t gc = xcb_generate_id(m_connection);
        xcb_create_gc(m_connection, gc, m_pixmap, 0, nullptr);
        xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_pixmap, gc, static_cast<std::uint16_t>(width),
            static_cast<std::uint16_t>(height), 0, 0, 0, 32, static_cast<std::uint32_t>(pixels.size() * 4),
            reinterpret_cast<const std::uint8_t *>(pixels.data()));
        xcb_free_gc(m_connection, gc);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    ~ArgbPixmap() { xcb_disconnect(m_connection); }

    xcb_pixmap_t pixmap() const { return m_pixmap; }
    xcb_visualid_t visual() const { return m_visual; }

private:
    xcb_connection_t *m_connection = nullptr;
    xcb_pixmap_t m_pixmap = XCB_NONE;
    xcb_visualid_t m_visual = XCB_NONE;
};

} // namespace

TEST_F(XcbWindowSnapshotterOnTheUsualServer, PixelsWithAlphaAreReadAsTheyWouldShowOnBlack)
{
    // Premultiplied: opaque red, half-transparent green (its channel already halved), and
    // fully transparent; a window's alpha does not make its frame translucent.
    const std::vector<std::uint32_t> pixels{0xffff0000, 0x80008000, 0x00000000, 0xff123456};
    const ArgbPixmap source(session().display(), pixels, 2);
    ASSERT_NE(source.visual(), XCB_NONE);
    for (const auto conversion : {XcbImageReader::Conversion::server, XcbImageReader::Conversion::client}) {
        XcbConnection x11(session().display());
        x11.open();
        XcbImageReader reader(x11, conversion);
        ASSERT_TRUE(reader.canRead(source.visual()));
        const QImage image = reader.read(source.pixmap(), source.visual(), QRect(0, 0, 2, 2));
        ASSERT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(image.pixel(0, 0), 0xffff0000u);
        EXPECT_EQ(image.pixel(1, 0), 0xff008000u);
        EXPECT_EQ(image.pixel(0, 1), 0xff000000u);
        EXPECT_EQ(image.pixel(1, 1), 0xff123456u);
        // Every pixel is opaque in memory too, as Format_RGB32 promises.
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) {
                EXPECT_EQ(reinterpret_cast<const QRgb *>(image.constScanLine(y))[x] >> 24, 0xffu);
            }
        }
    }
}
