// Test label: unit
#include "foundation/async/AsyncTask.h"
#include "foundation/async/CancellationToken.h"
#include "foundation/async/Sleeper.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/settings/UserDefaults.h"
#include "support/LogCapture.h"
#include "support/RunTask.h"
#include "support/TestPaths.h"
#include "support/TimeLimits.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <thread>

using namespace veyra;
using veyra::test::LogCapture;
using veyra::test::runTask;
using veyra::test::scaledMs;
using veyra::test::testProgramPath;
using veyra::test::waitUntil;
using namespace std::chrono_literals;

TEST(AsyncTask, SleeperWaitsOnTheSteadyClockAndEndsEarlyWhenCancelled)
{
    TimerSleeper sleeper;
    const auto start = Sleeper::Clock::now();
    runTask(sleeper.sleepFor(120ms, CancellationToken()));
    EXPECT_GE(Sleeper::Clock::now() - start, 120ms);

    CancellationToken token;
    QTimer::singleShot(30, [token] { token.cancel(); });
    const auto cancelledStart = Sleeper::Clock::now();
    EXPECT_THROW(runTask(sleeper.sleepFor(10s, token)), CancellationError);
    EXPECT_LT(Sleeper::Clock::now() - cancelledStart, 5s);

    // Already cancelled: throws without waiting.
    EXPECT_THROW(runTask(sleeper.sleepFor(10s, token)), CancellationError);
}

TEST(AsyncTask, CancellationCallbacksRunOnceAndRegistrationsDetach)
{
    CancellationToken token;
    int first = 0;
    int second = 0;
    auto keep = token.onCancel([&first] { ++first; });
    {
        auto dropped = token.onCancel([&second] { ++second; });
    }
    token.cancel();
    token.cancel();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(CancellationToken(token).isCancelled());
    int late = 0;
    auto afterwards = token.onCancel([&late] { ++late; });
    EXPECT_EQ(late, 1);

    // A registration destroyed by an earlier callback of the same cancel() is not called,
    // and a callback may destroy its own registration.
    CancellationToken shared;
    std::optional<CancellationToken::Registration> later;
    std::optional<CancellationToken::Registration> self;
    int laterCalls = 0;
    int selfCalls = 0;
    auto dropsLater = shared.onCancel([&later] { later.reset(); });
    later = shared.onCancel([&laterCalls] { ++laterCalls; });
    self = shared.onCancel([&self, &selfCalls] {
        ++selfCalls;
        self.reset();
    });
    shared.cancel();
    EXPECT_EQ(laterCalls, 0);
    EXPECT_EQ(selfCalls, 1);
}

TEST(AsyncTask, DetachedTasksHoldTheirOwnerWeaklyAndNeverLeakExceptions)
{
    auto owner = std::make_unique<QObject>();
    int steps = 0;
    bool sawOwnerGone = false;
    startDetachedTask(
        owner.get(),
        [&steps, &sawOwnerGone](QPointer<QObject> self) -> QCoro::Task<void> {
            ++steps;
            TimerSleeper sleeper;
            co_await sleeper.sleepFor(20ms, CancellationToken());
            if (!self) {
                sawOwnerGone = true;
                co_return;
            }
            ++steps;
        },
        Logger("Test"));
    EXPECT_EQ(steps, 1); // runs at once, up to its first await
    owner.reset();
    EXPECT_TRUE(waitUntil([&] { return sawOwnerGone; }));
    EXPECT_EQ(steps, 1);

    // An owner that is already gone: the body never runs.
    QObject *gone = new QObject;
    QPointer<QObject> guard(gone);
    delete gone;
    bool ran = false;
    startDetachedTask(
        guard.data(),
        [&ran](QPointer<QObject>) -> QCoro::Task<void> {
            ran = true;
            co_return;
        },
        Logger("Test"));
    EXPECT_FALSE(ran);

    // A throwing body is caught and logged, before and after its first await, whatever
    // it throws; a cancellation ends the task quietly.
    LogCapture log;
    QObject alive;
    bool threwLater = false;
    startDetachedTask(
        &alive,
        [](QPointer<QObject>) -> QCoro::Task<void> {
            throw std::runtime_error("at once");
            co_return;
        },
        Logger("Test"));
    startDetachedTask(
        &alive,
        [&threwLater](QPointer<QObject>) -> QCoro::Task<void> {
            TimerSleeper sleeper;
            co_await sleeper.sleepFor(10ms, CancellationToken());
            threwLater = true;
            throw std::runtime_error("later");
        },
        Logger("Test"));
    startDetachedTask(
        &alive,
        [](QPointer<QObject>) -> QCoro::Task<void> {
            throw 42;
            co_return;
        },
        Logger("Test"));
    startDetachedTask(
        &alive,
        [](QPointer<QObject>) -> QCoro::Task<void> {
            throw CancellationError();
            co_return;
        },
        Logger("Test"));
    EXPECT_TRUE(waitUntil([&] { return threwLater; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(log.messages(QStringLiteral("Test")),
        (QStringList{QStringLiteral("Background task failed: \"at once\""),
            QStringLiteral("Background task failed with an unknown error"),
            QStringLiteral("Background task failed: \"later\"")}));
}

TEST(AsyncTask, WorkRunsOffTheCallingThreadAndCarriesResultsAndErrorsBack)
{
    const auto caller = std::this_thread::get_id();
    const auto worker = runTask(runOnWorker(cpuWorkPool(), [] { return std::this_thread::get_id(); }));
    EXPECT_NE(worker, caller);

    EXPECT_EQ(runTask(runOnWorker(cpuWorkPool(), [] { return QStringLiteral("done"); })), QStringLiteral("done"));
    EXPECT_THROW(runTask(runOnWorker(cpuWorkPool(), []() -> int { throw std::invalid_argument("bad"); })),
        std::invalid_argument);
    EXPECT_NO_THROW(runTask(runOnWorker(cpuWorkPool(), [] {})));
}

TEST(AsyncTask, AProgramQuittingWhileItsPoolsWorkFinishesTheRunningWorkDropsTheRestAndEndsCleanly)
{
    // Every thread of every pool is inside Qt's text layout when the application ends.
    QProcess program;
    program.start(testProgramPath(QStringLiteral("veyra_test_quit_during_work")), QStringList());
    ASSERT_TRUE(program.waitForFinished(scaledMs(120000)));
    const QStringList lines = QString::fromUtf8(program.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << program.readAllStandardError().toStdString();
    EXPECT_EQ(program.exitCode(), 0);
    const qsizetype gone = lines.indexOf(QStringLiteral("application gone"));
    ASSERT_GE(gone, 0) << lines.join(u' ').toStdString();
    const QStringList beforeGone = lines.mid(0, gone);
    EXPECT_EQ(
        beforeGone.filter(QStringLiteral("working ")).size(), beforeGone.filter(QStringLiteral("finished ")).size());
    for (const char *pool : {"cpu", "x11", "release-notes"}) {
        EXPECT_TRUE(beforeGone.contains(QStringLiteral("finished ") + QLatin1StringView(pool))) << pool;
    }
    // What waited behind the running work never ran, and the tasks awaiting it were told so;
    // the task cancelled as the program's objects went was given the turns it needed to end.
    EXPECT_FALSE(lines.contains(QStringLiteral("queued work ran")));
    EXPECT_EQ(beforeGone.count(QStringLiteral("queued task cancelled")), 3) << lines.join(u' ').toStdString();
    EXPECT_EQ(beforeGone.count(QStringLiteral("sleeping task ended")), 1) << lines.join(u' ').toStdString();
    EXPECT_EQ(gone, lines.size() - 1);
}

TEST(AsyncTask, SettingsWrittenInTheQuitsLastTurnAreKeptWhenWorkOutlastsTheEndOfThePools)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    program.setProcessEnvironment(environment);
    program.start(testProgramPath(QStringLiteral("veyra_test_quit_during_work")), {QStringLiteral("--outlast")});
    ASSERT_TRUE(program.waitForFinished(scaledMs(120000)));
    const QString output = QString::fromUtf8(program.readAllStandardOutput());
    const QString log = QString::fromUtf8(program.readAllStandardError());
    // It ended at once with the event loop's status once the limit had passed, destroying
    // nothing more.
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << log.toStdString();
    EXPECT_EQ(program.exitCode(), 3) << log.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("application gone"))) << output.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("Veyra ends without waiting any longer for that work")))
        << log.toStdString();
    // The setting written last is on disk.
    const QString settings = config.filePath(appBundleIdentifier() + QStringLiteral(".json"));
    EXPECT_EQ(UserDefaults(settings).boolean(QStringLiteral("written_at_quit")), true);
}
