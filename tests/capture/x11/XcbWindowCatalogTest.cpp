// Test label: x11
// The live window catalog against a private X server with openbox and real windows of
// the test game program.
#include "capture/x11/XcbWindowCatalog.h"
#include "capture/windows/WindowCatalogProviding.h"
#include "capture/x11/XcbWindowSnapshotter.h"
#include "foundation/identity/AppIdentity.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/XvfbTest.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace veyra;
using veyra::test::runTask;
using veyra::test::TestGameWindow;
using veyra::test::waitUntil;
using veyra::test::XvfbSession;

namespace {

class XcbWindowCatalogTest : public veyra::test::XvfbTest
{
protected:
    static TestGameWindow::Options game(const QString &windowClass, const QString &title)
    {
        TestGameWindow::Options options;
        options.windowClass = windowClass;
        options.title = title;
        options.size = QSize(320, 200);
        return options;
    }

    QVector<CaptureApplicationGroup> groupsOf(WindowCatalogProviding &catalog, const QVector<std::int32_t> &processes)
    {
        QVector<CaptureApplicationGroup> all = runTask(catalog.applicationGroups());
        QVector<CaptureApplicationGroup> chosen;
        std::copy_if(all.begin(), all.end(), std::back_inserter(chosen),
            [&processes](const CaptureApplicationGroup &group) { return processes.contains(group.processID); });
        return chosen;
    }

    // The groups of these processes once the catalog lists `windowCount` windows of theirs:
    // the window manager lists a new window in its own time, after the game has shown it.
    QVector<CaptureApplicationGroup> groupsOnceListed(
        WindowCatalogProviding &catalog, const QVector<std::int32_t> &processes, qsizetype windowCount)
    {
        QVector<CaptureApplicationGroup> groups;
        waitUntil([&] {
            groups = groupsOf(catalog, processes);
            qsizetype windows = 0;
            for (const CaptureApplicationGroup &group : groups) {
                windows += group.windows.size();
            }
            return windows >= windowCount;
        });
        return groups;
    }

    static QStringList titlesOf(const CaptureApplicationGroup &group)
    {
        QStringList titles;
        for (const CaptureTarget &target : group.windows) {
            titles << target.windowTitle;
        }
        return titles;
    }
};

// A plain X window of the test process itself, named by no _NET_WM_PID.
class OwnWindow
{
public:
    explicit OwnWindow(const QString &display)
    {
        const QByteArray name = display.toLocal8Bit();
        m_connection = xcb_connect(name.constData(), nullptr);
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        const std::uint32_t background = screen->white_pixel;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 50, 50, 300, 200, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, &background);
        const char title[] = "Veyra's own window";
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
            sizeof(title) - 1, title);
        const char windowClass[] = "own\0Own Test";
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
            sizeof(windowClass), windowClass);
        xcb_map_window(m_connection, m_window);
        xcb_flush(m_connection);
    }
    ~OwnWindow() { xcb_disconnect(m_connection); }

    std::uint32_t id() const { return m_window; }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_window;
};

} // namespace

TEST_F(XcbWindowCatalogTest, ListsAGameUnderItsProcessNameExecutableTitleAndFrame)
{
    TestGameWindow::Options options
        = game(QStringLiteral(" Starlight "), QStringLiteral("  Starlight Voyage — 第1章  "));
    options.position = QPoint(120, 80);
    options.size = QSize(800, 600);
    TestGameWindow starlight(session(), options);
    ASSERT_TRUE(starlight.isRunning()) << starlight.errorString().toStdString();
    const QRect geometry = starlight.geometry();
    ASSERT_FALSE(geometry.isEmpty());

    XcbWindowCatalog catalog(session().display());
    const QVector<CaptureApplicationGroup> groups = groupsOnceListed(catalog, {starlight.processID()}, 1);
    ASSERT_EQ(groups.size(), 1);
    const CaptureApplicationGroup &group = groups.front();
    EXPECT_EQ(group.processID, starlight.processID());
    EXPECT_EQ(group.applicationName, QStringLiteral("Starlight"));
    EXPECT_EQ(group.bundleIdentifier, QStringLiteral("Starlight"));
    ASSERT_TRUE(group.executableURL.has_value());
    EXPECT_EQ(group.executableURL->toLocalFile(), QFileInfo(starlight.executablePath()).canonicalFilePath());
    ASSERT_EQ(group.windows.size(), 1);
    const CaptureTarget &target = group.windows.front();
    EXPECT_EQ(target.windowID, starlight.windowID());
    EXPECT_EQ(target.processID, starlight.processID());
    EXPECT_EQ(target.applicationName, group.applicationName);
    EXPECT_EQ(target.bundleIdentifier, group.bundleIdentifier);
    EXPECT_EQ(target.executableURL, group.executableURL);
    EXPECT_EQ(target.windowTitle, QStringLiteral("Starlight Voyage — 第1章"));
    EXPECT_EQ(target.frame, QRectF(geometry));
    EXPECT_EQ(target.frame.size(), QSizeF(800, 600));

    EXPECT_TRUE(runTask(catalog.isAvailable(target)));
    CaptureTarget otherProcess = target;
    otherProcess.processID += 1;
    EXPECT_FALSE(runTask(catalog.isAvailable(otherProcess)));

    // A minimised window is still listed; a hidden (withdrawn) one is not.
    ASSERT_TRUE(starlight.minimize());
    EXPECT_TRUE(runTask(catalog.isAvailable(target)));
    ASSERT_TRUE(starlight.show());
    ASSERT_TRUE(starlight.hide());
    EXPECT_TRUE(waitUntil([&] { return !runTask(catalog.isAvailable(target)); }));
    ASSERT_TRUE(starlight.show());
    EXPECT_TRUE(waitUntil([&] { return runTask(catalog.isAvailable(target)); }));

    starlight.close();
    EXPECT_FALSE(runTask(catalog.isAvailable(target)));
    EXPECT_TRUE(groupsOf(catalog, {target.processID}).isEmpty());
}

TEST_F(XcbWindowCatalogTest, SortsApplicationsByNameAndWindowsByTitleIgnoringCase)
{
    TestGameWindow::Options betaOptions = game(QStringLiteral("Beta"), QStringLiteral("Zulu"));
    betaOptions.extraWindowTitles = {QStringLiteral("alpha"), QStringLiteral("Alpha"), QStringLiteral("Mike")};
    TestGameWindow beta(session(), betaOptions);
    TestGameWindow lowerAlpha(session(), game(QStringLiteral("alpha"), QStringLiteral("One")));
    TestGameWindow upperAlpha(session(), game(QStringLiteral("Alpha"), QStringLiteral("Two")));
    ASSERT_TRUE(beta.isRunning() && lowerAlpha.isRunning() && upperAlpha.isRunning());

    XcbWindowCatalog catalog(session().display());
    const QVector<CaptureApplicationGroup> groups
        = groupsOnceListed(catalog, {beta.processID(), lowerAlpha.processID(), upperAlpha.processID()}, 6);
    ASSERT_EQ(groups.size(), 3);
    // "alpha" and "Alpha" compare equal: the smaller process comes first.
    EXPECT_EQ(groups[0].processID, std::min(lowerAlpha.processID(), upperAlpha.processID()));
    EXPECT_EQ(groups[1].processID, std::max(lowerAlpha.processID(), upperAlpha.processID()));
    EXPECT_EQ(groups[2].processID, beta.processID());

    // "alpha" and "Alpha" are ordered by window number.
    const QVector<std::uint32_t> &ids = beta.windowIDs();
    ASSERT_EQ(ids.size(), 4);
    const bool lowerFirst = ids[1] < ids[2];
    EXPECT_EQ(titlesOf(groups[2]),
        (QStringList{lowerFirst ? QStringLiteral("alpha") : QStringLiteral("Alpha"),
            lowerFirst ? QStringLiteral("Alpha") : QStringLiteral("alpha"), QStringLiteral("Mike"),
            QStringLiteral("Zulu")}));
    EXPECT_LT(groups[2].windows[0].windowID, groups[2].windows[1].windowID);
}

TEST_F(XcbWindowCatalogTest, LeavesOutVeyrasOwnWindows)
{
    TestGameWindow release(session(), game(releaseBundleIdentifier(), QStringLiteral("Release build")));
    TestGameWindow debug(session(), game(debugBundleIdentifier(), QStringLiteral("Debug build")));
    TestGameWindow other(
        session(), game(releaseBundleIdentifier() + QStringLiteral(".other"), QStringLiteral("Other")));
    ASSERT_TRUE(release.isRunning() && debug.isRunning() && other.isRunning());
    OwnWindow own(session().display());
    const auto ownProcessID = static_cast<std::int32_t>(QCoreApplication::applicationPid());

    XcbWindowCatalog catalog(session().display());
    // The window is there, and found to be this process's through the X server.
    CaptureTarget ownTarget;
    ownTarget.windowID = own.id();
    ownTarget.processID = ownProcessID;
    ASSERT_TRUE(waitUntil([&] { return runTask(catalog.isAvailable(ownTarget)); }));

    const QVector<CaptureApplicationGroup> groups
        = groupsOnceListed(catalog, {release.processID(), debug.processID(), other.processID(), ownProcessID}, 1);
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups.front().processID, other.processID());

    // isAvailable does not apply the application rules.
    CaptureTarget releaseTarget;
    releaseTarget.windowID = release.windowID();
    releaseTarget.processID = release.processID();
    EXPECT_TRUE(runTask(catalog.isAvailable(releaseTarget)));
}

TEST_F(XcbWindowCatalogTest, FindsOwnersWithoutWindowPropertiesAndNamesThemByCommand)
{
    TestGameWindow::Options unnamed = game(QString(), QStringLiteral("No class"));
    unnamed.withoutClass = true;
    unnamed.withoutProcessID = true;
    TestGameWindow bare(session(), unnamed);
    ASSERT_TRUE(bare.isRunning()) << bare.errorString().toStdString();

    XcbWindowCatalog catalog(session().display());
    const QVector<CaptureApplicationGroup> groups = groupsOnceListed(catalog, {bare.processID()}, 1);
    ASSERT_EQ(groups.size(), 1);
    // The kernel's command name: the first 15 bytes of the program's name.
    EXPECT_EQ(groups.front().applicationName, QStringLiteral("veyra_test_game"));
    EXPECT_FALSE(groups.front().bundleIdentifier.has_value());
    ASSERT_EQ(groups.front().windows.size(), 1);
    EXPECT_EQ(groups.front().windows.front().windowID, bare.windowID());
    // Such a game is keyed by its executable.
    const std::optional<GameWindowProfileKey> key = groups.front().windows.front().profileKey();
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->applicationIdentity.kind, GameApplicationIdentity::Kind::executablePath);
}

TEST_F(XcbWindowCatalogTest, LeavesOutUtilityWindows)
{
    TestGameWindow::Options toolOptions = game(QStringLiteral("Palette"), QStringLiteral("Tools"));
    toolOptions.tool = true;
    TestGameWindow palette(session(), toolOptions);
    ASSERT_TRUE(palette.isRunning());

    XcbWindowCatalog catalog(session().display());
    EXPECT_TRUE(groupsOf(catalog, {palette.processID()}).isEmpty());
    CaptureTarget target;
    target.windowID = palette.windowID();
    target.processID = palette.processID();
    EXPECT_FALSE(runTask(catalog.isAvailable(target)));
}

TEST_F(XcbWindowCatalogTest, ListsDialogWindows)
{
    // Many games open their window as a dialog (a launcher-style main window).
    TestGameWindow::Options options = game(QStringLiteral("Dialogue Quest"), QStringLiteral("Quest"));
    options.dialog = true;
    TestGameWindow quest(session(), options);
    ASSERT_TRUE(quest.isRunning()) << quest.errorString().toStdString();

    XcbWindowCatalog catalog(session().display());
    const QVector<CaptureApplicationGroup> groups = groupsOnceListed(catalog, {quest.processID()}, 1);
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(titlesOf(groups.front()), QStringList{QStringLiteral("Quest")});
    EXPECT_EQ(groups.front().windows.front().windowID, quest.windowID());
    EXPECT_TRUE(runTask(catalog.isAvailable(groups.front().windows.front())));
}

TEST(XcbWindowCatalogWithoutServer, ReportsTheListAsUnavailable)
{
    XcbWindowCatalog catalog(QStringLiteral(":4095"));
    try {
        runTask(catalog.applicationGroups());
        FAIL() << "listed windows without an X server";
    } catch (const WindowCatalogError &error) {
        EXPECT_EQ(error.kind(), WindowCatalogError::Kind::unavailable);
        EXPECT_EQ(error.message(),
            QStringLiteral("Veyra couldn't load the running window list. Refresh the list and try again."));
    }
    CaptureTarget target;
    target.windowID = 1;
    target.processID = 1;
    EXPECT_FALSE(runTask(catalog.isAvailable(target)));
}

TEST(XcbWindowCatalogReconnection, ConnectsAnewAfterTheServerWentAway)
{
    auto first = std::make_unique<XvfbSession>(XvfbSession::Options{640, 480, false});
    ASSERT_TRUE(first->isRunning()) << first->errorString().toStdString();
    XcbWindowCatalog catalog(first->display());
    XcbWindowSnapshotter snapshotter(first->display());
    CaptureTarget target;
    target.windowID = 1;
    target.processID = 1;
    EXPECT_NO_THROW(runTask(catalog.applicationGroups()));
    EXPECT_THROW(runTask(snapshotter.capture(target)), WindowSnapshotError);

    first.reset();
    EXPECT_THROW(runTask(catalog.applicationGroups()), WindowCatalogError);
}

TEST(XcbWindowCatalogReconnection, TheFirstCallsAfterTheServerRestartedReachTheNewServer)
{
    XvfbSession session(XvfbSession::Options{960, 540, false});
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    TestGameWindow::Options options;
    options.size = QSize(320, 200);
    options.text = QStringLiteral("Before");
    auto game = std::make_unique<TestGameWindow>(session, options);
    ASSERT_TRUE(game->isRunning()) << game->errorString().toStdString();
    XcbWindowCatalog catalog(session.display());
    XcbWindowSnapshotter snapshotter(session.display());
    CaptureTarget target;
    target.windowID = game->windowID();
    target.processID = game->processID();
    ASSERT_FALSE(runTask(catalog.applicationGroups()).isEmpty());
    EXPECT_EQ(runTask(snapshotter.capture(target)).image.size(), options.size);

    // The server restarts between two calls: both services still hold their old
    // connections, which the server has closed.
    game.reset();
    if (!session.restart()) {
        GTEST_SKIP() << "the display was taken by another server meanwhile: " << session.errorString().toStdString();
    }
    options.text = QStringLiteral("After");
    game = std::make_unique<TestGameWindow>(session, options);
    ASSERT_TRUE(game->isRunning()) << game->errorString().toStdString();
    target.windowID = game->windowID();
    target.processID = game->processID();

    // The very first calls work: the stale connection is noticed before it is used.
    QVector<CaptureApplicationGroup> groups;
    EXPECT_NO_THROW(groups = runTask(catalog.applicationGroups()));
    EXPECT_TRUE(std::any_of(groups.begin(), groups.end(),
        [&game](const CaptureApplicationGroup &group) { return group.processID == game->processID(); }));
    QImage image;
    EXPECT_NO_THROW(image = runTask(snapshotter.capture(target)).image);
    EXPECT_TRUE(image == game->picture());
}
