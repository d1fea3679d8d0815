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
//   --verbose    every frame's expected and recognised text (in the sweep, those read with errors)
//   --dump=DIR   writes each frame with its search region marked, as DIR/<language>-<seed>.png,
//                and what the recogniser gets of it (in the sweep, the frames read with errors,
//                as DIR/<language>-<seed>-<scale>.png)
//
// The window-size sweep replaces the runs above: the player makes the capture area on
// each frame at its own size, then the game's window takes every size from FROM to TO
// times that (the frame drawn anew at that size, the area carried over by the processor).
//   --sweep[=FROM:TO]  window scales (default 0.60:1.50), --step=S apart (default 0.01)
//   --frames=N         frames per language at each scale (default 20 in the sweep)
//   --jobs=N           scales read at once, each by a worker thread with engines of its own
//                      (default 1)
//   --readings=FILE    writes every reading, a line each: language, seed, scale, errors, text
//                      (tab-separated)
//   --compare=FILE     pairs every reading with the one of the same frame and scale in FILE
//                      (written by --readings, e.g. by the code before a change) and prints
//                      how many read better and worse, and every one read worse
// It prints the character error rate of each language at each scale, the readings in
// another script than the box's and the boxes read as nothing, and per language the worst
// scale, the mean over the scales and the scales above 2 %.
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "capture/pipeline/FrameCrops.h"
#include "capture/recognition/DialogueSearchRegionDetector.h"
#include "capture/recognition/DialogueTextIsolation.h"
#include "capture/recognition/TesseractTextRecognizer.h"
#include "support/GameDialogueFrames.h"
#include "support/RecognitionQuality.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThreadPool>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>
#include <thread>
#include <vector>

using namespace veyra;
using namespace veyra::test;

namespace {

std::optional<int> framesOption;
int framesPerLanguage = 40;
std::uint32_t firstSeed = 1;
int frameScale = 1;
bool verbose = false;
QString dumpFolder;
bool sweep = false;
double sweepFrom = 0.60;
double sweepTo = 1.50;
double sweepStep = 0.01;
int sweepJobs = 1;
QString readingsFile;
QString compareFile;

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

// Writes the frame with the area's search region marked as the processor carries it onto
// the frame, and what the recogniser gets from it: the box found there and its text
// isolated (when there is any), as DIR/<name>.png, <name>-box.png and <name>-text.png.
void dump(const GameDialogueFrame &frame, const CaptureAreaProfile &profile, const QString &name)
{
    const CaptureArea &area = profile.areas.front();
    const CaptureRegion carried
        = area.searchRegion
              .scaled(static_cast<double>(frame.frame.width()) / static_cast<double>(profile.referenceImageWidth),
                  static_cast<double>(frame.frame.height()) / static_cast<double>(profile.referenceImageHeight))
              .clamped({0, 0, frame.frame.width(), frame.frame.height()});
    const QRect searchRegion(static_cast<int>(carried.left), static_cast<int>(carried.top),
        static_cast<int>(carried.width), static_cast<int>(carried.height));
    QImage marked = frame.frame;
    QPainter painter(&marked);
    painter.setPen(QPen(Qt::magenta, 2, Qt::DashLine));
    painter.drawRect(searchRegion);
    painter.end();
    marked.save(QDir(dumpFolder).filePath(name + QStringLiteral(".png")));
    const QImage region = frame.frame.copy(searchRegion);
    const auto box = DialogueSearchRegionDetector().detect(region, area.backgroundPattern);
    const std::optional<QRect> boxPixels = box ? cropRect(region.size(), *box) : std::nullopt;
    if (boxPixels) {
        const QImage boxImage = region.copy(*boxPixels);
        boxImage.save(QDir(dumpFolder).filePath(name + QStringLiteral("-box.png")));
        const QImage text = isolatingDialogueText(boxImage, area.backgroundPattern);
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
                dump(frame, captureAreaProfileFor(frame),
                    QStringLiteral("%1-%2").arg(dialogueLanguageName(language).toLower()).arg(seed));
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

constexpr std::array<DialogueLanguage, 3> languages{
    DialogueLanguage::english, DialogueLanguage::japanese, DialogueLanguage::korean};

// Whether the text is written mostly in the language's script (letters only: punctuation,
// digits and spaces aside); a text without letters is not.
bool inScriptOf(DialogueLanguage language, const QString &text)
{
    int letters = 0;
    int inScript = 0;
    for (char32_t scalar : text.toUcs4()) {
        if (!QChar::isLetter(scalar)) {
            continue;
        }
        ++letters;
        const QChar::Script script = QChar::script(scalar);
        switch (language) {
        case DialogueLanguage::english:
            inScript += script == QChar::Script_Latin ? 1 : 0;
            break;
        case DialogueLanguage::japanese:
            inScript
                += script == QChar::Script_Han || script == QChar::Script_Hiragana || script == QChar::Script_Katakana
                ? 1
                : 0;
            break;
        case DialogueLanguage::korean:
            inScript += script == QChar::Script_Hangul ? 1 : 0;
            break;
        }
    }
    return letters > 0 && 2 * inScript >= letters;
}

// One scale's readings of one language.
struct SweepCell
{
    RecognitionScore score;
    // Readings with letters, mostly of another script than the box's.
    int otherScript = 0;
    // Boxes read as nothing.
    int nothing = 0;
};

// One frame read at one scale.
struct SweepReading
{
    std::uint32_t seed = 0;
    qsizetype errors = 0;
    QString text;
};

struct SweepRow
{
    double scale = 1.0;
    std::map<DialogueLanguage, SweepCell> cells;
    std::map<DialogueLanguage, std::vector<SweepReading>> readings;
};

// The key of a reading in a readings file: language, seed and scale as written there.
QString readingKey(DialogueLanguage language, std::uint32_t seed, double scale)
{
    return QStringLiteral("%1\t%2\t%3").arg(dialogueLanguageName(language)).arg(seed).arg(scale, 0, 'f', 3);
}

void writeReadings(const std::vector<SweepRow> &rows)
{
    QFile file(readingsFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        std::fprintf(stderr, "Cannot write %s.\n", qPrintable(readingsFile));
        return;
    }
    QTextStream out(&file);
    for (const SweepRow &row : rows) {
        for (const auto &[language, readings] : row.readings) {
            for (const SweepReading &reading : readings) {
                out << readingKey(language, reading.seed, row.scale) << '\t' << reading.errors << '\t' << reading.text
                    << '\n';
            }
        }
    }
}

// Pairs the readings with those of the file and prints which read better and worse.
void compareReadings(const std::vector<SweepRow> &rows)
{
    QFile file(compareFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "Cannot read %s.\n", qPrintable(compareFile));
        return;
    }
    std::map<QString, std::pair<qsizetype, QString>> earlier;
    QTextStream in(&file);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() >= 5) {
            earlier[fields.mid(0, 3).join(QLatin1Char('\t'))]
                = {fields[3].toLongLong(), fields.mid(4).join(QLatin1Char('\t'))};
        }
    }
    std::printf("\nCompared with %s\n%-9s %8s %8s %8s %8s\n", qPrintable(compareFile), "language", "paired", "same",
        "better", "worse");
    for (DialogueLanguage language : languages) {
        int paired = 0;
        int same = 0;
        int better = 0;
        int worse = 0;
        for (const SweepRow &row : rows) {
            for (const SweepReading &reading : row.readings.at(language)) {
                const auto found = earlier.find(readingKey(language, reading.seed, row.scale));
                if (found == earlier.end()) {
                    continue;
                }
                ++paired;
                const auto &[errors, text] = found->second;
                same += text == reading.text ? 1 : 0;
                better += reading.errors < errors ? 1 : 0;
                worse += reading.errors > errors ? 1 : 0;
                if (reading.errors != errors && (verbose || reading.errors > errors)) {
                    std::printf("  %s %.2f %s %u: %lld -> %lld errors\n    before: %s\n    now:    %s\n",
                        reading.errors > errors ? "worse " : "better", row.scale,
                        qPrintable(dialogueLanguageName(language)), reading.seed, static_cast<long long>(errors),
                        static_cast<long long>(reading.errors), qPrintable(text), qPrintable(reading.text));
                }
            }
        }
        std::printf("%-9s %8d %8d %8d %8d\n", qPrintable(dialogueLanguageName(language)), paired, same, better, worse);
    }
}

// A frame processor of its own, on one worker thread, whose recogniser loads engines of its
// own (engines are kept per data path: a folder of links to the installed models), so that
// the jobs of the sweep never wait for one another's engines. Where the links cannot be
// made, it shares the installed models' engines.
struct SweepReader
{
    QTemporaryDir models;
    QThreadPool pool;
    std::unique_ptr<DefaultCaptureFrameProcessor> processor;

    SweepReader()
    {
        bool linked = models.isValid();
        for (const QString &model : TesseractTextRecognizer::models()) {
            const QString file = model + QStringLiteral(".traineddata");
            linked = linked
                && QFile::link(QDir(TesseractTextRecognizer::defaultDataPath()).filePath(file), models.filePath(file));
        }
        pool.setMaxThreadCount(1);
        pool.setExpiryTimeout(-1);
        processor = std::make_unique<DefaultCaptureFrameProcessor>(
            std::make_shared<TesseractTextRecognizer>(
                linked ? models.path() : TesseractTextRecognizer::defaultDataPath()),
            std::make_shared<DialogueSearchRegionDetector>(), Logger("CapturePipeline"), &pool);
    }
};

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("unknown");
    }
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

void runSweep()
{
    const int frames = framesOption.value_or(20);
    const int count = std::max(1, static_cast<int>(std::floor((sweepTo - sweepFrom) / sweepStep + 1e-6)) + 1);
    // The capture area of every frame, made on it at its own size.
    std::map<std::pair<DialogueLanguage, int>, CaptureAreaProfile> profiles;
    for (DialogueLanguage language : languages) {
        for (int k = 0; k < frames; ++k) {
            profiles[{language, k}]
                = captureAreaProfileFor(generateGameDialogueFrame(language, firstSeed + static_cast<std::uint32_t>(k)));
        }
    }
    const QString loadBefore = loadAverage();
    QElapsedTimer wall;
    wall.start();
    std::vector<SweepRow> rows(static_cast<std::size_t>(count));
    std::atomic<int> nextRow{0};
    const auto work = [&] {
        SweepReader reader;
        for (int index = nextRow.fetch_add(1); index < count; index = nextRow.fetch_add(1)) {
            SweepRow &row = rows[static_cast<std::size_t>(index)];
            row.scale = std::round((sweepFrom + index * sweepStep) * 1000.0) / 1000.0;
            for (DialogueLanguage language : languages) {
                SweepCell &cell = row.cells[language];
                for (int k = 0; k < frames; ++k) {
                    const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(k);
                    const GameDialogueFrame frame = generateGameDialogueFrame(language, seed, row.scale);
                    const QString text
                        = readThroughFrameProcessor(*reader.processor, frame.frame, profiles.at({language, k}));
                    const RecognitionScore score = scoreRecognition(frame.lines, text);
                    cell.score += score;
                    cell.nothing += text.isEmpty() ? 1 : 0;
                    cell.otherScript += !text.isEmpty() && !inScriptOf(language, text) ? 1 : 0;
                    row.readings[language].push_back({seed, score.errors, text});
                    if (!dumpFolder.isEmpty() && score.errors > 0) {
                        dump(frame, profiles.at({language, k}),
                            QStringLiteral("%1-%2-%3")
                                .arg(dialogueLanguageName(language).toLower())
                                .arg(seed)
                                .arg(row.scale, 0, 'f', 2));
                    }
                    if (verbose && score.errors > 0) {
                        std::printf("[%.2f %s %u] %s\n  expected: %s\n  read:     %s\n", row.scale,
                            qPrintable(dialogueLanguageName(language)), seed, qPrintable(frame.description),
                            qPrintable(frame.lines.join(QLatin1Char(' '))), qPrintable(text));
                    }
                }
            }
        }
    };
    std::vector<std::thread> jobs;
    for (int job = 0; job < std::min(sweepJobs, count); ++job) {
        jobs.emplace_back(work);
    }
    for (std::thread &job : jobs) {
        job.join();
    }
    const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;

    std::printf("\nCER %% per window scale (%d frames a language, seeds %u-%u; another script / read as nothing)\n",
        frames, firstSeed, firstSeed + static_cast<std::uint32_t>(frames) - 1);
    std::printf("%-6s %9s %9s %9s %14s %8s\n", "scale", "English", "Japanese", "Korean", "other script", "nothing");
    for (const SweepRow &row : rows) {
        int otherScript = 0;
        int nothing = 0;
        std::printf("%-6.2f", row.scale);
        for (DialogueLanguage language : languages) {
            const SweepCell &cell = row.cells.at(language);
            std::printf(" %9.2f", 100.0 * cell.score.characterErrorRate());
            otherScript += cell.otherScript;
            nothing += cell.nothing;
        }
        std::printf(" %14d %8d\n", otherScript, nothing);
    }
    std::printf("\n%-9s %14s %8s %14s %13s %8s\n", "language", "worst (scale)", "mean", "scales > 2 %", "other script",
        "nothing");
    for (DialogueLanguage language : languages) {
        double worst = -1.0;
        double worstScale = 0.0;
        double sum = 0.0;
        int over = 0;
        int otherScript = 0;
        int nothing = 0;
        for (const SweepRow &row : rows) {
            const SweepCell &cell = row.cells.at(language);
            const double rate = 100.0 * cell.score.characterErrorRate();
            if (rate > worst) {
                worst = rate;
                worstScale = row.scale;
            }
            sum += rate;
            over += rate > 2.0 ? 1 : 0;
            otherScript += cell.otherScript;
            nothing += cell.nothing;
        }
        std::printf("%-9s %7.2f (%.2f) %7.2f %8d of %-3d %13d %8d\n", qPrintable(dialogueLanguageName(language)), worst,
            worstScale, sum / count, over, count, otherScript, nothing);
    }
    std::printf("\n%d jobs, %.0f s; load average before %s, after %s\n", std::min(sweepJobs, count), seconds,
        qPrintable(loadBefore), qPrintable(loadAverage()));
    if (!readingsFile.isEmpty()) {
        writeReadings(rows);
    }
    if (!compareFile.isEmpty()) {
        compareReadings(rows);
    }
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

int main(int argc, char **argv)
{
    ::setenv("OMP_THREAD_LIMIT", "1", 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    std::vector<char *> remaining;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--frames=", 9) == 0) {
            framesOption = std::max(1, std::atoi(argv[i] + 9));
            framesPerLanguage = *framesOption;
        } else if (std::strncmp(argv[i], "--seed=", 7) == 0) {
            firstSeed = static_cast<std::uint32_t>(std::strtoul(argv[i] + 7, nullptr, 10));
        } else if (std::strncmp(argv[i], "--scale=", 8) == 0) {
            frameScale = std::clamp(std::atoi(argv[i] + 8), 1, 4);
        } else if (std::strcmp(argv[i], "--sweep") == 0) {
            sweep = true;
        } else if (std::strncmp(argv[i], "--sweep=", 8) == 0) {
            sweep = true;
            if (std::sscanf(argv[i] + 8, "%lf:%lf", &sweepFrom, &sweepTo) != 2 || !(sweepFrom > 0.0)
                || !(sweepTo >= sweepFrom) || sweepTo > 4.0) {
                std::fprintf(stderr, "--sweep takes FROM:TO, window scales above 0 and at most 4.\n");
                return 2;
            }
        } else if (std::strncmp(argv[i], "--step=", 7) == 0) {
            sweepStep = std::atof(argv[i] + 7);
            if (!(sweepStep >= 0.001)) {
                std::fprintf(stderr, "--step takes a scale step of at least 0.001.\n");
                return 2;
            }
        } else if (std::strncmp(argv[i], "--jobs=", 7) == 0) {
            sweepJobs = std::clamp(std::atoi(argv[i] + 7), 1, 16);
        } else if (std::strncmp(argv[i], "--readings=", 11) == 0) {
            readingsFile = QString::fromLocal8Bit(argv[i] + 11);
        } else if (std::strncmp(argv[i], "--compare=", 10) == 0) {
            compareFile = QString::fromLocal8Bit(argv[i] + 10);
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
    if (sweep) {
        runSweep();
        return 0;
    }
    for (DialogueLanguage language : languages) {
        benchmark::RegisterBenchmark(
            ("BM_RecognitionQuality/" + dialogueLanguageName(language).toLower()).toStdString().c_str(),
            BM_RecognitionQuality, language)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_SteadyScreenRecognitions", BM_SteadyScreenRecognitions)
        ->Iterations(5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&remainingCount, remaining.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
