// A program that quits while work runs on every worker pool, as Veyra's main() quits: four
// release-notes browsers read notes of a thousand nested block quotes, and every thread of
// every pool lays out text (Qt's GUI code, which needs the application object) from the
// moment the application's end begins; more work waits behind it on each pool.
//
//   veyra_test_quit_during_work
//
// It writes to stdout, one line each:
//   working <pool>       once work on a thread of the pool has started
//   finished <pool>      when that work is done
//   queued work ran      should the work queued behind it ever run (it must not)
//   application gone     once the application object is destroyed
// and exits with 0.
#include "capture/x11/X11WorkPool.h"
#include "foundation/async/AsyncTask.h"
#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesBrowser.h"

#include <QApplication>
#include <QSemaphore>
#include <QTextLayout>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
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

// Lays out a line of text in each of many sizes: each new size makes Qt find and load a font.
void layOutText()
{
    for (int size = 6; size < 160; ++size) {
        QFont font;
        font.setPixelSize(size);
        QTextLayout layout(
            QStringLiteral("Veyra reads the dialogue of the game. 台詞を読み取ります. 대사를 읽습니다."), font);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(200);
        }
        layout.endLayout();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
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
        const std::pair<const char *, QThreadPool *> pools[] = {{"cpu", &veyra::cpuWorkPool()},
            {"x11", &veyra::x11WorkPool()}, {"release-notes", &veyra::releaseNotesWorkPool()}};
        for (const auto &[name, pool] : pools) {
            for (int thread = 0; thread < pool->maxThreadCount(); ++thread) {
                veyra::startOnWorker(*pool, [name, &working] {
                    say("working", name);
                    working.release();
                    // Into Qt's code from the moment the application's end begins.
                    while (!veyra::workerPoolsHaveEnded()) {
                        QThread::msleep(1);
                    }
                    layOutText();
                    say("finished", name);
                });
                ++workers;
            }
            veyra::startOnWorker(*pool, [] { say("queued work ran"); });
        }
        working.acquire(workers);

        QTimer::singleShot(0, &application, &QCoreApplication::quit);
        status = QApplication::exec();
        browsers.clear();
        veyra::finishApplicationWork(status);
    }
    say("application gone");
    return status;
}
