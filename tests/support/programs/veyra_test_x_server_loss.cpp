// A program whose X server goes away while every thread of every worker pool lays out text
// and scales images, as Veyra's workers do during play. It connects to the X server of
// DISPLAY and reports its ends as Veyra's main() does.
//
//   veyra_test_x_server_loss
//
// It writes "working" to stdout once work runs on every thread of every pool; then the test
// ends the X server, and Qt ends the program.
#include "TextLayoutWork.h"
#include "app/launch/QuitReport.h"
#include "capture/x11/X11WorkPool.h"
#include "foundation/async/AsyncTask.h"
#include "update/prompt/ReleaseNotesBrowser.h"

#include <QApplication>
#include <QImage>
#include <QSemaphore>

#include <cstdio>
#include <cstdlib>

namespace {

// Text in many sizes (each new size makes Qt find and load a font) and an image scaled
// smoothly, again and again.
void drawText()
{
    veyra::test::layOutTextInSizes(6, 96);
    QImage image(640, 360, QImage::Format_ARGB32);
    image.fill(Qt::darkCyan);
    [[maybe_unused]] const QImage scaled = image.scaled(1280, 720, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

int main(int argc, char *argv[])
{
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int status = 0;
    {
        QApplication application(argc, argv);
        void *xcb = nullptr;
        if (const auto *x11 = application.nativeInterface<QNativeInterface::QX11Application>()) {
            xcb = x11->connection();
        }
        veyra::QuitReport::install({}, xcb);

        QSemaphore working;
        int workers = 0;
        for (QThreadPool *pool : {&veyra::cpuWorkPool(), &veyra::x11WorkPool(), &veyra::releaseNotesWorkPool()}) {
            for (int thread = 0; thread < pool->maxThreadCount(); ++thread) {
                veyra::startOnWorker(*pool, [&working] {
                    working.release();
                    while (!veyra::workerPoolsHaveEnded()) {
                        drawText();
                    }
                });
                ++workers;
            }
        }
        working.acquire(workers);
        std::printf("working\n");
        std::fflush(stdout);

        status = QApplication::exec();
        veyra::QuitReport::writeLine();
        veyra::finishApplicationWork(status);
    }
    return status;
}
