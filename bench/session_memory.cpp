// The resident memory of the veyra executable of this build through a player's session:
// a signed-in player (the refresh token in the keyring, renewed by the service stand-in)
// with two capture areas over the dialogue box of the test game, the dialogue changing
// every 3 s (English, with one Japanese and one Korean line, so that the three models
// load as in a player's session), and between phases of play what a player does in a
// long session: the first visit to the capture-area editor (its guide on top, and with both
// on the screen the settings and the game notes, all four then closed), two visits to the
// editor (each draws an area over the box, dragged there, picks its background with the
// eyedropper and saves; the second first deletes the area the first drew), the settings
// (the account section, the interface language changed to Japanese and back), the game
// notes, and re-picks of the game
// window as a player makes them: the game's process ends, the overlay says "Capture
// window unavailable", a new game window starts, "Choose Another Window", Refresh, the
// game's application and window, Return, and play goes on.
//
// It drives the real program as the product tests do (pointer and keys through XTEST on
// its windows, found by their identities; texts read off the screen with Tesseract) on a
// private X server with openbox, against the service stand-in, so that every thread,
// engine, image and window of the program is what a player's has. The program runs in a
// private D-Bus session with an unlocked gnome-keyring of its own (the benchmark starts
// itself again inside one, with OMP_THREAD_LIMIT=1 as the application and the tests run:
// its own Tesseract, which reads the screen, then keeps to one core).
//
// Reported as counters (MiB):
//   peak_rss_MiB     the program's peak resident memory (VmHWM) over the whole session;
//                    stderr names the step during which the highest sample was taken
//   end_rss_MiB      its resident memory at the end, after the last play phase
//   first_visit_MiB  while the editor, its guide, the settings and the game notes show
//                    together, a minute into play (--first-play)
//   first_visit_peak_MiB  the peak (VmHWM) once they are closed: the session's highest
//                    so far, the play before them included
//   editor_N_MiB     while the Nth editor visit shows its drawn area, before saving
//   after_play_MiB, after_first_visit_MiB, after_editor_N_MiB, after_settings_MiB,
//   after_notes_MiB
//                    at the end of the play phase after each step
//   repick_N_MiB     after the Nth re-pick, once its play phase has settled: the median
//                    of the samples of the phase's last quarter
//   per_repick_KiB   the least-squares slope of those settled figures over the re-picks;
//                    per_repick_without_files_KiB the same without the pages of files
//                    (libraries, fonts), which the kernel drops and reads again as it likes
//   peak_*_MiB       where the resident memory lay at the sample nearest the peak: the
//                    main thread's heap, the other threads' malloc arenas, other anonymous
//                    memory (large blocks, stacks), shared memory (the frame's segment,
//                    the windows' backing stores) and files (libraries, fonts)
//   end_*_MiB        the same at the end
//   threads, arenas  the program's threads and malloc arenas at the end
// and each step's figures on stderr as the session goes.
//
// Options (besides Google Benchmark's):
//   --play=SECONDS   the length of each play phase (20 by default)
//   --first-play=SECONDS  the length of the play before the first visit (60 by default)
//   --repicks=N      the number of re-picks (5 by default)
//   --mappings=N     lists the N mappings (files, and anonymous memory by its access)
//                    that hold most of the resident memory after each step and at the end
// VEYRA_TEST_SCREENSHOTS, when it names a folder, receives a screenshot of each step.
#include "account/coordinator/AuthenticationStackFactory.h"
#include "account/tokens/KeychainRefreshTokenStore.h"
#include "capture/areas/FileCaptureAreaStore.h"
#include "capture/recognition/DefaultDialogueBackgroundPatternAnalyzer.h"
#include "capture/x11/XcbWindowCatalog.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/identity/ApplicationFolder.h"
#include "support/AuthenticationServiceScript.h"
#include "support/ColourArea.h"
#include "support/GameTitleServiceScript.h"
#include "support/GoogleAuthorizationServer.h"
#include "support/MinimumVersionPolicyScript.h"
#include "support/RunTask.h"
#include "support/ScreenText.h"
#include "support/ServiceStandIn.h"
#include "support/StandInInfo.h"
#include "support/TestGameWindow.h"
#include "support/TranslationServiceScript.h"
#include "support/UpdateFeedScript.h"
#include "support/VeyraProcess.h"
#include "support/X11Desktop.h"
#include "support/X11Probe.h"
#include "support/XTestKeyboard.h"
#include "support/XTestPointer.h"
#include "support/XvfbSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace veyra;
using namespace veyra::test;

namespace {

int playSeconds = 20;
int firstPlaySeconds = 60;
int repickCount = 5;
int showMappings = 0;

const char *const keyringSessionVariable = "VEYRA_BENCH_KEYRING_SESSION";
const QString mainWindow = QStringLiteral("main");
const QString overlayWindow = QStringLiteral("overlay");
const QString overlayControls = QStringLiteral("overlay-controls");
const QString editorWindow = QStringLiteral("capture-areas");
const QString guideWindow = QStringLiteral("capture-area-guide");
const QString settingsWindow = QStringLiteral("settings");
const QString notesWindow = QStringLiteral("game-notes");
constexpr int stepTimeoutMs = 60000;
constexpr int readingPauseMs = 150;

const QString clientID = QStringLiteral("veyra-bench.apps.googleusercontent.com");
const QString clientSecret = QStringLiteral("GOCSPX-veyra-bench");
const QString reversedClientID = QStringLiteral("com.googleusercontent.apps.veyra-bench");

// A borderless game filling the screen; the box and the areas as bench/capture_pipeline
// lays them out at this size: two areas, cut between the box's two text lines.
const QSize gameSize(1920, 1080);
const QRect boxRect(96, 756, 1728, 270);
const QVector<CaptureRegion> areaRegions{{60, 700, 1800, 197}, {60, 897, 1800, 173}};
// The two solid blocks of the test game's landscape at this size, far from the areas:
// where they show on the editor's canvas tells where the game's picture lies there.
const QRect brownBlock(192, 360, 240, 180);
const QColor brownColour(0x8b, 0x5a, 0x2b);
const QRect greyBlock(1344, 270, 160, 270);
const QColor greyColour(0x55, 0x55, 0x60);
// A new area starts in the middle of the picture; it is dragged onto the box, where the
// eyedropper picks a bare patch above the text.
const QPoint pictureCentre(960, 540);
const QPoint boxCentre = boxRect.center() + QPoint(1, 1);
const QPoint bareBoxPatch(606, 795);

const QStringList dialogueLines{
    QStringLiteral("The bridge to the north has collapsed after the storm, so the caravan must wait in the valley "
                   "until the river calms down again."),
    QStringLiteral("Captain Mirela keeps the old harbour map locked in her desk; ask her nicely and she might lend it "
                   "to you before sunrise tomorrow."),
    QStringLiteral("北の橋は嵐で崩れてしまったので、川が静かになるまで隊商は谷で待たなければならない。"
                   "明日の朝にはきっと道が開けるだろう。"),
    QStringLiteral("Nobody has entered the abandoned lighthouse for twenty winters, yet every night a green lantern "
                   "burns at the very top of its tower."),
    QStringLiteral("폭풍 때문에 북쪽 다리가 무너졌으니 강이 잔잔해질 때까지 상인들은 골짜기에서 기다려야 "
                   "합니다. 내일 아침이면 길이 열릴 거예요."),
    QStringLiteral("Bring me three silver feathers from the eagles of Mount Orrin and I will forge a blade worthy of "
                   "your father's famous name."),
    QStringLiteral("Quiet! The guards change shifts at midnight, which gives us exactly four minutes to climb over "
                   "the eastern wall unseen."),
    QStringLiteral("Welcome, traveller. Hot soup costs two coins, a warm bed costs five, and stories about dragons are "
                   "always free of charge here."),
};

double mebibytes(qint64 kibibytes)
{
    return static_cast<double>(kibibytes) / 1024.0;
}

// Where a process's resident memory lies, in KiB, from /proc/<pid>/smaps.
struct MemoryMap
{
    qint64 mainHeap = 0;
    qint64 threadArenas = 0;
    qint64 otherAnonymous = 0;
    qint64 sharedMemory = 0;
    qint64 files = 0;
    int arenas = 0;

    qint64 total() const { return mainHeap + threadArenas + otherAnonymous + sharedMemory + files; }

    static MemoryMap of(qint64 processID)
    {
        MemoryMap map;
        QFile smaps(QStringLiteral("/proc/%1/smaps").arg(processID));
        if (!smaps.open(QIODevice::ReadOnly)) {
            return map;
        }
        // A malloc arena of a thread other than the main one is a heap of its own, mapped
        // at a multiple of its largest size (64 MiB) and grown inside that reservation.
        constexpr quint64 arenaAlignment = 64ULL << 20;
        qint64 *current = nullptr;
        for (const QByteArray &line : smaps.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 5 && fields[0].contains('-') && !fields[0].endsWith(':')) {
                const quint64 start = fields[0].left(fields[0].indexOf('-')).toULongLong(nullptr, 16);
                const QByteArray path = fields.size() >= 6 ? fields.mid(5).join(' ') : QByteArray();
                if (path == "[heap]") {
                    current = &map.mainHeap;
                } else if (path.startsWith("/SYSV") || path.startsWith("/dev/shm") || path.startsWith("/memfd:")) {
                    current = &map.sharedMemory;
                } else if (path.startsWith('/')) {
                    current = &map.files;
                } else if (path.isEmpty() && fields[1] == "rw-p" && start % arenaAlignment == 0) {
                    current = &map.threadArenas;
                    ++map.arenas;
                } else {
                    current = &map.otherAnonymous;
                }
            } else if (current && fields.size() >= 2 && fields[0] == "Rss:") {
                *current += fields[1].toLongLong();
            }
        }
        return map;
    }
};

// A value of /proc/<pid>/status in KiB (or a count), 0 when unreadable.
qint64 statusValue(qint64 processID, const QByteArray &name)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(processID));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name + ':')) {
            return line.mid(name.size() + 1).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return 0;
}

// Samples the program's resident memory while the session runs, and keeps where it lay
// at the highest sample and during which step.
class MemorySampler
{
public:
    explicit MemorySampler(qint64 processID)
        : m_processID(processID)
    {
        m_timer.setInterval(200);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { sample(); });
        m_timer.start();
    }

    void sample()
    {
        const qint64 resident = statusValue(m_processID, "VmRSS");
        m_samples.push_back({std::chrono::steady_clock::now(), resident, statusValue(m_processID, "RssFile")});
        // A map read costs a few milliseconds of the program's time: only near a new high.
        if (resident > m_highest + 256) {
            m_highest = resident;
            m_atHighest = MemoryMap::of(m_processID);
            m_highestStep = m_step;
        }
    }

    // Names what the session does from now on.
    void setStep(std::string step) { m_step = std::move(step); }

    // The resident memory, and that part of it that is no file's pages (which the kernel
    // drops and reads again as it likes): the medians of the samples taken since the time.
    struct Settled
    {
        qint64 resident = 0;
        qint64 withoutFiles = 0;
    };
    Settled medianSince(std::chrono::steady_clock::time_point since) const
    {
        std::vector<qint64> resident;
        std::vector<qint64> withoutFiles;
        for (const Sample &sample : m_samples) {
            if (sample.at >= since) {
                resident.push_back(sample.resident);
                withoutFiles.push_back(sample.resident - sample.files);
            }
        }
        if (resident.empty()) {
            return {this->resident(), this->resident() - statusValue(m_processID, "RssFile")};
        }
        const auto median = [](std::vector<qint64> &values) {
            std::sort(values.begin(), values.end());
            return values[values.size() / 2];
        };
        return {median(resident), median(withoutFiles)};
    }

    qint64 peak() const { return statusValue(m_processID, "VmHWM"); }
    qint64 resident() const { return statusValue(m_processID, "VmRSS"); }
    const MemoryMap &atHighest() const { return m_atHighest; }
    const std::string &highestStep() const { return m_highestStep; }

private:
    qint64 m_processID;
    QTimer m_timer;
    qint64 m_highest = 0;
    MemoryMap m_atHighest;
    std::string m_step = "start";
    std::string m_highestStep;
    struct Sample
    {
        std::chrono::steady_clock::time_point at;
        qint64 resident = 0;
        qint64 files = 0;
    };
    std::vector<Sample> m_samples;
};

void runFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The player at the test X server: reads windows, clicks what they show.
class Player
{
public:
    explicit Player(const XvfbSession &x11)
        : m_desktop(x11.display())
        , m_pointer(x11.display())
        , m_keyboard(x11.display())
        , m_probe(x11.display())
    { }

    bool isValid() const
    {
        return m_desktop.isValid() && m_pointer.isValid() && m_keyboard.isValid() && m_reader.isValid();
    }

    std::optional<X11ManagedWindow> window(const QString &role) { return m_desktop.viewableWindowWithRole(role); }

    bool waitForWindow(const QString &role)
    {
        return waitUntil([&] { return window(role).has_value(); }, stepTimeoutMs, readingPauseMs);
    }
    bool waitForNoWindow(const QString &role)
    {
        return waitUntil([&] { return !window(role).has_value(); }, stepTimeoutMs, readingPauseMs);
    }

    // Where the phrase shows inside the window (or, without a role, the area), once it does.
    std::optional<QRect> waitForText(const QString &role, const QString &phrase, std::optional<QRect> area = {})
    {
        std::optional<QRect> found;
        waitUntil(
            [&] {
                const std::optional<QRect> region = area ? area : regionOf(role);
                if (!region) {
                    return false;
                }
                const QVector<ScreenWord> words = m_reader.read(m_desktop.screenshot(), *region,
                    [&phrase](const QVector<ScreenWord> &read) { return findPhrase(read, phrase).has_value(); });
                found = findPhrase(words, phrase);
                return found.has_value();
            },
            stepTimeoutMs, readingPauseMs);
        if (!found) {
            std::fprintf(stderr, "\"%s\" does not show in %s\n", qPrintable(phrase), qPrintable(role));
            // For a person to look at, where VEYRA_TEST_SCREENSHOTS names a folder.
            if (const QString folder = qEnvironmentVariable("VEYRA_TEST_SCREENSHOTS");
                !folder.isEmpty() && QDir().mkpath(folder)) {
                m_desktop.screenshot().save(QDir(folder).filePath(QStringLiteral("session-memory-failure.png")));
            }
        }
        return found;
    }

    bool clickText(const QString &role, const QString &phrase, std::optional<QRect> area = {})
    {
        const std::optional<QRect> place = waitForText(role, phrase, area);
        if (place) {
            m_pointer.clickAt(place->center());
        }
        return place.has_value();
    }

    // The words read inside the window, once `enough` holds for them.
    QVector<ScreenWord> waitForWords(const QString &role, const ScreenTextReader::Enough &enough)
    {
        QVector<ScreenWord> words;
        waitUntil(
            [&] {
                const std::optional<QRect> region = regionOf(role);
                words = region ? m_reader.read(m_desktop.screenshot(), *region, enough) : QVector<ScreenWord>();
                return enough(words);
            },
            stepTimeoutMs, readingPauseMs);
        return words;
    }

    void clickAt(QPoint point) { m_pointer.clickAt(point); }
    void rightClickAt(QPoint point) { m_pointer.rightClickAt(point); }
    bool tap(std::uint32_t key) { return m_keyboard.tap(key); }

    // A drag with the left button through points in between, a moment apart, as a hand
    // moves an area: the program sees each move.
    void drag(QPoint from, QPoint to)
    {
        m_pointer.dragLeft(from, to, 40, [] { runFor(15); });
    }

    // Asks the window manager to close the window, as its close button does.
    bool close(const QString &role)
    {
        const std::optional<X11ManagedWindow> found = window(role);
        if (!found) {
            return false;
        }
        m_probe.requestClose(found->id);
        return waitForNoWindow(role);
    }

    QImage screenshot() { return m_desktop.screenshot(); }

    // For a person to look at, where VEYRA_TEST_SCREENSHOTS names a folder.
    void shot(const QString &name)
    {
        if (const QString folder = qEnvironmentVariable("VEYRA_TEST_SCREENSHOTS");
            !folder.isEmpty() && QDir().mkpath(folder)) {
            m_desktop.screenshot().save(QDir(folder).filePath(QStringLiteral("session-memory-%1.png").arg(name)));
        }
    }

private:
    std::optional<QRect> regionOf(const QString &role)
    {
        const std::optional<X11ManagedWindow> found = window(role);
        return found ? std::optional<QRect>(found->geometry) : std::nullopt;
    }

    X11Desktop m_desktop;
    XTestPointer m_pointer;
    XTestKeyboard m_keyboard;
    X11Probe m_probe;
    ScreenTextReader m_reader;
};

// The game's picture on the editor's canvas: where a pixel of the game shows on the screen.
class PictureOnCanvas
{
public:
    // Found from where the landscape's two blocks show inside the editor window.
    static std::optional<PictureOnCanvas> find(const QImage &screen, const QRect &editor)
    {
        const std::optional<QRect> brown = colourArea(screen, editor, brownColour);
        const std::optional<QRect> grey = colourArea(screen, editor, greyColour);
        if (!brown || !grey) {
            return std::nullopt;
        }
        const QPointF brownCentre = QRectF(*brown).center();
        const double scale = (QRectF(*grey).center().x() - brownCentre.x())
            / (QRectF(greyBlock).center().x() - QRectF(brownBlock).center().x());
        if (scale <= 0.1) {
            return std::nullopt;
        }
        return PictureOnCanvas(brownCentre - QRectF(brownBlock).center() * scale, scale);
    }

    QPoint map(QPoint gamePixel) const { return (m_origin + QPointF(gamePixel) * m_scale).toPoint(); }
    bool operator==(const PictureOnCanvas &other) const
    {
        return map(QPoint(0, 0)) == other.map(QPoint(0, 0)) && std::abs(m_scale - other.m_scale) < 0.002;
    }

private:
    PictureOnCanvas(QPointF origin, double scale)
        : m_origin(origin)
        , m_scale(scale)
    { }

    QPointF m_origin;
    double m_scale;
};

class Session
{
public:
    Session()
    {
        const QByteArray policy = policyDocument(1, QStringLiteral("1"));
        m_service.setDefaultResponse("GET", minimumVersionPolicyPath, ScriptedResponse::raw(200, policy));
        m_service.setDefaultResponse(
            "GET", minimumVersionSignaturePath, ScriptedResponse::raw(200, testSignatureFile(policy), "text/plain"));
        m_service.setDefaultResponse(
            "GET", updateFeedPath, ScriptedResponse::raw(200, appcastDocument(m_service, {}), "application/xml"));
        m_service.setDefaultResponder("POST", refreshPath, [](const RecordedRequest &) {
            return ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access"), QStringLiteral("refresh")));
        });
        m_service.setDefaultResponse("GET", QStringLiteral("/v1/me"),
            ScriptedResponse::json(
                QJsonObject{{QStringLiteral("id"), QStringLiteral("0b6f1a52-2c1e-4f7d-9a53-6c1d2e3f4a5b")},
                    {QStringLiteral("email"), QStringLiteral("player@example.com")},
                    {QStringLiteral("display_name"), QStringLiteral("Player One")}}));
        m_service.setDefaultResponse("POST", gameTitleResolvePath,
            ScriptedResponse::json(gameTitleAnswer(QStringLiteral("Harbour Tales"), QStringLiteral("Harbour Tales"))));
        m_service.setDefaultResponder("POST", translationsPath, translatingResponder());
    }

    // Everything up to the player's first pick; an error message, or nothing.
    std::optional<QString> start()
    {
        if (!m_x11.isRunning()) {
            return m_x11.errorString();
        }
        if (!m_home.isValid() || !m_player.isValid()) {
            return QStringLiteral("no home folder, X input or screen reader");
        }
        if (!startGame()) {
            return m_game->errorString();
        }
        KeychainRefreshTokenStore keyring(
            refreshTokenKeychainService(appBundleIdentifier()), refreshTokenKeychainAccount);
        try {
            runTask(keyring.save(QStringLiteral("refresh-saved")));
        } catch (const std::exception &error) {
            return QStringLiteral("the keyring refused the session: %1").arg(QString::fromUtf8(error.what()));
        }
        if (const std::optional<QString> problem = saveCaptureAreas()) {
            return problem;
        }
        VeyraProcess::Options options;
        options.homeFolder = m_home.path();
        options.infoOverrides = infoOverrides();
        m_veyra = std::make_unique<VeyraProcess>(m_x11, options);
        if (!m_veyra->isRunning()) {
            return m_veyra->errorString();
        }
        m_sampler = std::make_unique<MemorySampler>(m_veyra->processID());
        m_lines.setInterval(3000);
        QObject::connect(&m_lines, &QTimer::timeout, [this] {
            if (m_game && m_game->isRunning()) {
                m_game->setText(dialogueLines[++m_nextLine % dialogueLines.size()]);
            }
        });
        if (!pickGame(false)) {
            return QStringLiteral("the first pick did not go into play:\n%1").arg(m_veyra->output());
        }
        return std::nullopt;
    }

    // Play with the dialogue changing every 3 s; the resident memory once it has settled:
    // the median of the samples of the phase's last quarter.
    MemorySampler::Settled play(int seconds = playSeconds)
    {
        m_lines.start();
        runFor(seconds * 750);
        const auto settling = std::chrono::steady_clock::now();
        runFor(seconds * 250);
        m_lines.stop();
        return m_sampler->medianSince(settling);
    }

    // The first visit to the editor, as a player makes it a minute into play: the editor
    // from the control strip's menu with its guide on top (it comes once the game's picture
    // is loaded), then, with both on the screen, the settings and the game notes from the
    // same menu; `allOpen` while the four show together; then the notes, the settings, the
    // guide and the editor closed.
    bool visitEditorWithSettingsAndNotes(const std::function<void()> &allOpen)
    {
        const auto failed = [this](const char *step) {
            std::fprintf(stderr, "the first visit failed: %s\n", step);
            m_player.shot(QStringLiteral("first-visit-failure"));
            return false;
        };
        if (!openFromStripMenu(QStringLiteral("Capture Areas")) || !m_player.waitForWindow(editorWindow)) {
            return failed("no editor window");
        }
        if (!m_player.waitForWindow(guideWindow)) {
            return failed("no guide");
        }
        if (!openFromStripMenu(QStringLiteral("Settings")) || !m_player.waitForWindow(settingsWindow)
            || !m_player.waitForText(settingsWindow, QStringLiteral("Interface language"))) {
            return failed("no settings window");
        }
        if (!openFromStripMenu(QStringLiteral("Game Notes")) || !m_player.waitForWindow(notesWindow)) {
            return failed("no game notes window");
        }
        if (!m_player.window(editorWindow) || !m_player.window(guideWindow) || !m_player.window(settingsWindow)) {
            return failed("a window went");
        }
        runFor(2000);
        m_player.shot(QStringLiteral("first-visit"));
        allOpen();
        if (!m_player.close(notesWindow) || !m_player.close(settingsWindow)) {
            return failed("the notes or the settings stay");
        }
        // Escape dismisses the guide (the overlay, which stays on top, may cover its
        // buttons); it is clicked first near its top left corner (its picture), where
        // nothing reacts to a click and the overlay in the middle of the screen is not, so
        // that it has the keyboard.
        const std::optional<X11ManagedWindow> guide = m_player.window(guideWindow);
        if (!guide) {
            return failed("the guide went");
        }
        m_player.clickAt(guide->geometry.topLeft() + QPoint(24, 24));
        if (!m_player.tap(XTestKeyboard::escapeKey) || !m_player.waitForNoWindow(guideWindow)) {
            return failed("the guide stays");
        }
        if (!m_player.close(editorWindow)) {
            return failed("the editor stays");
        }
        return true;
    }

    // The editor from the control strip's menu (after the first visit, without its guide):
    // the second visit first deletes the area the first drew; a new area, dragged from the
    // middle of the picture onto the box; the eyedropper on the box; `drawn` while the
    // editor shows it; saved.
    bool visitEditor(int visit, const std::function<void()> &drawn)
    {
        const auto failed = [this, visit](const char *step) {
            std::fprintf(stderr, "the editor's visit %d failed: %s\n", visit, step);
            m_player.shot(QStringLiteral("editor-failure"));
            return false;
        };
        if (!openFromStripMenu(QStringLiteral("Capture Areas"))) {
            return failed("no \"Edit Capture Areas\" in the control strip's menu");
        }
        if (!m_player.waitForWindow(editorWindow)) {
            return failed("no editor window");
        }
        if (!m_player.waitForText(editorWindow, QStringLiteral("Add Area"))) {
            return failed("the editor shows no Add Area");
        }
        // The game's picture on the canvas, once two screenshots in a row agree on it.
        std::optional<PictureOnCanvas> picture;
        std::optional<PictureOnCanvas> last;
        waitUntil(
            [&] {
                const std::optional<X11ManagedWindow> editor = m_player.window(editorWindow);
                last = std::exchange(
                    picture, editor ? PictureOnCanvas::find(m_player.screenshot(), editor->geometry) : std::nullopt);
                return picture && picture == last;
            },
            stepTimeoutMs, readingPauseMs);
        if (!picture) {
            return failed("the game's picture does not show on the canvas");
        }
        m_player.shot(QStringLiteral("editor-%1-open").arg(visit));
        if (visit > 1) {
            // The area drawn before lies over the box, above the stored ones.
            m_player.clickAt(picture->map(boxCentre));
            runFor(500);
            if (!m_player.clickText(editorWindow, QStringLiteral("Delete"))) {
                return failed("no Delete");
            }
        }
        if (!m_player.clickText(editorWindow, QStringLiteral("Add Area"))) {
            return failed("no Add Area");
        }
        runFor(500);
        m_player.drag(picture->map(pictureCentre), picture->map(boxCentre));
        runFor(500);
        if (!m_player.clickText(editorWindow, QStringLiteral("Pick Background"))
            || !m_player.waitForText(editorWindow, QStringLiteral("Click Background"))) {
            return failed("the eyedropper does not arm");
        }
        m_player.clickAt(picture->map(bareBoxPatch));
        // The button reads "Pick Background" again once the colour is picked.
        if (!m_player.waitForText(editorWindow, QStringLiteral("Pick Background"))) {
            return failed("the eyedropper picks nothing");
        }
        m_player.shot(QStringLiteral("editor-%1-drawn").arg(visit));
        drawn();
        // Return saves; the editor's title is clicked first, where nothing reacts, so that
        // the editor has the keyboard.
        const std::optional<X11ManagedWindow> editor = m_player.window(editorWindow);
        if (!editor) {
            return failed("the editor went");
        }
        m_player.clickAt(editor->geometry.topLeft() + QPoint(24, 12));
        if (!m_player.tap(XTestKeyboard::returnKey) || !m_player.waitForNoWindow(editorWindow)) {
            return failed("the editor does not save");
        }
        return true;
    }

    // The settings from the control strip's menu: the account section, then the interface
    // language changed to Japanese and back to English in the general section.
    bool visitSettings()
    {
        const auto failed = [this](const char *step) {
            std::fprintf(stderr, "the settings' visit failed: %s\n", step);
            m_player.shot(QStringLiteral("settings-failure"));
            return false;
        };
        if (!openFromStripMenu(QStringLiteral("Settings")) || !m_player.waitForWindow(settingsWindow)) {
            return failed("no settings window");
        }
        if (!m_player.clickText(settingsWindow, QStringLiteral("Account"))
            || !m_player.waitForText(settingsWindow, QStringLiteral("Open Web Account"))) {
            return failed("no account section");
        }
        m_player.shot(QStringLiteral("settings-account"));
        if (!m_player.clickText(settingsWindow, QStringLiteral("General"))) {
            return failed("no general section");
        }
        // The interface language's picker: "English" on the line of its title.
        std::optional<QPoint> picker;
        m_player.waitForWords(settingsWindow, [&picker](const QVector<ScreenWord> &words) {
            const std::optional<QRect> title = findPhrase(words, QStringLiteral("Interface language"));
            for (const ScreenWord &word : words) {
                if (title && comparableText(word.text) == QStringLiteral("english")
                    && std::abs(word.box.center().y() - title->center().y()) < title->height()) {
                    picker = word.box.center();
                }
            }
            return picker.has_value();
        });
        if (!picker) {
            return failed("no interface language picker");
        }
        // Its list opens at the language chosen; Japanese is the one above English.
        m_player.clickAt(*picker);
        runFor(500);
        m_player.tap(upKey);
        m_player.tap(XTestKeyboard::returnKey);
        if (!waitUntil([this] { return !m_player.window(settingsWindow) || !readsInSettings("Interface language"); },
                stepTimeoutMs, readingPauseMs)) {
            return failed("the interface stays in English");
        }
        runFor(2000);
        m_player.shot(QStringLiteral("settings-japanese"));
        m_player.clickAt(*picker);
        runFor(500);
        m_player.tap(downKey);
        m_player.tap(XTestKeyboard::returnKey);
        if (!m_player.waitForText(settingsWindow, QStringLiteral("Interface language"))) {
            return failed("the interface does not come back to English");
        }
        if (!m_player.close(settingsWindow)) {
            return failed("the settings stay");
        }
        return true;
    }

    // The game notes from the control strip's menu, shown for a moment and closed.
    bool visitNotes()
    {
        if (!openFromStripMenu(QStringLiteral("Game Notes")) || !m_player.waitForWindow(notesWindow)) {
            std::fprintf(stderr, "no game notes window\n");
            return false;
        }
        runFor(3000);
        m_player.shot(QStringLiteral("notes"));
        return m_player.close(notesWindow);
    }

    // The game's process ends and a new one starts; the player chooses it again.
    bool repick()
    {
        m_game->close();
        if (!m_player.waitForText(overlayWindow, QStringLiteral("Capture window unavailable")) || !startGame()) {
            return false;
        }
        return m_player.clickText(overlayWindow, QStringLiteral("Choose Another Window")) && pickGame(true);
    }

    bool quit() { return m_veyra->quit(); }
    MemorySampler &memory() { return *m_sampler; }
    qint64 processID() const { return m_veyra->processID(); }

private:
    static constexpr std::uint32_t upKey = 0xff52;
    static constexpr std::uint32_t downKey = 0xff54;

    // Right-clicks the control strip and chooses the item of its menu.
    bool openFromStripMenu(const QString &item)
    {
        const std::optional<X11ManagedWindow> strip = m_player.window(overlayControls);
        if (!strip) {
            return false;
        }
        // The menu opens at the pointer, below or above it.
        const QPoint click = strip->geometry.center();
        m_player.rightClickAt(click);
        const QRect menuArea(click - QPoint(360, 300), QSize(720, 600));
        return m_player.clickText(QStringLiteral("the control strip's menu"), item, menuArea);
    }

    bool readsInSettings(const char *phrase)
    {
        bool found = false;
        m_player.waitForWords(settingsWindow, [&](const QVector<ScreenWord> &words) {
            found = findPhrase(words, QString::fromLatin1(phrase)).has_value();
            return true;
        });
        return found;
    }

    bool startGame()
    {
        TestGameWindow::Options options;
        options.title = QStringLiteral("Harbour Tales");
        options.size = gameSize;
        options.position = QPoint(0, 0);
        options.frameless = true;
        options.boxRect = boxRect;
        options.text = dialogueLines[m_nextLine % dialogueLines.size()];
        m_game.reset();
        m_game = std::make_unique<TestGameWindow>(m_x11, options);
        return m_game->isRunning();
    }

    // The two areas over the box, stored as the editor stores them for the game's window.
    std::optional<QString> saveCaptureAreas()
    {
        XcbWindowCatalog catalog(m_x11.display());
        std::optional<CaptureTarget> target;
        for (const CaptureApplicationGroup &group : runTask(catalog.applicationGroups())) {
            for (const CaptureTarget &window : group.windows) {
                if (window.windowID == m_game->windowID()) {
                    target = window;
                }
            }
        }
        if (!target || !target->profileKey()) {
            return QStringLiteral("the game's window is not listed");
        }
        QImage patch(40, 20, QImage::Format_RGB32);
        patch.fill(TestGameWindow::Options().boxColor);
        const auto pattern = DefaultDialogueBackgroundPatternAnalyzer().analyze(patch, CaptureRegion{0, 0, 40, 20});
        if (!pattern) {
            return QStringLiteral("no colour for the box");
        }
        CaptureAreaProfile profile;
        profile.applicationIdentity = target->profileKey()->applicationIdentity;
        profile.windowTitle = target->profileKey()->windowTitle;
        profile.referenceImageWidth = gameSize.width();
        profile.referenceImageHeight = gameSize.height();
        for (qsizetype index = 0; index < areaRegions.size(); ++index) {
            profile.areas.append(
                CaptureArea{QStringLiteral("area-%1").arg(index + 1), areaRegions[index], pattern->first});
        }
        FileCaptureAreaStore store(
            QUrl::fromLocalFile(applicationFolderPath(VeyraProcess::dataFolder(m_home.path()), isDebugBuild())
                + QStringLiteral("/capture-areas.json")));
        try {
            store.save(profile);
        } catch (const std::exception &error) {
            return QString::fromUtf8(error.what());
        }
        return std::nullopt;
    }

    // In the picker: (Refresh,) the game's application, its window, Return; then until the
    // service is asked for a translation of the new window's dialogue.
    bool pickGame(bool refresh)
    {
        if (!m_player.waitForText(mainWindow, QStringLiteral("Which game are we playing?"))) {
            return false;
        }
        if (refresh && !m_player.clickText(mainWindow, QStringLiteral("Refresh"))) {
            return false;
        }
        const qsizetype translations = m_service.requests("POST", translationsPath).size();
        if (!m_player.clickText(mainWindow, QStringLiteral("veyra_test_game_window"))
            || !m_player.clickText(mainWindow, QStringLiteral("Harbour Tales"))) {
            return false;
        }
        // Return once the window is chosen ("Play with Veyra" enabled): tried until the
        // main window goes.
        return waitUntil(
                   [&] {
                       if (m_player.window(mainWindow)) {
                           m_player.tap(XTestKeyboard::returnKey);
                           return false;
                       }
                       return true;
                   },
                   stepTimeoutMs, 500)
            && waitUntil([&] { return m_service.requests("POST", translationsPath).size() > translations; },
                stepTimeoutMs * 2, readingPauseMs);
    }

    QJsonObject infoOverrides() const
    {
        return standInInfoOverrides(m_service, m_google,
            StandInGoogleClient{clientID, clientSecret, reversedClientID,
                QStringLiteral("veyra-bench-server.apps.googleusercontent.com")});
    }

    XvfbSession m_x11;
    ServiceStandIn m_service;
    GoogleAuthorizationServer m_google{clientID, clientSecret};
    QTemporaryDir m_home;
    Player m_player{m_x11};
    std::unique_ptr<TestGameWindow> m_game;
    std::unique_ptr<VeyraProcess> m_veyra;
    std::unique_ptr<MemorySampler> m_sampler;
    QTimer m_lines;
    qsizetype m_nextLine = 0;
};

// The mappings that hold most of the resident memory, largest first, on stderr.
void reportLargestMappings(qint64 processID, int count)
{
    QFile smaps(QStringLiteral("/proc/%1/smaps").arg(processID));
    if (!smaps.open(QIODevice::ReadOnly)) {
        return;
    }
    std::map<QByteArray, qint64> byName;
    QByteArray name;
    for (const QByteArray &line : smaps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 5 && fields[0].contains('-') && !fields[0].endsWith(':')) {
            name = fields.size() >= 6 ? fields.mid(5).join(' ') : QByteArray("[anonymous ") + fields[1] + ']';
            // Each shared-memory segment on its own line (they share one name).
            if (name.startsWith("/SYSV") || name.startsWith("/memfd:")) {
                name += " at " + fields[0].left(fields[0].indexOf('-'));
            }
        } else if (fields.size() >= 2 && fields[0] == "Rss:") {
            byName[name] += fields[1].toLongLong();
        }
    }
    std::vector<std::pair<qint64, QByteArray>> sorted;
    for (const auto &[mapping, kibibytes] : byName) {
        sorted.emplace_back(kibibytes, mapping);
    }
    std::sort(sorted.rbegin(), sorted.rend());
    for (int index = 0; index < count && index < static_cast<int>(sorted.size()); ++index) {
        std::fprintf(stderr, "  %7.1f MiB  %s\n", mebibytes(sorted[index].first), sorted[index].second.constData());
    }
}

void report(const char *phase, qint64 processID, qint64 resident)
{
    const MemoryMap map = MemoryMap::of(processID);
    std::fprintf(stderr,
        "[%ld] %-22s rss %6.1f MiB | main heap %5.1f, thread arenas %5.1f (%d), other anonymous %5.1f, shared %5.1f, "
        "files %5.1f | threads %lld\n",
        static_cast<long>(std::time(nullptr)), phase, mebibytes(resident), mebibytes(map.mainHeap),
        mebibytes(map.threadArenas), map.arenas, mebibytes(map.otherAnonymous), mebibytes(map.sharedMemory),
        mebibytes(map.files), statusValue(processID, "Threads"));
}

// The least-squares slope of the values over their positions.
double slope(const std::vector<double> &values)
{
    const double count = static_cast<double>(values.size());
    const double meanX = (count - 1) / 2;
    double meanY = 0;
    for (const double value : values) {
        meanY += value / count;
    }
    double covariance = 0;
    double variance = 0;
    for (std::size_t index = 0; index < values.size(); ++index) {
        const double x = static_cast<double>(index) - meanX;
        covariance += x * (values[index] - meanY);
        variance += x * x;
    }
    return covariance / variance;
}

void playEditAndRepick(benchmark::State &state)
{
    for (auto _ : state) {
        const auto began = std::chrono::steady_clock::now();
        Session session;
        if (const std::optional<QString> problem = session.start()) {
            state.SkipWithError(problem->toStdString().c_str());
            return;
        }
        const qint64 processID = session.processID();
        const auto measure = [&](const char *phase, const char *counter) {
            const qint64 resident = session.memory().resident();
            report(phase, processID, resident);
            if (showMappings > 0) {
                reportLargestMappings(processID, showMappings);
            }
            if (counter) {
                state.counters[counter] = mebibytes(resident);
            }
            return resident;
        };
        const auto step = [&](const char *name, const std::function<bool()> &act, const char *counter) {
            session.memory().setStep(name);
            if (!act()) {
                state.SkipWithError((std::string(name) + " did not go through").c_str());
                return false;
            }
            session.memory().setStep(std::string("play after ") + name);
            session.play();
            measure((std::string("after ") + name).c_str(), counter);
            return true;
        };
        measure("in play", nullptr);
        session.memory().setStep("play");
        session.play(firstPlaySeconds);
        measure("after play", "after_play_MiB");
        const auto allOpen = [&] { measure("first visit, all open", "first_visit_MiB"); };
        const auto firstVisit = [&] {
            const bool visited = session.visitEditorWithSettingsAndNotes(allOpen);
            state.counters["first_visit_peak_MiB"] = mebibytes(session.memory().peak());
            return visited;
        };
        if (!step("first visit", firstVisit, "after_first_visit_MiB")) {
            return;
        }
        for (int visit = 1; visit <= 2; ++visit) {
            const std::string name = "editor " + std::to_string(visit);
            const std::string openCounter = "editor_" + std::to_string(visit) + "_MiB";
            const std::string afterCounter = "after_editor_" + std::to_string(visit) + "_MiB";
            const auto drawn = [&] {
                runFor(2000);
                measure((name + " drawn").c_str(), openCounter.c_str());
            };
            if (!step(
                    name.c_str(), [&] { return session.visitEditor(visit, drawn); }, afterCounter.c_str())) {
                return;
            }
        }
        if (!step(
                "settings", [&] { return session.visitSettings(); }, "after_settings_MiB")
            || !step(
                "notes", [&] { return session.visitNotes(); }, "after_notes_MiB")) {
            return;
        }
        // The slopes of the settled figures over the re-picks.
        std::vector<double> settled;
        std::vector<double> settledWithoutFiles;
        for (int repick = 1; repick <= repickCount; ++repick) {
            const std::string name = "re-pick " + std::to_string(repick);
            session.memory().setStep(name);
            if (!session.repick()) {
                state.SkipWithError((name + " did not go back into play").c_str());
                return;
            }
            session.memory().setStep("play after " + name);
            const MemorySampler::Settled resident = session.play();
            report(("after " + name + " (settled)").c_str(), processID, resident.resident);
            state.counters["repick_" + std::to_string(repick) + "_MiB"] = mebibytes(resident.resident);
            settled.push_back(static_cast<double>(resident.resident));
            settledWithoutFiles.push_back(static_cast<double>(resident.withoutFiles));
        }
        if (settled.size() > 1) {
            state.counters["per_repick_KiB"] = slope(settled);
            state.counters["per_repick_without_files_KiB"] = slope(settledWithoutFiles);
        }
        const qint64 end = session.memory().resident();
        if (showMappings > 0) {
            reportLargestMappings(processID, showMappings);
        }
        const MemoryMap endMap = MemoryMap::of(processID);
        const MemoryMap &peakMap = session.memory().atHighest();
        state.counters["peak_rss_MiB"] = mebibytes(session.memory().peak());
        state.counters["end_rss_MiB"] = mebibytes(end);
        std::fprintf(stderr, "the highest sample: during %s\n", session.memory().highestStep().c_str());
        for (const auto &[name, map] : {std::pair{"peak", &peakMap}, std::pair{"end", &endMap}}) {
            const std::string prefix(name);
            state.counters[prefix + "_main_heap_MiB"] = mebibytes(map->mainHeap);
            state.counters[prefix + "_thread_arenas_MiB"] = mebibytes(map->threadArenas);
            state.counters[prefix + "_other_anonymous_MiB"] = mebibytes(map->otherAnonymous);
            state.counters[prefix + "_shared_MiB"] = mebibytes(map->sharedMemory);
            state.counters[prefix + "_files_MiB"] = mebibytes(map->files);
        }
        state.counters["threads"] = static_cast<double>(statusValue(processID, "Threads"));
        state.counters["arenas"] = endMap.arenas;
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count());
        if (!session.quit()) {
            state.SkipWithError("veyra did not quit cleanly");
        }
    }
}

// Runs this program again inside a private D-Bus session with an unlocked gnome-keyring
// whose files live in a folder of its own, removed afterwards; returns its status.
int runInKeyringSession(char **argv)
{
    char folder[] = "/tmp/veyra-bench-keyring-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    const std::string home(folder);
    ::mkdir((home + "/runtime").c_str(), 0700);
    ::mkdir((home + "/data").c_str(), 0700);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
        ::setenv(keyringSessionVariable, "1", 1);
        // Read when libtesseract's OpenMP runtime loads: the screen reader's recognitions
        // then stay on their thread instead of spreading over every core of a loaded machine.
        ::setenv("OMP_THREAD_LIMIT", "1", 1);
        std::vector<const char *> command{"dbus-run-session", "--", "sh", "-c",
            "eval \"$(printf %s veyra-bench | gnome-keyring-daemon --unlock --components=secrets)\" && exec \"$0\" "
            "\"$@\"",
            "/proc/self/exe"};
        std::string self(4096, '\0');
        const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size());
        if (length > 0) {
            self.resize(static_cast<size_t>(length));
            command.back() = self.c_str();
        }
        for (char **argument = argv + 1; *argument != nullptr; ++argument) {
            command.push_back(*argument);
        }
        command.push_back(nullptr);
        ::execvp(command[0], const_cast<char **>(command.data()));
        std::perror("dbus-run-session");
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    QDir(QString::fromLocal8Bit(folder)).removeRecursively();
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty(keyringSessionVariable)) {
        return runInKeyringSession(argv);
    }
    // Our own options first: Google Benchmark rejects flags it does not know.
    std::vector<char *> arguments;
    for (int i = 0; i < argc; ++i) {
        const auto value = [&](const char *flag) -> const char * {
            return std::strncmp(argv[i], flag, std::strlen(flag)) == 0 ? argv[i] + std::strlen(flag) : nullptr;
        };
        if (const char *seconds = value("--play=")) {
            playSeconds = std::max(3, std::atoi(seconds));
        } else if (const char *first = value("--first-play=")) {
            firstPlaySeconds = std::max(3, std::atoi(first));
        } else if (const char *count = value("--repicks=")) {
            repickCount = std::max(1, std::atoi(count));
        } else if (const char *mappings = value("--mappings=")) {
            showMappings = std::max(0, std::atoi(mappings));
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
    benchmark::RegisterBenchmark("sessionMemory/playEditAndRepick", playEditAndRepick)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
