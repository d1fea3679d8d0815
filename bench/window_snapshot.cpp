// Snapshots of a 1920 x 1080 and of a 3840 x 2160 window of the test game on a private X
// server, against a plain copy of the frame's bytes:
//   inLoopCapture   a capture as the capture loop takes it: started from a coroutine on
//                   this (GUI) thread, read on the X thread, resumed here with the frame,
//                   which is dropped before the next one; between captures the event
//                   loop idles for a moment, as the loop does for a second
//   backToBack      the X thread's read alone, one after the other, with no hand-off
//   memoryCopy      std::memcpy of the frame's bytes, one after the other (a 1920 x 1080
//                   frame then stays in the cache), and with the cache emptied before each
//                   copy ("cold"), as it is for a capture once a second
// A failed capture is counted (counter "failures") and left out of the time; the
// benchmark goes on with the next one.
#include "capture/x11/XcbWindowImageReader.h"
#include "capture/x11/XcbWindowSnapshotter.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/XvfbSession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace veyra;
using veyra::test::TestGameWindow;
using veyra::test::XvfbSession;
using Clock = std::chrono::steady_clock;

namespace {

XvfbSession *session = nullptr;

// How long the event loop idles between two in-loop captures.
constexpr std::chrono::milliseconds idleBetweenCaptures{100};

std::unique_ptr<TestGameWindow> startGame(benchmark::State &state)
{
    TestGameWindow::Options options;
    options.size = QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    options.position = QPoint(0, 0);
    options.text = QStringLiteral("ベンチマーク");
    auto game = std::make_unique<TestGameWindow>(*session, options);
    if (!game->isRunning()) {
        state.SkipWithError(game->errorString().toStdString().c_str());
        return nullptr;
    }
    return game;
}

// Counts failed captures, says once what went wrong and reports the count.
class Failures
{
public:
    void add(const char *what)
    {
        if (m_count++ == 0) {
            std::fprintf(stderr, "a capture failed: %s\n", what);
        }
    }

    void report(benchmark::State &state) const { state.counters["failures"] = static_cast<double>(m_count); }

private:
    int m_count = 0;
};

void idle()
{
    QEventLoop loop;
    QTimer::singleShot(idleBetweenCaptures, &loop, &QEventLoop::quit);
    loop.exec();
}

void inLoopCapture(benchmark::State &state)
{
    const auto game = startGame(state);
    if (!game) {
        return;
    }
    CaptureTarget target;
    target.windowID = game->windowID();
    target.processID = game->processID();
    XcbWindowSnapshotter snapshotter(session->display());
    Failures failures;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        try {
            const CapturedWindowSnapshot snapshot = veyra::test::runTask(snapshotter.capture(target));
            benchmark::DoNotOptimize(snapshot.image.constBits());
        } catch (const std::exception &error) {
            failures.add(error.what());
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        idle();
    }
    failures.report(state);
    state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(1) * 4);
}

void backToBack(benchmark::State &state)
{
    const auto game = startGame(state);
    if (!game) {
        return;
    }
    XcbWindowImageReader reader(session->display());
    Failures failures;
    // The first read redirects the window; the capture loop's reads are the later ones.
    try {
        reader.read(game->windowID(), game->processID());
    } catch (const std::exception &error) {
        failures.add(error.what());
    }
    for (auto _ : state) {
        try {
            const QImage image = reader.read(game->windowID(), game->processID());
            benchmark::DoNotOptimize(image.constBits());
        } catch (const std::exception &error) {
            failures.add(error.what());
        }
    }
    failures.report(state);
    state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(1) * 4);
}

void memoryCopy(benchmark::State &state)
{
    const std::size_t bytes = std::size_t(state.range(0)) * std::size_t(state.range(1)) * 4;
    const bool cold = state.range(2) != 0;
    std::vector<unsigned char> source(bytes, 0x5a);
    std::vector<unsigned char> target(bytes, 0x00);
    // More than any cache: writing it drives the frame's bytes out.
    std::vector<unsigned char> other(cold ? 256u << 20 : 0u);
    unsigned char round = 0;
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            std::memset(other.data(), ++round, other.size());
            benchmark::ClobberMemory();
            state.ResumeTiming();
        }
        std::memcpy(target.data(), source.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

} // namespace

BENCHMARK(inLoopCapture)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(backToBack)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(memoryCopy)
    ->ArgNames({"width", "height", "cold"})
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 1})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    // Room for the larger window with its frame.
    XvfbSession::Options options;
    options.width = 4096;
    options.height = 2416;
    auto x11 = std::make_unique<XvfbSession>(options);
    if (!x11->isRunning()) {
        return 2;
    }
    session = x11.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
