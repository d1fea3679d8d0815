// The live capture loop for a while over a window of the test game on a private X
// server: capture areas over its dialogue box, the live snapshotter, detector and
// Tesseract, built by the application's factory. The scene scales with the window: the
// box, its text and the areas keep their place relative to the window's size.
//
// Each benchmark runs once per window size for the steady phase only (after warm-up:
// engines loaded, first texts reported) and reports as counters:
//   cpu_per_s        CPU seconds of this process per wall second
//   xserver_cpu_per_s, game_cpu_per_s   the same for Xvfb and the test game
//   passes, events   captures finished and textChanged events in the phase
//   cpu_s_per_change CPU seconds of this process per change of the dialogue shown
//   latency_*_ms     from a change on screen (setText returned) to its textChanged, the
//                    moment the application sends the text to be translated
//   peak_rss_MiB     VmHWM of this process since the scene of this size began (reset
//                    through /proc/self/clear_refs); the first size in a process also
//                    holds the load of the recognition engines, so for the peak of one
//                    size from start-up run it alone
//   engines          recognition engines (one script's model each) loaded so far
//
// Options (besides Google Benchmark's):
//   --size=WIDTHxHEIGHT  the game window's size, repeatable (1920x1080 by default)
//   --areas=N            the number of capture areas (2 by default): one area covers the
//                        region around the box; two cut it between the box's two text
//                        lines; more cut each line's half into bands
//   --duration=SECONDS   the length of each phase (60 by default)
//   --lines=A,B          two lines of the given languages (en, ja, ko) instead of one
//                        English text over both lines, one area over each line: "en,en"
//                        has two areas of one language read by one engine in turn, "en,ja"
//                        two of two languages read by two engines at once
#include "capture/pipeline/CapturePipelineFactory.h"
#include "capture/pipeline/FixedCapturePipelineTiming.h"
#include "capture/recognition/DefaultDialogueBackgroundPatternAnalyzer.h"
#include "capture/recognition/TesseractTextRecognizer.h"
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
#include <cmath>
#include <cstdio>
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
int areaCount = 2;
// The languages of the box's two lines, when each line has one.
QStringList lineLanguages;

// The scene at 1920 x 1080; other sizes scale it.
constexpr double referenceWidth = 1920.0;
constexpr double referenceHeight = 1080.0;
const QRect referenceBox(96, 756, 1728, 270);
constexpr int referenceFontPixelSize = 40;
// The box's two text lines meet here (40 px text, centred); the areas span from the
// top of the region to its bottom.
constexpr int referenceLineSplitY = 897;
constexpr int referenceRegionTop = 700;
constexpr int referenceRegionBottom = 1070;
constexpr int referenceRegionLeft = 60;
constexpr int referenceRegionWidth = 1800;

// The scene of one window size.
struct Layout
{
    QSize windowSize;
    QRect boxRect;
    int fontPixelSize = referenceFontPixelSize;
    QVector<CaptureRegion> areas;
};

Layout layoutFor(QSize windowSize, int areas)
{
    const double sx = windowSize.width() / referenceWidth;
    const double sy = windowSize.height() / referenceHeight;
    const auto x = [sx](int value) { return static_cast<std::int64_t>(std::lround(value * sx)); };
    const auto y = [sy](int value) { return static_cast<std::int64_t>(std::lround(value * sy)); };
    Layout layout;
    layout.windowSize = windowSize;
    layout.boxRect = QRect(static_cast<int>(x(referenceBox.x())), static_cast<int>(y(referenceBox.y())),
        static_cast<int>(x(referenceBox.width())), static_cast<int>(y(referenceBox.height())));
    layout.fontPixelSize = static_cast<int>(std::lround(referenceFontPixelSize * sy));
    const std::int64_t left = x(referenceRegionLeft);
    const std::int64_t width = x(referenceRegionWidth);
    // Horizontal bands between the given edges, `count` of equal height.
    const auto bands = [&layout, left, width](std::int64_t top, std::int64_t bottom, int count) {
        for (int index = 0; index < count; ++index) {
            const std::int64_t from = top + (bottom - top) * index / count;
            const std::int64_t to = top + (bottom - top) * (index + 1) / count;
            layout.areas.append(CaptureRegion{left, from, width, to - from});
        }
    };
    if (areas <= 1) {
        bands(y(referenceRegionTop), y(referenceRegionBottom), 1);
    } else {
        bands(y(referenceRegionTop), y(referenceLineSplitY), (areas + 1) / 2);
        bands(y(referenceLineSplitY), y(referenceRegionBottom), areas / 2);
    }
    return layout;
}

QString sizeName(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

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

// Lines that fit one line of the box, by language, with few words or characters in common.
const QStringList englishLines{
    QStringLiteral("The bridge to the north collapsed after the storm."),
    QStringLiteral("Captain Mirela keeps the harbour map in her desk."),
    QStringLiteral("Nobody has entered the lighthouse for twenty winters."),
    QStringLiteral("Bring me three silver feathers from Mount Orrin."),
    QStringLiteral("The guards change shifts at midnight, so be quick."),
    QStringLiteral("Hot soup costs two coins and a warm bed costs five."),
    QStringLiteral("Our scouts report smoke rising beyond the frozen lake."),
    QStringLiteral("Solve the riddle carved into this ancient stone door."),
    QStringLiteral("Grandmother said forest spirits dance with fireflies."),
    QStringLiteral("The last ferry to Port Salinas leaves at dusk today."),
    QStringLiteral("Sharpen your sword before the tournament begins."),
    QStringLiteral("Whispers in the tavern speak of a hidden treasure."),
};
const QStringList japaneseLines{
    QStringLiteral("北の橋は嵐で崩れてしまった。"),
    QStringLiteral("船長は古い港の地図を机にしまっている。"),
    QStringLiteral("二十年も灯台に入った者はいない。"),
    QStringLiteral("銀の羽を三枚持ってきてくれ。"),
    QStringLiteral("衛兵は真夜中に交代するから急げ。"),
    QStringLiteral("温かいスープは銅貨二枚です。"),
    QStringLiteral("凍った湖の向こうに煙が見える。"),
    QStringLiteral("石の扉に刻まれた謎を解いてみよ。"),
    QStringLiteral("祖母は森の精霊が踊ると言っていた。"),
    QStringLiteral("最後の渡し船は夕暮れに出発する。"),
    QStringLiteral("大会の前に剣を研いでおきなさい。"),
    QStringLiteral("酒場では隠された宝の噂が流れている。"),
};
const QStringList koreanLines{
    QStringLiteral("폭풍 때문에 북쪽 다리가 무너졌습니다."),
    QStringLiteral("선장은 오래된 항구 지도를 책상에 둡니다."),
    QStringLiteral("이십 년 동안 아무도 등대에 가지 않았다."),
    QStringLiteral("은빛 깃털 세 개를 가져다주세요."),
    QStringLiteral("경비병은 자정에 교대하니 서두르세요."),
    QStringLiteral("따뜻한 수프는 동전 두 개입니다."),
    QStringLiteral("얼어붙은 호수 너머로 연기가 보여요."),
    QStringLiteral("돌문에 새겨진 수수께끼를 풀어 보세요."),
    QStringLiteral("할머니는 숲의 정령이 춤춘다고 하셨다."),
    QStringLiteral("마지막 배는 해 질 녘에 떠납니다."),
    QStringLiteral("대회 전에 칼을 갈아 두세요."),
    QStringLiteral("주점에서는 숨겨진 보물 소문이 돕니다."),
};

// The text shown for the nth change: one English text over the box's two lines, or a
// line of each language of --lines (the two lines of one language differ).
QString dialogueText(qsizetype index)
{
    if (lineLanguages.isEmpty()) {
        return dialogueLines[index % dialogueLines.size()];
    }
    QStringList lines;
    for (qsizetype line = 0; line < lineLanguages.size(); ++line) {
        const QString &language = lineLanguages[line];
        const QStringList &pool = language == QLatin1String("ja") ? japaneseLines
            : language == QLatin1String("ko")                     ? koreanLines
                                                                  : englishLines;
        lines.append(pool[(index + line * pool.size() / 2) % pool.size()]);
    }
    // A line separator breaks the line where the game draws it.
    return lines.join(QChar(QChar::LineSeparator));
}

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

// Starts a new peak of the resident memory (VmHWM) from what is resident now.
void resetPeakResident()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly)) {
        clearRefs.write("5");
    }
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

// What tells a text from the others: its Latin words of four letters or more, and each
// pair of neighbouring letters of other scripts (Japanese and Korean).
QSet<QString> wordsOf(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[^a-z]+"));
    QSet<QString> words;
    for (const QString &word : text.toLower().split(separators, Qt::SkipEmptyParts)) {
        if (word.size() >= 4) {
            words.insert(word);
        }
    }
    QString letters;
    for (const QChar character : text) {
        if (character.unicode() >= 0x3040 && character.isLetter()) {
            letters.append(character);
        }
    }
    for (qsizetype index = 0; index + 1 < letters.size(); ++index) {
        words.insert(letters.mid(index, 2));
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
    Scene(benchmark::State &state, const Layout &layout)
    {
        resetPeakResident();
        TestGameWindow::Options options;
        options.title = QStringLiteral("Benchmark Quest");
        options.size = layout.windowSize;
        options.position = QPoint(0, 0);
        options.boxColor = QColor(0x1e, 0x2a, 0x44);
        options.boxRect = layout.boxRect;
        options.fontPixelSize = layout.fontPixelSize;
        options.text = dialogueText(0);
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
        QImage reference;
        try {
            reference = veyra::test::runTask(live->capture(target)).image;
        } catch (const std::exception &error) {
            state.SkipWithError((std::string("the editor's snapshot failed: ") + error.what()).c_str());
            return;
        }
        const auto sampled = DefaultDialogueBackgroundPatternAnalyzer().analyze(
            reference, CaptureRegion{layout.boxRect.x() + 10, layout.boxRect.y() + 6, 80, 16});
        if (reference.size() != layout.windowSize || !sampled) {
            state.SkipWithError("the editor's snapshot failed");
            return;
        }
        CaptureAreaProfile profile;
        profile.windowTitle = options.title;
        profile.referenceImageWidth = reference.width();
        profile.referenceImageHeight = reference.height();
        for (qsizetype index = 0; index < layout.areas.size(); ++index) {
            profile.areas.append(
                CaptureArea{QStringLiteral("area-%1").arg(index + 1), layout.areas[index], sampled->first});
        }

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
        // Warm-up: the first texts read (the engines are loaded), then a few passes more.
        const auto expected = static_cast<std::size_t>(std::min<qsizetype>(profile.areas.size(), 2));
        if (!veyra::test::waitUntil([this, expected] { return m_reported.size() >= expected; }, 180000)) {
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

    // Returns the CPU seconds of this process over the phase.
    double report(benchmark::State &state) const
    {
        const double wall = std::chrono::duration<double>(Clock::now() - m_wall).count();
        const double cpu = processCPUSeconds() - m_process;
        state.SetIterationTime(wall);
        state.counters["cpu_per_s"] = cpu / wall;
        state.counters["xserver_cpu_per_s"] = (otherProcessCPUSeconds(m_xServerID).value_or(0.0) - m_xServer) / wall;
        state.counters["game_cpu_per_s"] = (otherProcessCPUSeconds(m_gameID).value_or(0.0) - m_game) / wall;
        state.counters["peak_rss_MiB"] = peakResidentMiB();
        state.counters["engines"] = TesseractTextRecognizer::loadedEngineCount();
        return cpu;
    }

private:
    qint64 m_xServerID;
    qint64 m_gameID;
    Clock::time_point m_wall;
    double m_process;
    double m_xServer;
    double m_game;
};

void unchangedDialogue(benchmark::State &state, Layout layout)
{
    for (auto _ : state) {
        Scene scene(state, layout);
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

void dialogueChangingEverySecond(benchmark::State &state, Layout layout)
{
    for (auto _ : state) {
        Scene scene(state, layout);
        if (!scene.isReady()) {
            return;
        }
        std::vector<Change> changes;
        qsizetype next = 1;
        QTimer changer;
        changer.setTimerType(Qt::PreciseTimer);
        changer.setInterval(1000);
        QObject::connect(&changer, &QTimer::timeout, [&] {
            const QString text = dialogueText(next);
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
        const double cpuSeconds = meter.report(state);

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
        if (!changes.empty()) {
            state.counters["cpu_s_per_change"] = cpuSeconds / static_cast<double>(changes.size());
        }
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
    // Our own options first: Google Benchmark rejects flags it does not know.
    std::vector<char *> arguments;
    QVector<QSize> sizes;
    for (int i = 0; i < argc; ++i) {
        const auto value = [&](const char *flag) -> const char * {
            return std::strncmp(argv[i], flag, std::strlen(flag)) == 0 ? argv[i] + std::strlen(flag) : nullptr;
        };
        if (const char *duration = value("--duration=")) {
            phaseSeconds = std::max(1.0, std::atof(duration));
        } else if (const char *areas = value("--areas=")) {
            areaCount = std::max(1, std::atoi(areas));
        } else if (const char *lines = value("--lines=")) {
            lineLanguages = QString::fromLatin1(lines).split(QLatin1Char(','));
            if (lineLanguages.size() != 2) {
                std::fprintf(stderr, "--lines wants two languages, such as en,ja\n");
                return 1;
            }
        } else if (const char *size = value("--size=")) {
            const QStringList parts = QString::fromLatin1(size).split(QLatin1Char('x'));
            const QSize parsed = parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
            if (parsed.width() < 320 || parsed.height() < 180) {
                std::fprintf(stderr, "--size wants WIDTHxHEIGHT of at least 320x180, not %s\n", size);
                return 1;
            }
            sizes.append(parsed);
        } else {
            arguments.push_back(argv[i]);
        }
    }
    if (sizes.isEmpty()) {
        sizes.append(QSize(1920, 1080));
    }
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);

    QCoreApplication application(count, arguments.data());
    benchmark::Initialize(&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments(count, arguments.data())) {
        return 1;
    }
    // Room for the largest window with its frame.
    XvfbSession::Options options;
    for (const QSize &size : sizes) {
        options.width = std::max(options.width, size.width() + 256);
        options.height = std::max(options.height, size.height() + 256);
    }
    auto x11 = std::make_unique<XvfbSession>(options);
    if (!x11->isRunning()) {
        return 2;
    }
    session = x11.get();
    for (const QSize &size : sizes) {
        const Layout layout = layoutFor(size, lineLanguages.isEmpty() ? areaCount : 2);
        const QString lines
            = lineLanguages.isEmpty() ? QString() : QStringLiteral("/lines:") + lineLanguages.join(QLatin1Char('+'));
        const std::string suffix
            = QStringLiteral("/%1/areas:%2%3").arg(sizeName(size)).arg(layout.areas.size()).arg(lines).toStdString();
        benchmark::RegisterBenchmark(("capturePipeline/unchangedDialogue" + suffix).c_str(), unchangedDialogue, layout)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kSecond);
        benchmark::RegisterBenchmark(
            ("capturePipeline/dialogueChangingEverySecond" + suffix).c_str(), dialogueChangingEverySecond, layout)
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kSecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
