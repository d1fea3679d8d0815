// Test label: e2e
// One Veyra per user and display, with the real executable: a second start hands over to
// the running one, which comes forward, and the player's notes are written by one process
// only. A Veyra that crashed leaves nothing that keeps the next one from starting.
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
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

    // The player's Veyra: live mode, its servers on loopback (none of them answers).
    std::unique_ptr<VeyraProcess> start()
    {
        VeyraProcess::Options options;
        options.homeFolder = home.path();
        for (const char *key : {"TranslationServerBaseURL", "WebAppBaseURL", "MinimumVersionPolicyURL", "SUFeedURL"}) {
            options.infoOverrides.insert(QLatin1String(key), service.url(QStringLiteral("/")).toString());
        }
        return std::make_unique<VeyraProcess>(x11, options);
    }

    std::optional<X11ManagedWindow> waitForWindow(const QString &title, qint64 processID)
    {
        std::optional<X11ManagedWindow> found;
        waitUntil(
            [&] {
                found = desktop.viewableWindow(title, processID);
                return found.has_value();
            },
            startTimeoutMs, readingPauseMs);
        return found;
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

TEST_F(SingleInstanceGuardTest, SecondStartHandsOverAndEveryNoteEditIsKept)
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
    const std::string filesBefore = filesOfHome();
    const std::unique_ptr<VeyraProcess> second = start();
    ASSERT_TRUE(second->waitForExit(startTimeoutMs)) << second->output().toStdString();
    EXPECT_EQ(second->exitCode(), 0) << second->output().toStdString();
    EXPECT_TRUE(first->isRunning());

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

    // The other note, edited in the one Veyra there is; quitting keeps both edits.
    desktop.iconify(main->id);
    appendToNote(*notes, QStringLiteral("Harbour Tales"), QStringLiteral("bravo"));
    ASSERT_TRUE(waitUntil([&] { return storedText(QStringLiteral("Harbour Tales")).endsWith(QStringLiteral("bravo")); },
        stepTimeoutMs, readingPauseMs));
    EXPECT_TRUE(first->quit()) << first->output().toStdString();
    EXPECT_EQ(storedText(QStringLiteral("Moon Garden")), QStringLiteral("Seeds under the willow alpha"));
    EXPECT_EQ(storedText(QStringLiteral("Harbour Tales")), QStringLiteral("Lanterns by the pier bravo"));
}

TEST_F(SingleInstanceGuardTest, CrashedVeyraNeverBlocksAStartAndTwoStartsAtOnceMakeOne)
{
    const std::unique_ptr<VeyraProcess> crashed = start();
    ASSERT_TRUE(waitForWindow(appDisplayName(), crashed->processID())) << crashed->output().toStdString();
    crashed->crash();

    // Started twice at once after the crash: one runs, the other hands over to it.
    const std::unique_ptr<VeyraProcess> one = start();
    const std::unique_ptr<VeyraProcess> other = start();
    ASSERT_TRUE(waitUntil([&] { return !one->isRunning() || !other->isRunning(); }, startTimeoutMs, readingPauseMs));
    VeyraProcess &running = one->isRunning() ? *one : *other;
    VeyraProcess &handedOver = one->isRunning() ? *other : *one;
    ASSERT_TRUE(handedOver.waitForExit());
    EXPECT_EQ(handedOver.exitCode(), 0) << handedOver.output().toStdString();
    EXPECT_TRUE(waitForWindow(appDisplayName(), running.processID()));
    EXPECT_TRUE(running.isRunning()) << running.output().toStdString();
    EXPECT_TRUE(running.quit()) << running.output().toStdString();

    // Another display is another desktop: a Veyra there runs beside this one.
    XvfbSession otherDesktop;
    ASSERT_TRUE(otherDesktop.isRunning());
    const std::unique_ptr<VeyraProcess> here = start();
    ASSERT_TRUE(waitForWindow(appDisplayName(), here->processID()));
    VeyraProcess::Options options;
    options.homeFolder = home.path();
    VeyraProcess there(otherDesktop, options);
    X11Desktop thereDesktop(otherDesktop.display());
    EXPECT_TRUE(waitUntil([&] { return thereDesktop.viewableWindow(appDisplayName(), there.processID()).has_value(); },
        startTimeoutMs, readingPauseMs))
        << there.output().toStdString();
    EXPECT_TRUE(there.quit()) << there.output().toStdString();
    EXPECT_TRUE(here->quit()) << here->output().toStdString();
}
