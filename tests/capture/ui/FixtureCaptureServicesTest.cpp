// The fixtures that stand in for the window server in UI-testing mode return exactly
// their fixed data and picture.
#include "capture/fixtures/FixtureScreenRecordingPermission.h"
#include "capture/fixtures/FixtureWindowCatalog.h"
#include "capture/fixtures/FixtureWindowSnapshotter.h"
#include "support/RunTask.h"

#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

#include <cmath>

using namespace veyra;
using veyra::test::runTask;

namespace {

CaptureTarget targetOf(std::uint32_t windowID, std::int32_t processID)
{
    CaptureTarget target;
    target.windowID = windowID;
    target.processID = processID;
    return target;
}

// `over` laid on `under` with the given opacity.
QColor blended(QColor over, double alpha, QColor under)
{
    const auto mix = [alpha](int a, int b) { return static_cast<int>(std::lround(a * alpha + b * (1.0 - alpha))); };
    return QColor(mix(over.red(), under.red()), mix(over.green(), under.green()), mix(over.blue(), under.blue()));
}

// Painting rounds each channel a little differently from the exact blend.
::testing::AssertionResult near(QRgb actual, QColor expected)
{
    const int tolerance = 2;
    if (qAlpha(actual) == 255 && std::abs(qRed(actual) - expected.red()) <= tolerance
        && std::abs(qGreen(actual) - expected.green()) <= tolerance
        && std::abs(qBlue(actual) - expected.blue()) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << QColor::fromRgba(actual).name(QColor::HexArgb).toStdString() << " is not "
                                         << expected.name().toStdString();
}

} // namespace

TEST(FixtureWindowCatalog, ReturnsTheFixedApplicationsInTheirOrderAndCountsLoads)
{
    FixtureWindowCatalog catalog;
    EXPECT_EQ(catalog.loadCount(), 0);
    const QVector<CaptureApplicationGroup> groups = runTask(catalog.applicationGroups());
    EXPECT_EQ(catalog.loadCount(), 1);

    ASSERT_EQ(groups.size(), 2);
    const CaptureApplicationGroup &emulator = groups[0];
    EXPECT_EQ(emulator.processID, 4242);
    ASSERT_TRUE(emulator.bundleIdentifier.has_value());
    EXPECT_FALSE(emulator.bundleIdentifier->isEmpty());
    ASSERT_TRUE(emulator.executableURL.has_value());
    EXPECT_TRUE(emulator.executableURL->isLocalFile());
    EXPECT_FALSE(emulator.applicationName.isEmpty());
    EXPECT_TRUE(emulator.icon.isNull());
    ASSERT_EQ(emulator.windows.size(), 2);
    // Not re-sorted: the untitled window would sort first.
    EXPECT_EQ(emulator.windows[0].windowID, 9001u);
    EXPECT_FALSE(emulator.windows[0].windowTitle.isEmpty());
    EXPECT_EQ(emulator.windows[0].frame, QRectF(100, 120, 960, 720));
    EXPECT_EQ(emulator.windows[1].windowID, 9002u);
    EXPECT_EQ(emulator.windows[1].windowTitle, QString());
    EXPECT_EQ(emulator.windows[1].frame, QRectF(180, 160, 640, 480));

    const CaptureApplicationGroup &editor = groups[1];
    EXPECT_EQ(editor.processID, 4243);
    EXPECT_TRUE(editor.bundleIdentifier.has_value());
    EXPECT_TRUE(editor.executableURL.has_value());
    EXPECT_FALSE(editor.applicationName.isEmpty());
    EXPECT_TRUE(editor.icon.isNull());
    ASSERT_EQ(editor.windows.size(), 1);
    EXPECT_EQ(editor.windows[0].windowID, 9003u);
    EXPECT_EQ(editor.windows[0].windowTitle, QStringLiteral("Notes"));
    EXPECT_EQ(editor.windows[0].frame, QRectF(300, 200, 700, 500));

    for (const CaptureApplicationGroup &group : groups) {
        for (const CaptureTarget &target : group.windows) {
            EXPECT_EQ(target.processID, group.processID);
            EXPECT_EQ(target.bundleIdentifier, group.bundleIdentifier);
            EXPECT_EQ(target.executableURL, group.executableURL);
            EXPECT_EQ(target.applicationName, group.applicationName);
        }
    }

    const QVector<CaptureApplicationGroup> again = runTask(catalog.applicationGroups());
    ASSERT_EQ(again.size(), groups.size());
    EXPECT_EQ(again[0].windows, groups[0].windows);
    EXPECT_EQ(again[1].windows, groups[1].windows);
    EXPECT_EQ(catalog.loadCount(), 2);

    EXPECT_TRUE(runTask(catalog.isAvailable(targetOf(9001, 4242))));
    EXPECT_TRUE(runTask(catalog.isAvailable(targetOf(9002, 4242))));
    EXPECT_TRUE(runTask(catalog.isAvailable(targetOf(9003, 4243))));
    EXPECT_FALSE(runTask(catalog.isAvailable(targetOf(9003, 4242))));
    EXPECT_FALSE(runTask(catalog.isAvailable(targetOf(9004, 4243))));
    EXPECT_EQ(catalog.loadCount(), 2);
}

TEST(FixtureWindowSnapshotter, DrawsTheSamePanelAndGridForEveryTarget)
{
    FixtureWindowSnapshotter snapshotter;
    const QImage image = runTask(snapshotter.capture(targetOf(9001, 4242))).image;
    ASSERT_EQ(image.size(), QSize(960, 720));
    EXPECT_FALSE(image.hasAlphaChannel());
    EXPECT_EQ(runTask(snapshotter.capture(targetOf(123456, 1))).image, image);
    // The same whichever way the vertical axis runs.
    EXPECT_EQ(image.mirrored(false, true), image);

    const QColor background = QGuiApplication::palette().color(QPalette::Window);
    const QColor panel = blended(QColor(88, 86, 214), 0.35, background);
    const QColor lineOnPanel = blended(Qt::white, 0.22, panel);
    const QColor lineOutside = blended(Qt::white, 0.22, background);

    EXPECT_TRUE(near(image.pixel(0, 0), background));
    EXPECT_TRUE(near(image.pixel(40, 40), background));
    EXPECT_TRUE(near(image.pixel(959, 719), background));
    EXPECT_TRUE(near(image.pixel(120, 120), panel));
    EXPECT_TRUE(near(image.pixel(161, 300), panel));
    EXPECT_TRUE(near(image.pixel(878, 628), panel));
    // Lines are 2 pixels wide, centred on every 80th column and 60th row.
    EXPECT_TRUE(near(image.pixel(159, 300), lineOnPanel));
    EXPECT_TRUE(near(image.pixel(160, 300), lineOnPanel));
    EXPECT_TRUE(near(image.pixel(300, 149), lineOnPanel));
    EXPECT_TRUE(near(image.pixel(300, 150), lineOnPanel));
    // Where lines cross, the white is laid down once.
    EXPECT_TRUE(near(image.pixel(160, 150), lineOnPanel));
    // The outer lines stick out of the panel by one pixel, without caps.
    EXPECT_TRUE(near(image.pixel(79, 300), lineOutside));
    EXPECT_TRUE(near(image.pixel(880, 300), lineOutside));
    EXPECT_TRUE(near(image.pixel(300, 89), lineOutside));
    EXPECT_TRUE(near(image.pixel(300, 630), lineOutside));
    EXPECT_TRUE(near(image.pixel(79, 89), background));
    EXPECT_TRUE(near(image.pixel(78, 300), background));
    EXPECT_TRUE(near(image.pixel(300, 631), background));
}

TEST(FixtureScreenRecordingPermission, AnswersWhatItWasGiven)
{
    FixtureScreenRecordingPermission denied(false, false);
    EXPECT_FALSE(runTask(denied.preflight()));
    EXPECT_FALSE(runTask(denied.request()));
    denied.openSystemSettings();
    EXPECT_FALSE(runTask(denied.preflight()));

    FixtureScreenRecordingPermission granted(true, true);
    EXPECT_TRUE(runTask(granted.preflight()));
    EXPECT_TRUE(runTask(granted.request()));

    FixtureScreenRecordingPermission grantedOnRequest(false, true);
    EXPECT_FALSE(runTask(grantedOnRequest.preflight()));
    EXPECT_TRUE(runTask(grantedOnRequest.request()));
    EXPECT_FALSE(grantedOnRequest.authorized());
    EXPECT_TRUE(grantedOnRequest.requestResult());
}
