// Test label: x11
// The window catalog and snapshots on an X server without a window manager: windows a
// manager left behind (they keep WM_STATE) and windows that never had one.
#include "capture/x11/XcbWindowCatalog.h"
#include "capture/x11/XcbWindowSnapshotter.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace veyra;
using veyra::test::runTask;
using veyra::test::TestGameWindow;
using veyra::test::waitUntil;
using veyra::test::XvfbSession;

namespace {

TestGameWindow::Options game(const QString &windowClass, QPoint position)
{
    TestGameWindow::Options options;
    options.windowClass = windowClass;
    options.title = windowClass + QStringLiteral(" Window");
    options.position = position;
    options.size = QSize(400, 300);
    options.text = windowClass;
    return options;
}

const CaptureApplicationGroup *groupOf(const QVector<CaptureApplicationGroup> &groups, std::int32_t processID)
{
    const auto found = std::find_if(groups.begin(), groups.end(),
        [processID](const CaptureApplicationGroup &group) { return group.processID == processID; });
    return found == groups.end() ? nullptr : &*found;
}

} // namespace

TEST(XcbWindowCatalogWithoutWindowManager, ListsWindowsLeftByAManagerAndWindowsThatNeverHadOne)
{
    XvfbSession session;
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    TestGameWindow managed(session, game(QStringLiteral("Managed"), {100, 100}));
    ASSERT_TRUE(managed.isRunning()) << managed.errorString().toStdString();
    session.stopWindowManager();
    TestGameWindow unmanaged(session, game(QStringLiteral("Unmanaged"), {700, 250}));
    ASSERT_TRUE(unmanaged.isRunning()) << unmanaged.errorString().toStdString();

    XcbWindowCatalog catalog(session.display());
    QVector<CaptureApplicationGroup> groups;
    // The window manager gives its window back to the root as it ends, and the game hears
    // of its new place some moments later: the catalog is read until both games are listed
    // where they themselves say they are.
    const auto listedWhereItIs = [&](TestGameWindow &window) {
        const CaptureApplicationGroup *group = groupOf(groups, window.processID());
        return group != nullptr && group->windows.size() == 1
            && group->windows.front().frame == QRectF(window.geometry());
    };
    ASSERT_TRUE(waitUntil([&] {
        groups = runTask(catalog.applicationGroups());
        return listedWhereItIs(managed) && listedWhereItIs(unmanaged);
    })) << "listed "
        << groups.size() << " applications";

    for (TestGameWindow *window : {&managed, &unmanaged}) {
        const CaptureApplicationGroup *group = groupOf(groups, window->processID());
        ASSERT_EQ(group->windows.size(), 1);
        const CaptureTarget &target = group->windows.front();
        EXPECT_EQ(target.windowID, window->windowID());
        EXPECT_EQ(target.windowTitle, group->applicationName + QStringLiteral(" Window"));
        EXPECT_EQ(target.frame, QRectF(window->geometry()));
        EXPECT_TRUE(runTask(catalog.isAvailable(target)));
    }
    EXPECT_EQ(groupOf(groups, unmanaged.processID())->windows.front().frame, QRectF(700, 250, 400, 300));

    XcbWindowSnapshotter snapshotter(session.display());
    const CaptureTarget target = groupOf(groups, unmanaged.processID())->windows.front();
    EXPECT_EQ(runTask(snapshotter.capture(target)).image, unmanaged.picture());

    unmanaged.close();
    EXPECT_FALSE(runTask(catalog.isAvailable(target)));
}
