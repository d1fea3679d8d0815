// Test label: x11
// However the program ends abruptly (its X server going away, exit() from elsewhere, an
// uncaught exception, a fatal Qt message), it says why once and keeps the note typed last
// and the setting it couldn't write yet.
#include "foundation/identity/AppIdentity.h"
#include "foundation/settings/UserDefaults.h"
#include "notes/store/FileGameMemoStore.h"
#include "support/TestPaths.h"
#include "support/TimeLimits.h"
#include "support/XvfbSession.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

// The program, with its notes and settings in `folder`.
void startProgram(QProcess &program, const XvfbSession &x11, const QTemporaryDir &folder, const QStringList &end = {})
{
    QProcessEnvironment environment = x11.environment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
    program.setProcessEnvironment(environment);
    program.start(testProgramPath(QStringLiteral("veyra_test_x_server_loss")), QStringList{folder.path()} + end);
}

// What the program kept in `folder`: its note and its setting.
void expectKept(const QTemporaryDir &folder, const QString &log)
{
    QVector<GameMemoEntry> notes;
    try {
        notes = FileGameMemoStore(QUrl::fromLocalFile(folder.filePath(QStringLiteral("notes.json")))).load();
    } catch (const std::exception &error) {
        ADD_FAILURE() << error.what();
    }
    ASSERT_EQ(notes.size(), 1) << log.toStdString();
    EXPECT_EQ(notes.first().text, QStringLiteral("last words"));
    const QString settings = folder.filePath(QStringLiteral("config/%1.json").arg(appBundleIdentifier()));
    ASSERT_TRUE(QFile::exists(settings)) << log.toStdString();
    EXPECT_EQ(UserDefaults(settings).string(QStringLiteral("last_setting")), QStringLiteral("kept"));
}

} // namespace

TEST(QuitReport, TheXServerGoingAwayWhileWorkersDrawEndsTheProgramWithItsLineAndKeepsWhatWasNotWritten)
{
    XvfbSession::Options options;
    options.windowManager = false;
    XvfbSession x11(options);
    ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();
    for (int run = 0; run < 3; ++run) {
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        QProcess program;
        startProgram(program, x11, folder);
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
        expectKept(folder, log);
    }
}

TEST(QuitReport, AnExitAnUncaughtExceptionAndAFatalMessageKeepWhatWasNotWritten)
{
    XvfbSession::Options options;
    options.windowManager = false;
    XvfbSession x11(options);
    ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();
    const struct
    {
        const char *argument;
        const char *line;
        QProcess::ExitStatus exitStatus;
    } ends[] = {
        {"--exit", "Veyra quits: exit() was called while Veyra was running", QProcess::NormalExit},
        {"--throw", "Veyra quits: a fatal error: an uncaught exception (nothing catches this)", QProcess::CrashExit},
        {"--fatal", "Veyra quits: a fatal error: nothing goes on after this", QProcess::CrashExit},
    };
    for (const auto &end : ends) {
        SCOPED_TRACE(end.argument);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        QProcess program;
        startProgram(program, x11, folder, {QString::fromLatin1(end.argument)});
        ASSERT_TRUE(program.waitForStarted(scaledMs(10000)));
        ASSERT_TRUE(program.waitForFinished(scaledMs(60000)));
        const QString log = QString::fromUtf8(program.readAllStandardError());
        EXPECT_EQ(program.exitStatus(), end.exitStatus) << log.toStdString();
        EXPECT_TRUE(log.contains(QLatin1String(end.line))) << log.toStdString();
        EXPECT_EQ(log.count(QStringLiteral("Veyra quits:")), 1) << log.toStdString();
        expectKept(folder, log);
    }
}
