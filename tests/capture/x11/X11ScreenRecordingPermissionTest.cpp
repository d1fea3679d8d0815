// Test label: x11
// Capturing counts as permitted exactly when an X server answers and offers Composite:
// real Xvfb servers with and without the extension.
#include "capture/x11/X11ScreenRecordingPermission.h"
#include "support/RunTask.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

using veyra::X11ScreenRecordingPermission;
using veyra::test::runTask;
using veyra::test::XvfbSession;

TEST(X11ScreenRecordingPermission, GrantedWhereAnXServerAnswers)
{
    XvfbSession session(XvfbSession::Options{640, 480, false});
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    X11ScreenRecordingPermission permission(session.display());
    EXPECT_TRUE(runTask(permission.preflight()));
    EXPECT_TRUE(runTask(permission.request()));
    permission.openSystemSettings();
    EXPECT_TRUE(runTask(permission.preflight()));
}

TEST(X11ScreenRecordingPermission, DeniedWhereTheXServerLacksComposite)
{
    XvfbSession::Options options{640, 480, false};
    options.composite = false;
    XvfbSession session(options);
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    X11ScreenRecordingPermission permission(session.display());
    EXPECT_FALSE(runTask(permission.preflight()));
    EXPECT_FALSE(runTask(permission.request()));
}

TEST(X11ScreenRecordingPermission, DeniedWithoutAnXServer)
{
    // A Wayland session without XWayland: no display at all, or one nobody serves.
    X11ScreenRecordingPermission missing(QStringLiteral(":4095"));
    EXPECT_FALSE(runTask(missing.preflight()));
    EXPECT_FALSE(runTask(missing.request()));
    X11ScreenRecordingPermission malformed(QStringLiteral("not a display"));
    EXPECT_FALSE(runTask(malformed.preflight()));
}
