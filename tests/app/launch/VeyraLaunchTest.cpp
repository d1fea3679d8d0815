// Test label: e2e
// Starts the real veyra executable on a private X server and asks it to quit the way a
// desktop session or a terminal does (SIGTERM, SIGINT, SIGQUIT): it must come up, keep
// running, and exit cleanly, without waiting for a name server that never answers; the
// process is known by its own name, and it starts no session bus of its own. However it
// ends (a signal, the version gate, the X server going away, a crash signal), it says why in
// its log.
#include "foundation/identity/AppIdentity.h"
#include "support/MinimumVersionPolicyScript.h"
#include "support/PrivateNetwork.h"
#include "support/RunTask.h"
#include "support/ScreenText.h"
#include "support/TestPaths.h"
#include "support/TimeLimits.h"
#include "support/VeyraProcess.h"
#include "support/X11Desktop.h"
#include "support/XTestPointer.h"
#include "support/XvfbSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace veyra;
using namespace veyra::test;

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

    // Every signal that asks a program to end: a session ending, Ctrl+C and Ctrl+\ in a terminal.
    for (int signalNumber : {SIGTERM, SIGINT, SIGQUIT}) {
        QProcess veyra;
        QProcessEnvironment environment = x11.environment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        // No session bus is set up.
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.remove(QStringLiteral("OMP_THREAD_LIMIT"));
        veyra.setProcessEnvironment(environment);
        veyra.setProcessChannelMode(QProcess::MergedChannels);
        veyra.start(veyra::test::veyraExecutablePath(), {});
        ASSERT_TRUE(veyra.waitForStarted(veyra::test::scaledMs(10000)));

        // Started up: its main window is on the screen, which the event loop puts there once
        // the quit signals are watched (a failed start exits).
        const qint64 pid = veyra.processId();
        X11Desktop desktop(x11.display());
        ASSERT_TRUE(desktop.isValid());
        ASSERT_TRUE(waitUntil(
            [&] {
                const QVector<X11ManagedWindow> windows = desktop.managedWindows();
                return veyra.state() != QProcess::Running
                    || std::any_of(windows.begin(), windows.end(),
                        [pid](const X11ManagedWindow &window) { return window.processID == pid; });
            },
            30000));
        ASSERT_EQ(veyra.state(), QProcess::Running) << veyra.readAll().toStdString();

        // It runs with the OpenMP thread limit in its environment from the start (the
        // OpenMP runtime reads it only when it is loaded). Started again for it, it is
        // still "veyra" to ps, pgrep and killall, with its original command line.
        EXPECT_TRUE(readProcFile(pid, "environ").split('\0').contains("OMP_THREAD_LIMIT=1"));
        EXPECT_EQ(readProcFile(pid, "comm"), QByteArray("veyra\n"));
        EXPECT_EQ(readProcFile(pid, "cmdline").split('\0').value(0), veyra::test::veyraExecutablePath().toUtf8());
        if (const QString pgrep = QStandardPaths::findExecutable(QStringLiteral("pgrep")); !pgrep.isEmpty()) {
            QProcess search;
            search.start(pgrep, {QStringLiteral("-x"), QStringLiteral("veyra")});
            ASSERT_TRUE(search.waitForFinished(veyra::test::scaledMs(10000)));
            EXPECT_TRUE(search.readAllStandardOutput().split('\n').contains(QByteArray::number(pid)));
        }
        // Veyra started no session bus of its own for the display.
        EXPECT_EQ(sessionBusProcessesOn(x11.display()).join(QStringLiteral(", ")).toStdString(), "");

        ::kill(static_cast<pid_t>(pid), signalNumber);
        ASSERT_TRUE(veyra.waitForFinished(veyra::test::scaledMs(15000)));
        EXPECT_EQ(veyra.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(veyra.exitCode(), 0);
        // Its log names the signal and who sent it: this test.
        const QString log = QString::fromUtf8(veyra.readAll());
        const QString cause = QStringLiteral("Veyra quits: SIG%1 from process %2")
                                  .arg(QLatin1String(sigabbrev_np(signalNumber)))
                                  .arg(QCoreApplication::applicationPid());
        EXPECT_TRUE(log.contains(cause)) << log.toStdString();
        EXPECT_EQ(log.count(QStringLiteral("Veyra quits:")), 1) << log.toStdString();
    }
    EXPECT_EQ(sessionBusProcessesOn(x11.display()).join(QStringLiteral(", ")).toStdString(), "");
}

TEST(VeyraLaunch, AQuitDoesNotWaitForANameServerThatNeverAnswers)
{
    // The minimum-version policy and the update feed are on hosts whose names the system's
    // resolver asks of a name server that never answers (a captive network, an outage): the
    // lookups wait for minutes.
    if (!inPrivateNetwork()) {
        expectPassedInPrivateNetwork();
        return;
    }
    SilentNameServer nameServer;
    ASSERT_TRUE(nameServer.error().isEmpty()) << nameServer.error().toStdString();
    XvfbSession x11;
    ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    VeyraProcess::Options options;
    options.homeFolder = home.path();
    options.infoOverrides = QJsonObject{
        {QStringLiteral("MinimumVersionPolicyURL"),
            QStringLiteral("https://policy.veyra.example/minimum-version.json")},
        {QStringLiteral("SUFeedURL"), QStringLiteral("https://feed.veyra.example/appcast.xml")},
        {QStringLiteral("SUPublicEDKey"), QString::fromLatin1(testPolicySigningKey().publicKeyBase64())},
    };
    VeyraProcess veyra(x11, options);
    ASSERT_TRUE(veyra.isRunning()) << veyra.errorString().toStdString();
    ASSERT_TRUE(waitUntil(
        [&] { return nameServer.queriesFor(QStringLiteral("policy.veyra.example")) > 0 || !veyra.isRunning(); }, 60000))
        << veyra.output().toStdString();

    // Asked to quit while the lookup waits, it ends at once (the lookup alone would hold it
    // for minutes), cleanly, and says why.
    EXPECT_TRUE(veyra.quit(30000)) << veyra.errorString().toStdString() << "\n" << veyra.output().toStdString();
    EXPECT_TRUE(veyra.output().contains(
        QStringLiteral("Veyra quits: SIGTERM from process %1").arg(QCoreApplication::applicationPid())))
        << veyra.output().toStdString();
}

TEST(VeyraLaunch, WithoutAnX11DisplayItSaysSoAndEnds)
{
    // DISPLAY unset, set to nothing, or naming a display that takes no connection (no
    // server listens on that number; its TCP port would lie beyond the last one).
    const QString refusing = QStringLiteral(":60001");
    const std::vector<std::pair<std::optional<QString>, QString>> cases{
        {std::nullopt, QStringLiteral("Veyra needs an X11 display: DISPLAY is not set.")},
        {QString(), QStringLiteral("Veyra needs an X11 display: DISPLAY is not set.")},
        {refusing,
            QStringLiteral("Veyra needs an X11 display: DISPLAY names \":60001\", which does not accept a "
                           "connection.")},
    };
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    for (const auto &[display, message] : cases) {
        QProcess veyra;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        if (display) {
            environment.insert(QStringLiteral("DISPLAY"), *display);
        }
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        veyra.setProcessEnvironment(environment);
        veyra.start(veyra::test::veyraExecutablePath(), {});
        ASSERT_TRUE(veyra.waitForFinished(veyra::test::scaledMs(60000)));
        EXPECT_EQ(veyra.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(veyra.exitCode(), 1);
        EXPECT_EQ(QString::fromUtf8(veyra.readAllStandardError()), message + QLatin1Char('\n'));
        // It wrote nothing on its way out.
        EXPECT_TRUE(QDir(home.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }
}

TEST(VeyraLaunch, TheVersionGateTheXServerGoingAwayAndACrashSayWhyVeyraEnds)
{
    XvfbSession x11;
    ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    X11Desktop desktop(x11.display());
    XTestPointer pointer(x11.display());
    ScreenTextReader reader;
    ASSERT_TRUE(desktop.isValid() && pointer.isValid());
    ASSERT_TRUE(reader.isValid()) << "no Tesseract language data for English";
    constexpr int startTimeoutMs = 90000;
    constexpr int readingPauseMs = 100;

    // The version gate: this version must be updated, and the player quits instead.
    {
        VeyraProcess::Options options;
        options.homeFolder = home.path();
        options.arguments
            = QStringList{QStringLiteral("--ui-testing"), QStringLiteral("--ui-testing-minimum-version-required")};
        VeyraProcess veyra(x11, options);
        ASSERT_TRUE(veyra.isRunning()) << veyra.errorString().toStdString();
        std::optional<QRect> quitButton;
        ASSERT_TRUE(waitUntil(
            [&] {
                const std::optional<X11ManagedWindow> main
                    = desktop.viewableWindow(appDisplayName(), veyra.processID());
                quitButton = main
                    ? findPhrase(reader.read(desktop.screenshot(), main->geometry), QStringLiteral("Quit Veyra"))
                    : std::nullopt;
                return quitButton.has_value();
            },
            startTimeoutMs, readingPauseMs))
            << veyra.output().toStdString();
        pointer.clickAt(quitButton->center());
        EXPECT_TRUE(veyra.waitForExit(startTimeoutMs)) << veyra.output().toStdString();
        EXPECT_TRUE(veyra.output().contains(QStringLiteral("Veyra quits: the version gate")))
            << veyra.output().toStdString();
    }

    // The X server goes away under a running Veyra.
    {
        VeyraProcess::Options options;
        options.homeFolder = home.path();
        VeyraProcess veyra(x11, options);
        ASSERT_TRUE(veyra.isRunning()) << veyra.errorString().toStdString();
        ASSERT_TRUE(waitUntil([&] { return desktop.viewableWindow(appDisplayName(), veyra.processID()).has_value(); },
            startTimeoutMs, readingPauseMs))
            << veyra.output().toStdString();
        ASSERT_TRUE(x11.restart()) << x11.errorString().toStdString();
        EXPECT_FALSE(veyra.waitForExit(startTimeoutMs));
        EXPECT_FALSE(veyra.isRunning());
        // It leaves with status 1, as Qt would, without a crash on the way out.
        EXPECT_EQ(veyra.exitCode(), 1) << veyra.output().toStdString();
        EXPECT_TRUE(veyra.output().contains(QStringLiteral("Veyra quits: the X server went away")))
            << veyra.output().toStdString();
        EXPECT_EQ(veyra.output().count(QStringLiteral("Veyra quits:")), 1) << veyra.output().toStdString();
    }
    ASSERT_TRUE(x11.isRunning());

    // A crash signal (one the sanitizers leave alone) ends it at once, and it says so first.
    {
        VeyraProcess::Options options;
        options.homeFolder = home.path();
        VeyraProcess veyra(x11, options);
        ASSERT_TRUE(veyra.isRunning()) << veyra.errorString().toStdString();
        X11Desktop restarted(x11.display());
        ASSERT_TRUE(waitUntil([&] { return restarted.viewableWindow(appDisplayName(), veyra.processID()).has_value(); },
            startTimeoutMs, readingPauseMs))
            << veyra.output().toStdString();
        ::kill(static_cast<pid_t>(veyra.processID()), SIGABRT);
        EXPECT_FALSE(veyra.waitForExit(startTimeoutMs));
        EXPECT_FALSE(veyra.isRunning());
        EXPECT_TRUE(veyra.output().contains(QStringLiteral("Veyra quits: a fatal signal (SIGABRT) from process %1\n")
                                                .arg(QCoreApplication::applicationPid())))
            << veyra.output().toStdString();
    }
}
