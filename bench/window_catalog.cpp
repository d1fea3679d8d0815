// One listing of the window catalog with 30 windows open (10 game processes with three
// windows each) on a private X server with openbox. The run is repeated (mean, median,
// spread and coefficient of variation are reported), because one run on a shared machine
// says little. A failed listing is counted (counter "failures") and the run goes on.
#include "capture/x11/XcbWindowCatalog.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/XvfbSession.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

using namespace veyra;
using veyra::test::TestGameWindow;
using veyra::test::XvfbSession;

namespace {

XvfbSession *session = nullptr;

void catalogListing(benchmark::State &state)
{
    std::vector<std::unique_ptr<TestGameWindow>> games;
    for (int i = 0; i < 10; ++i) {
        TestGameWindow::Options options;
        options.windowClass = QStringLiteral("Game %1").arg(i);
        options.title = QStringLiteral("Window A");
        options.size = QSize(320, 200);
        options.extraWindowTitles = {QStringLiteral("Window B"), QStringLiteral("Window C")};
        games.push_back(std::make_unique<TestGameWindow>(*session, options));
        if (!games.back()->isRunning()) {
            state.SkipWithError(games.back()->errorString().toStdString().c_str());
            return;
        }
    }
    XcbWindowCatalog catalog(session->display());
    qsizetype windows = 0;
    int failures = 0;
    for (auto _ : state) {
        try {
            const QVector<CaptureApplicationGroup> groups = veyra::test::runTask(catalog.applicationGroups());
            windows = 0;
            for (const CaptureApplicationGroup &group : groups) {
                windows += group.windows.size();
            }
        } catch (const std::exception &error) {
            if (failures++ == 0) {
                std::fprintf(stderr, "a listing failed: %s\n", error.what());
            }
        }
        benchmark::DoNotOptimize(windows);
    }
    state.counters["windows"] = static_cast<double>(windows);
    state.counters["failures"] = static_cast<double>(failures);
}

} // namespace

BENCHMARK(catalogListing)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(10)->DisplayAggregatesOnly(true);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    auto x11 = std::make_unique<XvfbSession>();
    if (!x11->isRunning()) {
        return 2;
    }
    session = x11.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
