// Test label: e2e
// Starts the real veyra executable on a private X server and asks it to quit the way a
// desktop session does (SIGTERM): it must come up, keep running, and exit cleanly.
#include "support/TestPaths.h"
#include "support/XvfbSession.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

using veyra::test::XvfbSession;

TEST(VeyraLaunch, StartsOnAnXServerAndQuitsCleanlyWhenAsked)
{
    XvfbSession x11;
    ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();

    for (int signalNumber : {SIGTERM, SIGINT}) {
        QProcess veyra;
        QProcessEnvironment environment = x11.environment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        veyra.setProcessEnvironment(environment);
        veyra.setProcessChannelMode(QProcess::ForwardedChannels);
        veyra.start(veyra::test::veyraExecutablePath(), {});
        ASSERT_TRUE(veyra.waitForStarted(10000));

        // Still running after start-up: the event loop is up (a failed start exits).
        EXPECT_FALSE(veyra.waitForFinished(3000));
        ASSERT_EQ(veyra.state(), QProcess::Running);

        // It runs with the OpenMP thread limit in its environment from the start (the
        // OpenMP runtime reads it only when it is loaded).
        QFile environ(QStringLiteral("/proc/%1/environ").arg(veyra.processId()));
        ASSERT_TRUE(environ.open(QIODevice::ReadOnly));
        EXPECT_TRUE(environ.readAll().split('\0').contains("OMP_THREAD_LIMIT=1"));

        ::kill(static_cast<pid_t>(veyra.processId()), signalNumber);
        ASSERT_TRUE(veyra.waitForFinished(15000));
        EXPECT_EQ(veyra.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(veyra.exitCode(), 0);
    }
}
