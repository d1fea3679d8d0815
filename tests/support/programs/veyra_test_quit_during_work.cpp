// A program that quits while work runs on every worker pool, and ends as Veyra's main()
// does: four release-notes browsers read notes of a thousand nested block quotes, and every
// thread of every pool lays out text (Qt's GUI code, which needs the application object)
// from the moment the application's end begins; more work waits behind it on each pool,
// some of it awaited by a task. A task sleeping when the event loop ends is cancelled then.
//
//   veyra_test_quit_during_work [--outlast]
//
// With --outlast, the work on one thread never ends; the event loop ends with status 3,
// and a setting is written in the quit's last turn into the standard user defaults (of
// XDG_CONFIG_HOME): "written_at_quit" = true.
//
// It writes to stdout, one line each:
//   working <pool>          once work on a thread of the pool has started
//   finished <pool>         when that work is done
//   queued work ran         should the work queued behind it ever run (it must not)
//   queued task cancelled   when a task awaiting queued work learns that it never runs
//   sleeping task ended     when the task cancelled at the end has ended
//   application gone        once the application object is destroyed
// and exits with the event loop's status.
#include "TextLayoutWork.h"
#include "capture/x11/X11WorkPool.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/async/CancellationToken.h"
#include "foundation/async/Sleeper.h"
#include "foundation/settings/UserDefaults.h"
#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesBrowser.h"

#include <QApplication>
#include <QSemaphore>
#include <QThread>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void say(const char *line, const char *pool = nullptr)
{
    if (pool) {
        std::printf("%s %s\n", line, pool);
    } else {
        std::printf("%s\n", line);
    }
    std::fflush(stdout);
}

QCoro::Task<void> awaitQueuedWork(QThreadPool &pool)
{
    try {
        co_await veyra::runOnWorker(pool, [] { say("queued work ran"); });
    } catch (const veyra::CancellationError &) {
        say("queued task cancelled");
    }
}

QCoro::Task<void> sleepUntilCancelled(veyra::CancellationToken token)
{
    veyra::TimerSleeper sleeper;
    try {
        co_await sleeper.sleepFor(std::chrono::hours(24), token);
    } catch (const veyra::CancellationError &) { }
    say("sleeping task ended");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const bool outlast = argc > 1 && std::strcmp(argv[1], "--outlast") == 0;
    int status = 0;
    {
        QApplication application(argc, argv);
        const QString deepNotes = QStringLiteral("<blockquote>").repeated(1000)
            + QStringLiteral("Reads the dialogue and translates it. ").repeated(500)
            + QStringLiteral("</blockquote>").repeated(1000);
        std::vector<std::unique_ptr<veyra::ReleaseNotesBrowser>> browsers;
        for (int browser = 0; browser < 4; ++browser) {
            browsers.push_back(std::make_unique<veyra::ReleaseNotesBrowser>());
            browsers.back()->setReleaseNotes(veyra::ReleaseNotes{veyra::ReleaseNotes::Format::html, deepNotes});
        }

        QSemaphore working;
        int workers = 0;
        std::vector<QCoro::Task<void>> queuedTasks;
        const std::pair<const char *, QThreadPool *> pools[] = {{"cpu", &veyra::cpuWorkPool()},
            {"x11", &veyra::x11WorkPool()}, {"release-notes", &veyra::releaseNotesWorkPool()}};
        for (const auto &[name, pool] : pools) {
            for (int thread = 0; thread < pool->maxThreadCount(); ++thread) {
                const bool endless = outlast && workers == 0;
                veyra::startOnWorker(*pool, [name, endless, &working] {
                    say("working", name);
                    working.release();
                    // Into Qt's code from the moment the application's end begins, for a
                    // few seconds of a sanitizer build on a loaded machine: well within the
                    // pools' end limit, so that only work that never ends outlasts it.
                    while (!veyra::workerPoolsHaveEnded() || endless) {
                        QThread::msleep(1);
                    }
                    veyra::test::layOutTextInSizes(6, 48);
                    say("finished", name);
                });
                ++workers;
            }
            veyra::startOnWorker(*pool, [] { say("queued work ran"); });
            queuedTasks.push_back(awaitQueuedWork(*pool));
        }
        working.acquire(workers);

        const veyra::CancellationToken token;
        QCoro::Task<void> sleeping = sleepUntilCancelled(token);
        QTimer::singleShot(0, &application, [outlast] { QCoreApplication::exit(outlast ? 3 : 0); });
        status = QApplication::exec();
        // The application's objects go, and cancel what they started.
        browsers.clear();
        token.cancel();
        if (outlast) {
            veyra::UserDefaults::standard().setValue(QStringLiteral("written_at_quit"), true);
        }
        veyra::finishApplicationWork(status);
    }
    say("application gone");
    return status;
}
