// Test label: e2e
// Starts the real veyra executable on a private X server and asks it to quit the way a
// desktop session does (SIGTERM): it must come up, keep running, and exit cleanly; the
// process is known by its own name, and it starts no session bus of its own.
#include "support/TestPaths.h"
#include "support/XvfbSession.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using veyra::test::XvfbSession;

namespace {

QByteArray readProcFile(qint64 pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The D-Bus daemons and launchers running for this X display.
QStringList sessionBusProcessesOn(const QString &display)
{
    QStringList found;
    const QByteArray variable = "DISPLAY=" + display.toUtf8();
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid) {
            continue;
        }
        const QByteArray comm = readProcFile(pid, "comm").trimmed();
        if ((comm == "dbus-daemon" || comm == "dbus-launch")
            && readProcFile(pid, "environ").split('\0').contains(variable)) {
            found << QStringLiteral("%1 %2").arg(pid).arg(QString::fromUtf8(comm));
        }
    }
    return found;
}

} // namespace

TEST(VeyraLaunch, StartsOnAnXServerAndQuitsCleanlyWhenAsked)
{
    XvfbSession x11;
    ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();
    QTemporaryDir runtime; // a runtime folder without a user bus
    ASSERT_TRUE(runtime.isValid());

    for (int signalNumber : {SIGTERM, SIGINT}) {
        QProcess veyra;
        QProcessEnvironment environment = x11.environment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        // No session bus is set up.
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.remove(QStringLiteral("OMP_THREAD_LIMIT"));
        veyra.setProcessEnvironment(environment);
        veyra.setProcessChannelMode(QProcess::ForwardedChannels);
        veyra.start(veyra::test::veyraExecutablePath(), {});
        ASSERT_TRUE(veyra.waitForStarted(10000));

        // Still running after start-up: the event loop is up (a failed start exits).
        EXPECT_FALSE(veyra.waitForFinished(3000));
        ASSERT_EQ(veyra.state(), QProcess::Running);
        const qint64 pid = veyra.processId();

        // It runs with the OpenMP thread limit in its environment from the start (the
        // OpenMP runtime reads it only when it is loaded). Started again for it, it is
        // still "veyra" to ps, pgrep and killall, with its original command line.
        EXPECT_TRUE(readProcFile(pid, "environ").split('\0').contains("OMP_THREAD_LIMIT=1"));
        EXPECT_EQ(readProcFile(pid, "comm"), QByteArray("veyra\n"));
        EXPECT_EQ(readProcFile(pid, "cmdline").split('\0').value(0), veyra::test::veyraExecutablePath().toUtf8());
        if (const QString pgrep = QStandardPaths::findExecutable(QStringLiteral("pgrep")); !pgrep.isEmpty()) {
            QProcess search;
            search.start(pgrep, {QStringLiteral("-x"), QStringLiteral("veyra")});
            ASSERT_TRUE(search.waitForFinished(10000));
            EXPECT_TRUE(search.readAllStandardOutput().split('\n').contains(QByteArray::number(pid)));
        }
        // Veyra started no session bus of its own for the display.
        EXPECT_EQ(sessionBusProcessesOn(x11.display()).join(QStringLiteral(", ")).toStdString(), "");

        ::kill(static_cast<pid_t>(pid), signalNumber);
        ASSERT_TRUE(veyra.waitForFinished(15000));
        EXPECT_EQ(veyra.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(veyra.exitCode(), 0);
    }
    EXPECT_EQ(sessionBusProcessesOn(x11.display()).join(QStringLiteral(", ")).toStdString(), "");
}
