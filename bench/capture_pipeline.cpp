// The live capture loop for a while over a 1920 x 1080 window of the test game on a
// private X server: two capture areas (the two lines of its dialogue box), the live
// snapshotter, detector and Tesseract, built by the application's factory.
//
// Each benchmark runs once for the steady phase only (after warm-up: engines loaded,
// first texts reported) and reports as counters:
//   cpu_per_s        CPU seconds of this process per wall second
//   xserver_cpu_per_s, game_cpu_per_s   the same for Xvfb and the test game
//   passes, events   captures finished and textChanged events in the phase
//   latency_*_ms     from a change on screen (setText returned) to its textChanged
//   peak_rss_MiB     VmHWM of this process so far
//
// Options (besides Google Benchmark's): --duration=SECONDS, the length of each phase
// (60 by default).
#include "capture/pipeline/CapturePipelineFactory.h"
#include "capture/pipeline/FixedCapturePipelineTiming.h"
#include "capture/recognition/DefaultDialogueBackgroundPatternAnalyzer.h"
#include "capture/x11/XcbWindowSnapshotter.h"
#include "support/CountingSnapshotter.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/XvfbSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <vector>

using namespace veyra;
using veyra::test::CountingSnapshotter;
using veyra::test::TestGameWindow;
using veyra::test::XvfbSession;
using Clock = std::chrono::steady_clock;

namespace {

XvfbSession *session = nullptr;
double phaseSeconds = 60.0;

const QSize windowSize(1920, 1080);
const QRect boxRect(96, 756, 1728, 270);
// The box's two text lines meet here (40 px text, centred).
constexpr int lineSplitY = 897;

// Two sentences each, long enough to wrap onto exactly two lines of the box, with few
// words in common so that a recognised line tells which text it came from.
const QStringList dialogueLines{
    QStringLiteral("The bridge to the north has collapsed after the storm, so the caravan must wait in the valley "
                   "until the river calms down again."),
    QStringLiteral("Captain Mirela keeps the old harbour map locked in her desk; ask her nicely and she might lend it "
                   "to you before sunrise tomorrow."),
    QStringLiteral("Nobody has entered the abandoned lighthouse for twenty winters, yet every night a green lantern "
                   "burns at the very top of its tower."),
    QStringLiteral("Bring me three silver feathers from the eagles of Mount Orrin and I will forge a blade worthy of "
                   "your father's famous name."),
    QStringLiteral("Quiet! The guards change shifts at midnight, which gives us exactly four minutes to climb over "
                   "the eastern wall unseen."),
    QStringLiteral("Welcome, traveller. Hot soup costs two coins, a warm bed costs five, and stories about dragons are "
                   "always free of charge here."),
    QStringLiteral("Our scouts report smoke rising beyond the frozen lake, probably from bandits camping near the "
                   "ruined monastery gates."),
    QStringLiteral("If you solve the riddle carved into this stone door, the ancient library of Velmora will finally "
                   "open its treasures to you."),
    QStringLiteral("Grandmother always said the forest spirits dance whenever fireflies gather above the pond during "
                   "the longest summer evening."),
    QStringLiteral("Please hurry, the last ferry to Port Salinas leaves at dusk, and missing it means another week "
                   "stuck on this miserable island."),
};

double processCPUSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// utime + stime of another process, from /proc/<pid>/stat; nothing when unreadable.
std::optional<double> otherProcessCPUSeconds(qint64 processID)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(processID));
    if (!stat.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray line = stat.readAll();
    // The fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) {
        return std::nullopt;
    }
    // Fields 14 and 15 of the whole line.
    const double ticks = static_cast<double>(fields[11].toLongLong() + fields[12].toLongLong());
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// The Xvfb this process started.
std::optional<qint64> xServerProcessID()
{
    const QString self = QString::number(::getpid());
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isNumber = false;
        const qint64 processID = entry.toLongLong(&isNumber);
        if (!isNumber) {
            continue;
        }
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (line.contains("(Xvfb)") && fields.size() > 1 && fields[1] == self.toLatin1()) {
            return processID;
        }
    }
    return std::nullopt;
}

double peakResidentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0.0;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return 0.0;
}

QSet<QString> wordsOf(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[^a-z]+"));
    QSet<QString> words;
    for (const QString &word : text.toLower().split(separators, Qt::SkipEmptyParts)) {
        if (word.size() >= 4) {
            words.insert(word);
        }
    }
    return words;
}

struct Change
{
    Clock::time_point shown;
    QSet<QString> words;
    bool reported = false;
};

struct ReportedText
{
    Clock::time_point at;
    QString text;
};

// Runs the event loop for the given time.
void runFor(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(static_cast<qint64>(seconds * 1000.0)), &loop, &QEventLoop::quit);
    loop.exec();
}

// One game window with the loop running over it, warmed up.
class Scene
{
public:
    explicit Scene(benchmark::State &state)
    {
        TestGameWindow::Options options;
        options.title = QStringLiteral("Benchmark Quest");
        options.size = windowSize;
        options.position = QPoint(0, 0);
        options.boxColor = QColor(0x1e, 0x2a, 0x44);
        options.boxRect = boxRect;
        options.text = dialogueLines.front();
        m_game = std::make_unique<TestGameWindow>(*session, options);
        if (!m_game->isRunning()) {
            state.SkipWithError(m_game->errorString().toStdString().c_str());
            return;
        }
        CaptureTarget target;
        target.windowID = m_game->windowID();
        target.processID = m_game->processID();
        target.windowTitle = options.title;

        // The editor's snapshot and eyedropper.
        auto live = std::make_shared<XcbWindowSnapshotter>(session->display());
        const QImage reference = veyra::test::runTask(live->capture(target)).image;
        const auto sampled = DefaultDialogueBackgroundPatternAnalyzer().analyze(
            reference, CaptureRegion{boxRect.x() + 10, boxRect.y() + 6, 80, 16});
        if (reference.size() != windowSize || !sampled) {
            state.SkipWithError("the editor's snapshot failed");
            return;
        }
        CaptureAreaProfile profile;
        profile.windowTitle = options.title;
        profile.referenceImageWidth = reference.width();
        profile.referenceImageHeight = reference.height();
        profile.areas.append(
            CaptureArea{QStringLiteral("first-line"), CaptureRegion{60, 700, 1800, lineSplitY - 700}, sampled->first});
        profile.areas.append(CaptureArea{
            QStringLiteral("second-line"), CaptureRegion{60, lineSplitY, 1800, 1070 - lineSplitY}, sampled->first});

        m_snapshotter = std::make_shared<CountingSnapshotter>(live);
        m_controller
            = makeCapturePipelineController(m_snapshotter, false, std::make_shared<FixedCapturePipelineTiming>(1000));
        m_controller->setOnEvent([this](const CapturePipelineEvent &event) {
            if (event.kind() == CapturePipelineEvent::Kind::textChanged) {
                m_reported.push_back({Clock::now(), event.text().text});
            } else {
                m_targetLost = true;
            }
        });
        m_controller->start(target, profile);
        // Warm-up: both lines read (the engines are loaded), then a few passes more.
        if (!veyra::test::waitUntil([this] { return m_reported.size() >= 2; }, 180000)) {
            state.SkipWithError("the loop reported no text");
            return;
        }
        const int until = m_snapshotter->finished() + 3;
        veyra::test::waitUntil([this, until] { return m_snapshotter->finished() >= until; }, 60000);
        m_reported.clear();
        m_ready = true;
    }

    ~Scene()
    {
        if (m_controller) {
            m_controller->stop();
        }
    }

    bool isReady() const { return m_ready && !m_targetLost; }
    TestGameWindow &game() { return *m_game; }
    int passes() const { return m_snapshotter->finished(); }
    const std::vector<ReportedText> &reported() const { return m_reported; }

private:
    std::unique_ptr<TestGameWindow> m_game;
    std::shared_ptr<CountingSnapshotter> m_snapshotter;
    std::unique_ptr<CapturePipelineController> m_controller;
    std::vector<ReportedText> m_reported;
    bool m_targetLost = false;
    bool m_ready = false;
};

// CPU of this process, the X server and the game over one phase.
class CPUMeter
{
public:
    CPUMeter(qint64 xServer, qint64 game)
        : m_xServerID(xServer)
        , m_gameID(game)
        , m_wall(Clock::now())
        , m_process(processCPUSeconds())
        , m_xServer(otherProcessCPUSeconds(xServer).value_or(0.0))
        , m_game(otherProcessCPUSeconds(game).value_or(0.0))
    { }

    void report(benchmark::State &state) const
    {
        const double wall = std::chrono::duration<double>(Clock::now() - m_wall).count();
        state.SetIterationTime(wall);
        state.counters["cpu_per_s"] = (processCPUSeconds() - m_process) / wall;
        state.counters["xserver_cpu_per_s"] = (otherProcessCPUSeconds(m_xServerID).value_or(0.0) - m_xServer) / wall;
        state.counters["game_cpu_per_s"] = (otherProcessCPUSeconds(m_gameID).value_or(0.0) - m_game) / wall;
        state.counters["peak_rss_MiB"] = peakResidentMiB();
    }

private:
    qint64 m_xServerID;
    qint64 m_gameID;
    Clock::time_point m_wall;
    double m_process;
    double m_xServer;
    double m_game;
};

void unchangedDialogue(benchmark::State &state)
{
    for (auto _ : state) {
        Scene scene(state);
        if (!scene.isReady()) {
            return;
        }
        const int passesBefore = scene.passes();
        const CPUMeter meter(xServerProcessID().value_or(0), scene.game().processID());
        runFor(phaseSeconds);
        meter.report(state);
        state.counters["passes"] = scene.passes() - passesBefore;
        state.counters["events"] = static_cast<double>(scene.reported().size());
    }
}

void dialogueChangingEverySecond(benchmark::State &state)
{
    for (auto _ : state) {
        Scene scene(state);
        if (!scene.isReady()) {
            return;
        }
        std::vector<Change> changes;
        qsizetype next = 1;
        QTimer changer;
        changer.setTimerType(Qt::PreciseTimer);
        changer.setInterval(1000);
        QObject::connect(&changer, &QTimer::timeout, [&] {
            const QString text = dialogueLines[next % dialogueLines.size()];
            ++next;
            if (scene.game().setText(text)) {
                changes.push_back({Clock::now(), wordsOf(text), false});
            }
        });

        const int passesBefore = scene.passes();
        const CPUMeter meter(xServerProcessID().value_or(0), scene.game().processID());
        changer.start();
        runFor(phaseSeconds);
        changer.stop();
        meter.report(state);

        // Each reported line belongs to the latest change shown before it whose words it
        // shares most.
        std::vector<double> latencies;
        for (const ReportedText &reported : scene.reported()) {
            const QSet<QString> words = wordsOf(reported.text);
            Change *best = nullptr;
            qsizetype bestShared = 0;
            for (Change &change : changes) {
                if (change.shown > reported.at || reported.at - change.shown > std::chrono::seconds(5)) {
                    continue;
                }
                const qsizetype shared = QSet<QString>(words).intersect(change.words).size();
                if (shared > 0 && shared >= bestShared) {
                    best = &change;
                    bestShared = shared;
                }
            }
            if (best) {
                best->reported = true;
                latencies.push_back(std::chrono::duration<double, std::milli>(reported.at - best->shown).count());
            }
        }
        std::sort(latencies.begin(), latencies.end());
        state.counters["passes"] = scene.passes() - passesBefore;
        state.counters["events"] = static_cast<double>(scene.reported().size());
        state.counters["changes"] = static_cast<double>(changes.size());
        state.counters["changes_reported"] = static_cast<double>(
            std::count_if(changes.begin(), changes.end(), [](const Change &change) { return change.reported; }));
        if (!latencies.empty()) {
            state.counters["latency_median_ms"] = latencies[latencies.size() / 2];
            state.counters["latency_max_ms"] = latencies.back();
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    // Our own option first: Google Benchmark rejects flags it does not know.
    std::vector<char *> arguments;
    for (int i = 0; i < argc; ++i) {
        constexpr const char *durationFlag = "--duration=";
        if (std::strncmp(argv[i], durationFlag, std::strlen(durationFlag)) == 0) {
            phaseSeconds = std::max(1.0, std::atof(argv[i] + std::strlen(durationFlag)));
        } else {
            arguments.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);

    QCoreApplication application(count, arguments.data());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
        return 1;
    }
    // Room for the whole 1920 x 1080 window with its frame.
    XvfbSession::Options options;
    options.width = 2560;
    options.height = 1440;
    auto x11 = std::make_unique<XvfbSession>(options);
    if (!x11->isRunning()) {
        return 2;
    }
    session = x11.get();
    benchmark::RegisterBenchmark("capturePipeline/unchangedDialogue", unchangedDialogue)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("capturePipeline/dialogueChangingEverySecond", dialogueChangingEverySecond)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
