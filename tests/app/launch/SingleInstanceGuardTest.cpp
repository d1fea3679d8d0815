// Test label: e2e
// One Veyra per user, whatever the display, with the real executable: a second start on its
// display hands over to the running one, which comes forward (one display is one however
// its name is written); a start on another display says where Veyra runs and ends, and the
// running one stays as it is; the player's notes are written by one process only. A Veyra
// that crashed leaves nothing that keeps the next one from starting; of two starts at once,
// on one display or on two, one runs. One that is frozen keeps the next start only a while,
// which says what it waits for, never connects to the X server, and ends.
#include "foundation/identity/AppIdentity.h"
#include "foundation/identity/ApplicationFolder.h"
#include "notes/store/FileGameMemoStore.h"
#include "support/RunTask.h"
#include "support/ScreenText.h"
#include "support/ServiceStandIn.h"
#include "support/VeyraProcess.h"
#include "support/X11Desktop.h"
#include "support/XTestKeyboard.h"
#include "support/XTestPointer.h"
#include "support/XvfbSession.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <xcb/res.h>
#include <xcb/xcb.h>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace veyra;
using namespace veyra::test;

namespace {

// Generous limits for a loaded machine; every wait ends as soon as its condition holds.
constexpr int startTimeoutMs = 90000;
constexpr int stepTimeoutMs = 30000;
constexpr int readingPauseMs = 100;

constexpr std::uint32_t endKey = 0xff57;

GameMemoEntry note(const QString &game, const QString &text)
{
    GameMemoEntry entry;
    entry.key = GameWindowProfileKey{
        GameApplicationIdentity{GameApplicationIdentity::Kind::executablePath, QStringLiteral("/opt/") + game}, game};
    entry.applicationName = QStringLiteral("Game launcher");
    entry.windowTitle = game;
    entry.representativeGameName = game;
    entry.text = text;
    entry.updatedAt = QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
    return entry;
}

// The same display as another name writes it: "unix:N" or ":N.0" for ":N".
QString otherNameOf(const QString &display, const char *host, const char *screen = "")
{
    return QLatin1String(host) + display + QLatin1String(screen);
}

// Whether the X server has a client of the process (X-Resource's client ids).
bool hasXClientOf(const QString &display, qint64 processID)
{
    xcb_connection_t *connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    bool found = false;
    if (xcb_connection_has_error(connection) == 0) {
        const xcb_res_client_id_spec_t everyClient{XCB_NONE, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        xcb_res_query_client_ids_reply_t *reply = xcb_res_query_client_ids_reply(
            connection, xcb_res_query_client_ids(connection, 1, &everyClient), nullptr);
        if (reply != nullptr) {
            for (auto ids = xcb_res_query_client_ids_ids_iterator(reply); ids.rem > 0;
                 xcb_res_client_id_value_next(&ids)) {
                if ((ids.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0
                    && xcb_res_client_id_value_value_length(ids.data) >= 1
                    && *xcb_res_client_id_value_value(ids.data) == static_cast<std::uint32_t>(processID)) {
                    found = true;
                }
            }
            std::free(reply);
        }
    }
    xcb_disconnect(connection);
    return found;
}

// The descriptor flags of the process's open file at the path ("flags:" of its fdinfo,
// octal), or nothing when it has none open there.
std::optional<int> openFileFlags(qint64 processID, const QString &path)
{
    const QString folder = QStringLiteral("/proc/%1/fd").arg(processID);
    for (const QString &entry : QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
        if (QFile::symLinkTarget(folder + QLatin1Char('/') + entry) != path) {
            continue;
        }
        QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(processID).arg(entry));
        if (!info.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        for (const QByteArray &line : info.readAll().split('\n')) {
            if (line.startsWith("flags:")) {
                bool ok = false;
                const int flags = line.mid(6).trimmed().toInt(&ok, 8);
                return ok ? std::optional<int>(flags) : std::nullopt;
            }
        }
    }
    return std::nullopt;
}

class SingleInstanceGuardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(desktop.isValid() && pointer.isValid() && keyboard.isValid());
        ASSERT_TRUE(reader.isValid()) << "no Tesseract language data for English";
    }

    // The player's Veyra: live mode, its servers on loopback (none of them answers), on
    // the test's display, as DISPLAY names it (by default as the server was started).
    std::unique_ptr<VeyraProcess> start(const QString &display = {}) { return startOn(x11, display); }
    // The same player's Veyra on the display of another X server.
    std::unique_ptr<VeyraProcess> startOn(const XvfbSession &server, const QString &display = {})
    {
        VeyraProcess::Options options;
        if (!display.isEmpty()) {
            options.extraEnvironment.insert(QStringLiteral("DISPLAY"), display);
        }
        options.homeFolder = home.path();
        for (const char *key : {"TranslationServerBaseURL", "WebAppBaseURL", "MinimumVersionPolicyURL", "SUFeedURL"}) {
            options.infoOverrides.insert(QLatin1String(key), service.url(QStringLiteral("/")).toString());
        }
        return std::make_unique<VeyraProcess>(server, options);
    }

    std::optional<X11ManagedWindow> waitForWindow(const QString &title, qint64 processID)
    {
        return waitForWindowOn(desktop, title, processID);
    }
    static std::optional<X11ManagedWindow> waitForWindowOn(X11Desktop &screen, const QString &title, qint64 processID)
    {
        std::optional<X11ManagedWindow> found;
        waitUntil(
            [&] {
                found = screen.viewableWindow(title, processID);
                return found.has_value();
            },
            startTimeoutMs, readingPauseMs);
        return found;
    }

    // What the process said, but for the test's replaced configuration.
    static QString saidBy(VeyraProcess &veyra)
    {
        QStringList said = veyra.output().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        said.removeIf([](const QString &line) { return line.contains(QStringLiteral("values replaced from")); });
        return said.join(QLatin1Char('\n'));
    }

    // The line of a start on the display that ends as Veyra runs on the other one.
    static QString runsElsewhere(const QString &running, qint64 processID, const QString &display)
    {
        return QStringLiteral("Veyra is already running on display \"%1\" (process %2), and each user runs one Veyra: "
                              "quit it there to start Veyra on \"%3\".")
            .arg(running)
            .arg(processID)
            .arg(display);
    }

    // Clicks the phrase once it shows inside the region of the screen, where it shows
    // farthest left (in the notes window: the row of the list, not the note's heading).
    bool clickText(const QRect &region, const QString &phrase)
    {
        std::optional<QRect> place;
        waitUntil(
            [&] {
                place.reset();
                for (const QRect &found : placesOf(reader.read(desktop.screenshot(), region), phrase)) {
                    if (!place || found.left() < place->left()) {
                        place = found;
                    }
                }
                return place.has_value();
            },
            stepTimeoutMs, readingPauseMs);
        if (!place) {
            ADD_FAILURE() << '"' << phrase.toStdString() << "\" does not show";
            return false;
        }
        pointer.clickAt(place->center());
        return true;
    }

    // Every place where the phrase shows.
    static QVector<QRect> placesOf(const QVector<ScreenWord> &words, const QString &phrase)
    {
        QMap<int, QVector<ScreenWord>> lines;
        for (const ScreenWord &word : words) {
            lines[word.line].append(word);
        }
        QVector<QRect> places;
        for (QVector<ScreenWord> line : lines) {
            while (const std::optional<QRect> found = findPhrase(line, phrase)) {
                places.append(*found);
                if (line.removeIf([&](const ScreenWord &word) { return found->contains(word.box.center()); }) == 0) {
                    break;
                }
            }
        }
        return places;
    }

    // Lower-case letters and spaces, whose key symbols are their Latin-1 codes.
    void type(const QString &text)
    {
        for (const QChar character : text) {
            ASSERT_TRUE(keyboard.tap(character.unicode()));
        }
    }

    // In the notes window: the game's row, then, once its note shows beside the list (its
    // name a second time, as the heading), the keys a player uses to reach the end of the
    // note's text and the words typed there. (Keys only after the click has shown its
    // effect: the window manager holds a click while it focuses the window, and keys
    // pressed meanwhile would overtake it.)
    void appendToNote(const X11ManagedWindow &notes, const QString &game, const QString &words)
    {
        ASSERT_TRUE(clickText(notes.geometry, game));
        ASSERT_TRUE(
            waitUntil([&] { return placesOf(reader.read(desktop.screenshot(), notes.geometry), game).size() >= 2; },
                stepTimeoutMs, readingPauseMs));
        for (const std::uint32_t key : {XTestKeyboard::tabKey, endKey}) {
            ASSERT_TRUE(keyboard.tap(key));
        }
        type(QLatin1Char(' ') + words);
    }

    // Every file of Veyra's folders in the home folder (the test writes the rest) with its
    // size, time of change and contents' hash.
    std::string filesOfHome() const
    {
        QStringList files;
        QDirIterator entries(home.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (entries.hasNext()) {
            const QFileInfo file(entries.next());
            if (file.fileName() == QLatin1String("info-overrides.json")) {
                continue;
            }
            QFile contents(file.filePath());
            const QByteArray hash = contents.open(QIODevice::ReadOnly)
                ? QCryptographicHash::hash(contents.readAll(), QCryptographicHash::Sha256).toHex()
                : QByteArray("unreadable");
            files.append(QStringLiteral("%1 %2 %3 %4")
                             .arg(file.filePath())
                             .arg(file.size())
                             .arg(file.lastModified().toMSecsSinceEpoch())
                             .arg(QString::fromLatin1(hash)));
        }
        files.sort();
        return files.join(QLatin1Char('\n')).toStdString();
    }

    FileGameMemoStore notesFile() const { return FileGameMemoStore(QUrl::fromLocalFile(notesPath())); }
    QString notesPath() const
    {
        return applicationFolderPath(VeyraProcess::dataFolder(home.path()), isDebugBuild())
            + QStringLiteral("/game-memos.json");
    }
    QString storedText(const QString &game) const
    {
        for (const GameMemoEntry &entry : FileGameMemoStore(QUrl::fromLocalFile(notesPath())).load()) {
            if (entry.windowTitle == game) {
                return entry.text;
            }
        }
        return {};
    }

    XvfbSession x11;
    ServiceStandIn service;
    QTemporaryDir home;
    X11Desktop desktop{x11.display()};
    XTestPointer pointer{x11.display()};
    XTestKeyboard keyboard{x11.display()};
    ScreenTextReader reader;
};

} // namespace

TEST_F(SingleInstanceGuardTest, ASecondStartHandsOverOnItsDisplayEndsOnAnotherAndEveryNoteEditIsKept)
{
    notesFile().save({note(QStringLiteral("Harbour Tales"), QStringLiteral("Lanterns by the pier")),
        note(QStringLiteral("Moon Garden"), QStringLiteral("Seeds under the willow"))});

    const std::unique_ptr<VeyraProcess> first = start();
    ASSERT_TRUE(first->isRunning()) << first->errorString().toStdString();
    const std::optional<X11ManagedWindow> main = waitForWindow(appDisplayName(), first->processID());
    ASSERT_TRUE(main) << first->output().toStdString();

    // Game Notes… from the application menu, the first title of the menu bar.
    const QRect menuBar(main->geometry.topLeft(), QSize(main->geometry.width(), 40));
    ASSERT_TRUE(clickText(menuBar, appDisplayName()));
    ASSERT_TRUE(clickText(QRect(main->geometry.topLeft(), QSize(420, 420)), QStringLiteral("Game Notes")));
    const std::optional<X11ManagedWindow> notes = waitForWindow(gameNotesWindowTitle(), first->processID());
    ASSERT_TRUE(notes);
    appendToNote(*notes, QStringLiteral("Moon Garden"), QStringLiteral("alpha"));
    ASSERT_TRUE(waitUntil([&] { return storedText(QStringLiteral("Moon Garden")).endsWith(QStringLiteral("alpha")); },
        stepTimeoutMs, readingPauseMs))
        << first->output().toStdString();

    // The main window out of the way, the player starts Veyra again.
    desktop.iconify(main->id);
    ASSERT_TRUE(waitUntil(
        [&] { return !desktop.viewableWindow(appDisplayName(), first->processID()); }, stepTimeoutMs, readingPauseMs));
    // Its desktop names the display another way: the same X server, the same Veyra.
    const std::string filesBefore = filesOfHome();
    const std::unique_ptr<VeyraProcess> second = start(otherNameOf(x11.display(), "unix"));
    ASSERT_TRUE(second->waitForExit(startTimeoutMs)) << second->output().toStdString();
    EXPECT_EQ(second->exitCode(), 0) << second->output().toStdString();
    EXPECT_TRUE(first->isRunning());
    // It handed over at once, before it started as an application: not a word of output
    // but the test's replaced configuration.
    EXPECT_EQ(saidBy(*second).toStdString(), "");

    // The running Veyra came forward: its main window is mapped again, on top and active.
    ASSERT_TRUE(waitUntil(
        [&] {
            const QVector<X11ManagedWindow> windows = desktop.managedWindows();
            return !windows.isEmpty() && windows.last().id == main->id && windows.last().isViewable
                && desktop.activeWindow() == main->id;
        },
        stepTimeoutMs, readingPauseMs));
    for (const X11ManagedWindow &window : desktop.managedWindows()) {
        EXPECT_NE(window.processID, second->processID()) << window.title.toStdString();
    }
    // The second start changed no file (the notes included).
    EXPECT_EQ(filesOfHome(), filesBefore);

    // The player, in a second X session, starts Veyra there: it says where Veyra runs and
    // ends with status 1, having changed no file (two Veyras would write over each other's
    // notes); the running Veyra stays as it is, its main window out of the way.
    desktop.iconify(main->id);
    ASSERT_TRUE(waitUntil(
        [&] { return !desktop.viewableWindow(appDisplayName(), first->processID()); }, stepTimeoutMs, readingPauseMs));
    XvfbSession secondSession;
    ASSERT_TRUE(secondSession.isRunning()) << secondSession.errorString().toStdString();
    const std::unique_ptr<VeyraProcess> elsewhere = startOn(secondSession);
    const qint64 elsewhereID = elsewhere->processID();
    EXPECT_FALSE(elsewhere->waitForExit(startTimeoutMs));
    EXPECT_FALSE(elsewhere->isRunning());
    EXPECT_EQ(elsewhere->exitCode(), 1);
    EXPECT_EQ(saidBy(*elsewhere).toStdString(),
        runsElsewhere(x11.display(), first->processID(), secondSession.display()).toStdString());
    EXPECT_EQ(filesOfHome(), filesBefore);
    // The running Veyra says why it stayed as it was.
    const QString turnedAway
        = QStringLiteral("A start on display \"%1\" (process %2) ends").arg(secondSession.display()).arg(elsewhereID);
    EXPECT_TRUE(waitUntil([&] { return first->output().contains(turnedAway); }, stepTimeoutMs, readingPauseMs))
        << first->output().toStdString();
    EXPECT_TRUE(first->isRunning());
    EXPECT_FALSE(desktop.viewableWindow(appDisplayName(), first->processID()));

    // The other note, edited in the one Veyra there is; quitting keeps both edits.
    appendToNote(*notes, QStringLiteral("Harbour Tales"), QStringLiteral("bravo"));
    ASSERT_TRUE(waitUntil([&] { return storedText(QStringLiteral("Harbour Tales")).endsWith(QStringLiteral("bravo")); },
        stepTimeoutMs, readingPauseMs));
    EXPECT_TRUE(first->quit()) << first->output().toStdString();
    EXPECT_EQ(storedText(QStringLiteral("Moon Garden")), QStringLiteral("Seeds under the willow alpha"));
    EXPECT_EQ(storedText(QStringLiteral("Harbour Tales")), QStringLiteral("Lanterns by the pier bravo"));
}

TEST_F(SingleInstanceGuardTest, CrashedVeyraNeverBlocksAStartAndTwoStartsAtOnceMakeOneOnOneDisplayOrOnTwo)
{
    const std::unique_ptr<VeyraProcess> crashed = start();
    ASSERT_TRUE(waitForWindow(appDisplayName(), crashed->processID())) << crashed->output().toStdString();
    crashed->crash();

    // Started twice at once after the crash: one runs, the other hands over to it.
    const std::unique_ptr<VeyraProcess> one = start();
    const std::unique_ptr<VeyraProcess> other = start(otherNameOf(x11.display(), "", ".0"));
    ASSERT_TRUE(waitUntil([&] { return !one->isRunning() || !other->isRunning(); }, startTimeoutMs, readingPauseMs));
    VeyraProcess &running = one->isRunning() ? *one : *other;
    VeyraProcess &handedOver = one->isRunning() ? *other : *one;
    ASSERT_TRUE(handedOver.waitForExit());
    EXPECT_EQ(handedOver.exitCode(), 0) << handedOver.output().toStdString();
    EXPECT_TRUE(waitForWindow(appDisplayName(), running.processID()));
    EXPECT_TRUE(running.isRunning()) << running.output().toStdString();
    EXPECT_TRUE(running.quit()) << running.output().toStdString();

    // Started at once on two displays: one runs, the other says where and ends with status 1.
    XvfbSession otherSession;
    ASSERT_TRUE(otherSession.isRunning()) << otherSession.errorString().toStdString();
    X11Desktop otherDesktop(otherSession.display());
    ASSERT_TRUE(otherDesktop.isValid());
    const std::unique_ptr<VeyraProcess> here = start();
    const std::unique_ptr<VeyraProcess> there = startOn(otherSession);
    ASSERT_TRUE(waitUntil([&] { return !here->isRunning() || !there->isRunning(); }, startTimeoutMs, readingPauseMs));
    const bool hereRuns = here->isRunning();
    VeyraProcess &runs = hereRuns ? *here : *there;
    VeyraProcess &ended = hereRuns ? *there : *here;
    EXPECT_FALSE(ended.waitForExit());
    EXPECT_EQ(ended.exitCode(), 1);
    // (It may have said first that it waited for the other to listen.)
    const QString message = runsElsewhere(hereRuns ? x11.display() : otherSession.display(), runs.processID(),
        hereRuns ? otherSession.display() : x11.display());
    EXPECT_TRUE(saidBy(ended).endsWith(message)) << ended.output().toStdString();
    EXPECT_TRUE(waitForWindowOn(hereRuns ? desktop : otherDesktop, appDisplayName(), runs.processID()))
        << runs.output().toStdString();
    EXPECT_TRUE(runs.quit()) << runs.output().toStdString();
}

TEST_F(SingleInstanceGuardTest, AFrozenVeyraKeepsTheNextStartOnlyAWhileAndItSaysWhatItWaitsFor)
{
    const std::unique_ptr<VeyraProcess> frozen = start();
    ASSERT_TRUE(waitForWindow(appDisplayName(), frozen->processID())) << frozen->output().toStdString();
    // Its lock is not handed down to the programs it starts (a browser, an updated Veyra).
    const QString runtime = home.path() + QStringLiteral("/runtime");
    QString lockPath;
    for (const QString &entry : QDir(runtime).entryList(QDir::Files | QDir::System)) {
        if (entry.endsWith(QStringLiteral(".lock"))) {
            lockPath = runtime + QLatin1Char('/') + entry;
        }
    }
    ASSERT_FALSE(lockPath.isEmpty());
    const std::optional<int> lockFlags = openFileFlags(frozen->processID(), lockPath);
    ASSERT_TRUE(lockFlags.has_value()) << lockPath.toStdString();
    EXPECT_NE(*lockFlags & O_CLOEXEC, 0) << std::oct << *lockFlags;

    ::kill(static_cast<pid_t>(frozen->processID()), SIGSTOP);
    const std::unique_ptr<VeyraProcess> waiting = start();
    // It says whom it waits for and how long...
    const QString waitingFor
        = QStringLiteral("Veyra is already running (process %1); waiting up to").arg(frozen->processID());
    EXPECT_TRUE(waitUntil([&] { return waiting->output().contains(waitingFor); }, startTimeoutMs, readingPauseMs))
        << waiting->output().toStdString();
    // ...and meanwhile it is no client of the X server: it has not started as an application.
    EXPECT_TRUE(waiting->isRunning());
    EXPECT_FALSE(hasXClientOf(x11.display(), waiting->processID()));
    // Without an answer it ends with status 1.
    EXPECT_FALSE(waiting->waitForExit(startTimeoutMs));
    EXPECT_FALSE(waiting->isRunning());
    EXPECT_EQ(waiting->exitCode(), 1) << waiting->output().toStdString();
    EXPECT_TRUE(waiting->output().endsWith(QStringLiteral("Veyra is already running but does not answer.\n")))
        << waiting->output().toStdString();

    // Thawed, it quits through the Quit command of its application menu, and says so.
    ::kill(static_cast<pid_t>(frozen->processID()), SIGCONT);
    const std::optional<X11ManagedWindow> main = waitForWindow(appDisplayName(), frozen->processID());
    ASSERT_TRUE(main);
    ASSERT_TRUE(clickText(QRect(main->geometry.topLeft(), QSize(main->geometry.width(), 40)), appDisplayName()));
    // In the menu, not on the screen behind it (its version gate has a "Quit Veyra" button).
    std::optional<QRect> menu;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (const X11ManagedWindow &window : desktop.unmanagedWindows()) {
                if (window.isViewable && window.processID == frozen->processID()) {
                    menu = window.geometry;
                }
            }
            return menu.has_value();
        },
        stepTimeoutMs, readingPauseMs));
    ASSERT_TRUE(clickText(*menu, QStringLiteral("Quit")));
    EXPECT_TRUE(frozen->waitForExit(startTimeoutMs)) << frozen->output().toStdString();
    EXPECT_TRUE(frozen->output().contains(QStringLiteral("Veyra quits: the Quit command\n")))
        << frozen->output().toStdString();
}
