// One snapshot of a 1920 x 1080 and of a 3840 x 2160 window of the test game on a
// private X server, against a plain copy of the same number of bytes.
#include "capture/x11/XcbWindowSnapshotter.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/XvfbSession.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace veyra;
using veyra::test::TestGameWindow;
using veyra::test::XvfbSession;

namespace {

XvfbSession *session = nullptr;

void snapshot(benchmark::State &state)
{
    TestGameWindow::Options options;
    options.size = QSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    options.position = QPoint(0, 0);
    options.text = QStringLiteral("ベンチマーク");
    TestGameWindow game(*session, options);
    if (!game.isRunning()) {
        state.SkipWithError(game.errorString().toStdString().c_str());
        return;
    }
    CaptureTarget target;
    target.windowID = game.windowID();
    target.processID = game.processID();
    XcbWindowSnapshotter snapshotter(session->display());
    // The first capture redirects the window; the capture loop's calls are the later ones.
    veyra::test::runTask(snapshotter.capture(target));
    for (auto _ : state) {
        CapturedWindowSnapshot result = veyra::test::runTask(snapshotter.capture(target));
        benchmark::DoNotOptimize(result.image.constBits());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(1) * 4);
}

void memoryCopy(benchmark::State &state)
{
    const std::size_t bytes = std::size_t(state.range(0)) * std::size_t(state.range(1)) * 4;
    std::vector<unsigned char> source(bytes, 0x5a);
    std::vector<unsigned char> target(bytes);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}

} // namespace

BENCHMARK(snapshot)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(memoryCopy)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    XvfbSession::Options options;
    options.width = 3840;
    options.height = 2160;
    auto x11 = std::make_unique<XvfbSession>(options);
    if (!x11->isRunning()) {
        return 2;
    }
    session = x11.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
