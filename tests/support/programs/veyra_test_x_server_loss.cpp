// A program whose X server goes away while every thread of every worker pool lays out text
// and scales images, as Veyra's workers do during play. It connects to the X server of
// DISPLAY and reports its ends as Veyra's main() does.
//
//   veyra_test_x_server_loss <folder> [--exit | --throw | --fatal]
//
// Like Veyra, it holds what the player typed or changed last and has not written yet, as
// last saves: a note "last words" whose delay never ends on its own (the notes file is
// <folder>/notes.json), and the setting "last_setting" = "kept" in the standard user
// defaults (of XDG_CONFIG_HOME), whose write failed while a folder stood in the file's way.
//
// It writes "working" to stdout once work runs on every thread of every pool; then the test
// ends the X server, and Qt ends the program. With --exit, --throw or --fatal, no work runs
// on the pools and the program ends on the first turn of its event loop itself: exit(3), an
// exception that nothing catches, or a fatal Qt message.
#include "TextLayoutWork.h"
#include "app/launch/QuitReport.h"
#include "capture/x11/X11WorkPool.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/async/LastSaves.h"
#include "foundation/async/Sleeper.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/settings/UserDefaults.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/FileGameMemoStore.h"
#include "update/prompt/ReleaseNotesBrowser.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QSemaphore>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

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

// Sleeps until the sleep is cancelled: a note typed stays unwritten until the end.
class UntilCancelledSleeper : public veyra::Sleeper
{
public:
    QCoro::Task<void> sleepUntil(Clock::time_point, veyra::CancellationToken token) override
    {
        co_await m_timer.sleepFor(std::chrono::hours(24), std::move(token));
    }

private:
    veyra::TimerSleeper m_timer;
};

} // namespace

int main(int argc, char *argv[])
{
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (argc < 2) {
        std::fprintf(stderr, "usage: veyra_test_x_server_loss <folder> [--exit | --throw | --fatal]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString end = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    int status = 0;
    {
        QApplication application(argc, argv);
        // As Veyra's main(): the application's identity is known before its ends are reported.
        QApplication::setApplicationName(veyra::appBundleIdentifier());
        void *xcb = nullptr;
        if (const auto *x11 = application.nativeInterface<QNativeInterface::QX11Application>()) {
            xcb = x11->connection();
        }
        veyra::QuitReport::install({}, xcb);

        // The setting: its write fails while a folder stands in the file's way, and the
        // folder goes; nothing writes it again before the end.
        veyra::UserDefaults &defaults = veyra::UserDefaults::standard();
        const QString settingsPath = defaults.filePath();
        QDir().mkpath(settingsPath);
        defaults.setValue(QStringLiteral("last_setting"), QStringLiteral("kept"));
        defaults.sync();
        QDir().rmdir(settingsPath);

        // The note, as the composition root holds it.
        veyra::GameMemoLibraryModel notes(
            std::make_unique<veyra::FileGameMemoStore>(QUrl::fromLocalFile(folder + QStringLiteral("/notes.json"))),
            400'000'000, std::make_shared<UntilCancelledSleeper>());
        const veyra::LastSave notesLastSave([&notes] { notes.saveBeforeQuit(); });
        const veyra::GameMemoContext game{
            {{veyra::GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")},
                QStringLiteral("Main")},
            QStringLiteral("Game App"), QStringLiteral("Main"), std::nullopt};
        notes.updateText(QStringLiteral("last words"), game);

        if (end == QLatin1String("--exit")) {
            QTimer::singleShot(0, [] { std::exit(3); });
        } else if (end == QLatin1String("--throw")) {
            QTimer::singleShot(0, [] { throw std::runtime_error("nothing catches this"); });
        } else if (end == QLatin1String("--fatal")) {
            QTimer::singleShot(0, [] { qFatal("nothing goes on after this"); });
        } else {
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
        }
        std::printf("working\n");
        std::fflush(stdout);

        status = QApplication::exec();
        veyra::QuitReport::writeLine();
        veyra::finishApplicationWork(status);
    }
    return status;
}
