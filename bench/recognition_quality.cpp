// How well Veyra reads game dialogue: generated game frames (tests/support/GameDialogueFrames)
// go through the application's own path (a capture area with a rough search region and an
// eyedropper-picked colour, the frame processor with the live detector and recogniser, on
// one worker thread), and the result is compared with what the box says.
//
// Prints, per language, the character error rate, the share of lines read exactly and the
// median and 90th-percentile CPU time per box (and the median wall time); and how many recognitions a steady screen
// costs. Options (before Google Benchmark's own):
//   --frames=N   frames per language (default 40)
//   --seed=S     first seed (default 1); frame k of a language uses seed S + k
//   --scale=N    draws every frame at N times its size (2: the frames of a 4K display)
//   --verbose    every frame's expected and recognised text
//   --dump=DIR   writes each frame with its search region marked, as DIR/<language>-<seed>.png
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "capture/recognition/DialogueSearchRegionDetector.h"
#include "capture/recognition/DialogueTextIsolation.h"
#include "capture/recognition/TesseractTextRecognizer.h"
#include "support/GameDialogueFrames.h"
#include "support/RecognitionQuality.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

using namespace veyra;
using namespace veyra::test;

namespace {

int framesPerLanguage = 40;
std::uint32_t firstSeed = 1;
int frameScale = 1;
bool verbose = false;
QString dumpFolder;

// Counts the recognitions that reach the engine.
class CountingRecognizer : public TextRecognizing
{
public:
    QString recognizeText(const QImage &image) const override
    {
        calls.fetch_add(1);
        return m_recognizer.recognizeText(image);
    }
    QString recognizeDialogueText(const QImage &box, const DialogueBackgroundPattern &pattern) const override
    {
        calls.fetch_add(1);
        return m_recognizer.recognizeDialogueText(box, pattern);
    }
    mutable std::atomic<int> calls{0};

private:
    TesseractTextRecognizer m_recognizer;
};

struct Setup
{
    QThreadPool pool;
    std::shared_ptr<CountingRecognizer> recognizer = std::make_shared<CountingRecognizer>();
    std::unique_ptr<DefaultCaptureFrameProcessor> processor;

    Setup()
    {
        // One worker thread that never expires: one core, one engine kept loaded.
        pool.setMaxThreadCount(1);
        pool.setExpiryTimeout(-1);
        processor = std::make_unique<DefaultCaptureFrameProcessor>(
            recognizer, std::make_shared<DialogueSearchRegionDetector>(), Logger("CapturePipeline"), &pool);
    }
};

Setup &setup()
{
    static Setup instance;
    return instance;
}

// CPU time of the whole process: the worker that detects and reads, and the thread that
// waits for it. The machine may be shared, so wall time alone would count others' work.
double processCpuMilliseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct LanguageResult
{
    RecognitionScore score;
    std::vector<double> milliseconds;
    std::vector<double> cpuMilliseconds;
    int boxes = 0;
    int exactBoxes = 0;
};

std::map<DialogueLanguage, LanguageResult> results;

double percentile(std::vector<double> values, double share)
{
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void dump(const GameDialogueFrame &frame, std::uint32_t seed)
{
    QImage marked = frame.frame;
    QPainter painter(&marked);
    painter.setPen(QPen(Qt::magenta, 2, Qt::DashLine));
    painter.drawRect(frame.searchRegion);
    painter.setPen(QPen(Qt::magenta, 1));
    painter.drawEllipse(frame.eyedropperPixel, 8, 8);
    painter.end();
    const QString name = QStringLiteral("%1-%2").arg(dialogueLanguageName(frame.language).toLower()).arg(seed);
    marked.save(QDir(dumpFolder).filePath(name + QStringLiteral(".png")));
    // What the recogniser gets from it.
    const CaptureArea area = captureAreaProfileFor(frame).areas.front();
    const QImage region = frame.frame.copy(frame.searchRegion);
    if (const auto box = DialogueSearchRegionDetector().detect(region, area.backgroundPattern)) {
        region.copy(box->toRect()).save(QDir(dumpFolder).filePath(name + QStringLiteral("-box.png")));
        const QImage text = isolatingDialogueText(region.copy(box->toRect()), area.backgroundPattern);
        if (!text.isNull()) {
            text.save(QDir(dumpFolder).filePath(name + QStringLiteral("-text.png")));
        }
    }
}

void BM_RecognitionQuality(benchmark::State &state, DialogueLanguage language)
{
    Setup &s = setup();
    LanguageResult &result = results[language];
    for (auto _ : state) {
        for (int k = 0; k < framesPerLanguage; ++k) {
            const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(k);
            const GameDialogueFrame frame = generateGameDialogueFrame(language, seed, frameScale);
            if (!dumpFolder.isEmpty()) {
                dump(frame, seed);
            }
            QElapsedTimer timer;
            timer.start();
            const double cpuStart = processCpuMilliseconds();
            const QString text = readThroughFrameProcessor(*s.processor, frame);
            const double cpu = processCpuMilliseconds() - cpuStart;
            const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
            result.cpuMilliseconds.push_back(cpu);
            const RecognitionScore score = scoreRecognition(frame.lines, text);
            result.score += score;
            result.milliseconds.push_back(ms);
            ++result.boxes;
            if (score.errors == 0) {
                ++result.exactBoxes;
            }
            if (verbose) {
                std::printf("[%s %u] %s\n  expected: %s\n  read:     %s\n  errors %lld/%lld, %.0f ms (%.0f ms CPU)\n",
                    qPrintable(dialogueLanguageName(language)), seed, qPrintable(frame.description),
                    qPrintable(frame.lines.join(QLatin1Char(' '))), qPrintable(text),
                    static_cast<long long>(score.errors), static_cast<long long>(score.characters), ms, cpu);
            }
        }
        state.SetIterationTime(percentile(result.cpuMilliseconds, 0.5) / 1000.0);
    }
    state.counters["CER_percent"] = 100.0 * result.score.characterErrorRate();
    state.counters["exactLines_percent"] = 100.0 * result.score.exactLineShare();
    state.counters["medianCpuMsPerBox"] = percentile(result.cpuMilliseconds, 0.5);
    state.counters["p90CpuMsPerBox"] = percentile(result.cpuMilliseconds, 0.9);
    state.counters["medianWallMsPerBox"] = percentile(result.milliseconds, 0.5);
    state.counters["boxes"] = result.boxes;
}

// The same frame twice through one run's cache: the second pass reads nothing.
void BM_SteadyScreenRecognitions(benchmark::State &state)
{
    Setup &s = setup();
    const GameDialogueFrame frame = generateGameDialogueFrame(DialogueLanguage::english, firstSeed, frameScale);
    int recognitions = 0;
    for (auto _ : state) {
        auto cache = std::make_shared<CaptureFrameRecognitionCache>();
        readThroughFrameProcessor(*s.processor, frame, cache);
        const int before = s.recognizer->calls.load();
        QElapsedTimer timer;
        timer.start();
        benchmark::DoNotOptimize(readThroughFrameProcessor(*s.processor, frame, cache));
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        recognitions += s.recognizer->calls.load() - before;
    }
    state.counters["recognitionsPerSteadyPass"] = benchmark::Counter(recognitions, benchmark::Counter::kAvgIterations);
}

void printSummary()
{
    std::printf("\n%-9s %6s %6s %7s %11s %11s %10s %10s %10s\n", "language", "boxes", "lines", "CER %", "exact lines",
        "exact boxes", "median CPU", "p90 CPU", "median wall");
    RecognitionScore total;
    std::vector<double> all;
    std::vector<double> allWall;
    for (const auto &[language, result] : results) {
        std::printf("%-9s %6d %6d %7.2f %10.1f%% %10.1f%% %7.1f ms %7.1f ms %8.1f ms\n",
            qPrintable(dialogueLanguageName(language)), result.boxes, result.score.lines,
            100.0 * result.score.characterErrorRate(), 100.0 * result.score.exactLineShare(),
            100.0 * result.exactBoxes / std::max(result.boxes, 1), percentile(result.cpuMilliseconds, 0.5),
            percentile(result.cpuMilliseconds, 0.9), percentile(result.milliseconds, 0.5));
        total += result.score;
        all.insert(all.end(), result.cpuMilliseconds.begin(), result.cpuMilliseconds.end());
        allWall.insert(allWall.end(), result.milliseconds.begin(), result.milliseconds.end());
    }
    std::printf("%-9s %6zu %6d %7.2f %10.1f%% %11s %7.1f ms %7.1f ms %8.1f ms\n", "all", all.size(), total.lines,
        100.0 * total.characterErrorRate(), 100.0 * total.exactLineShare(), "", percentile(all, 0.5),
        percentile(all, 0.9), percentile(allWall, 0.5));
}

} // namespace

BENCHMARK_CAPTURE(BM_RecognitionQuality, english, DialogueLanguage::english)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecognitionQuality, japanese, DialogueLanguage::japanese)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecognitionQuality, korean, DialogueLanguage::korean)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SteadyScreenRecognitions)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    ::setenv("OMP_THREAD_LIMIT", "1", 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    std::vector<char *> remaining;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--frames=", 9) == 0) {
            framesPerLanguage = std::max(1, std::atoi(argv[i] + 9));
        } else if (std::strncmp(argv[i], "--seed=", 7) == 0) {
            firstSeed = static_cast<std::uint32_t>(std::strtoul(argv[i] + 7, nullptr, 10));
        } else if (std::strncmp(argv[i], "--scale=", 8) == 0) {
            frameScale = std::clamp(std::atoi(argv[i] + 8), 1, 4);
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            verbose = true;
        } else if (std::strncmp(argv[i], "--dump=", 7) == 0) {
            dumpFolder = QString::fromLocal8Bit(argv[i] + 7);
            QDir().mkpath(dumpFolder);
        } else {
            remaining.push_back(argv[i]);
        }
    }
    int remainingCount = static_cast<int>(remaining.size());
    QGuiApplication application(remainingCount, remaining.data());
    for (const QString &family : gameDialogueFontFamilies()) {
        if (!QFontDatabase::families().contains(family)) {
            std::fprintf(
                stderr, "The font family %s is not installed (scripts/bootstrap installs it).\n", qPrintable(family));
            return 1;
        }
    }
    benchmark::Initialize(&remainingCount, remaining.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
