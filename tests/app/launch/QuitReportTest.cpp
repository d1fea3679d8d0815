// Test label: x11
#include "support/TestPaths.h"
#include "support/TimeLimits.h"
#include "support/XvfbSession.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace veyra::test;

TEST(QuitReport, TheXServerGoingAwayWhileWorkersDrawEndsTheProgramWithItsLineAndWithoutACrash)
{
    XvfbSession::Options options;
    options.windowManager = false;
    XvfbSession x11(options);
    ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();
    for (int run = 0; run < 3; ++run) {
        QProcess program;
        program.setProcessEnvironment(x11.environment());
        program.start(testProgramPath(QStringLiteral("veyra_test_x_server_loss")), QStringList());
        ASSERT_TRUE(program.waitForStarted(scaledMs(10000)));
        ASSERT_TRUE(program.waitForReadyRead(scaledMs(60000))) << program.readAllStandardError().toStdString();
        ASSERT_EQ(program.readAllStandardOutput(), QByteArray("working\n"));

        ASSERT_TRUE(x11.restart()) << x11.errorString().toStdString();
        ASSERT_TRUE(program.waitForFinished(scaledMs(60000)));
        const QString log = QString::fromUtf8(program.readAllStandardError());
        // Qt ends the program with status 1 when its connection breaks; nothing crashes on the way.
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << log.toStdString();
        EXPECT_EQ(program.exitCode(), 1) << log.toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("Veyra quits: the X server went away (X connection error ")))
            << log.toStdString();
        EXPECT_EQ(log.count(QStringLiteral("Veyra quits:")), 1) << log.toStdString();
    }
}
