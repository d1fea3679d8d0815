// Test label: x11
// The status menu's tray icon in a real system tray (trayer on a private X server with
// openbox): it is embedded, and a left click on it opens the status menu, whose entries
// then act on a click.
#include "app/menu/StatusMenuTrayIcon.h"
#include "app/menu/MenuFilling.h"
#include "support/RunTask.h"
#include "support/TimeLimits.h"
#include "support/XTestPointer.h"
#include "support/XcbTestProcess.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QProcess>

#include <gtest/gtest.h>

#include <iostream>

using namespace veyra;
using namespace veyra::test;

TEST(StatusMenuTrayIconOnX11, RunsInATrayOnAnXServer)
{
    if (runsOnXcb()) {
        GTEST_SKIP() << "this is the child";
    }
    XvfbSession session;
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();
    const ChildTestRun run = runTestsOnXcb(session, QStringLiteral("StatusMenuTrayIconOnXcb.*"));
    std::cout << run.output.toStdString() << std::endl;
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << "the child ran no tests";
}

TEST(StatusMenuTrayIconOnXcb, ALeftClickOnTheIconOpensTheStatusMenu)
{
    if (!runsOnXcb()) {
        GTEST_SKIP() << "runs in a child on the X server";
    }
    QProcess tray;
    tray.start(QStringLiteral("trayer"),
        {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"), QStringLiteral("right"),
            QStringLiteral("--widthtype"), QStringLiteral("pixel"), QStringLiteral("--width"), QStringLiteral("120"),
            QStringLiteral("--height"), QStringLiteral("32")});
    ASSERT_TRUE(tray.waitForStarted(veyra::test::scaledMs(10000))) << tray.errorString().toStdString();
    ASSERT_TRUE(waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }));

    QMenu menu;
    QVector<StatusMenuItem> performed;
    fillMenu(
        menu, statusMenuSections(visibleStatusMenuItems(true, false)), [](StatusMenuItem) { return true; },
        [&performed](StatusMenuItem item) { performed.append(item); });
    StatusMenuTrayIcon icon(&menu);
    EXPECT_FALSE(icon.icon().isNull());
    icon.show();
    // Embedded in the tray: at the tray's place in the top right corner, no longer at the origin.
    ASSERT_TRUE(waitUntil([&] { return icon.geometry().x() > 0 && !icon.geometry().isEmpty(); }));

    XTestPointer pointer(qEnvironmentVariable("DISPLAY"));
    ASSERT_TRUE(pointer.isValid());
    // The icon is clicked once the pointer is over it: the tray reports its place before it
    // has mapped it there (and may move it once more), and a click meanwhile goes to the tray.
    QWidget *iconWindow = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (qstrcmp(window->metaObject()->className(), "QSystemTrayIconSys") == 0) {
            iconWindow = window;
        }
    }
    ASSERT_NE(iconWindow, nullptr);
    ASSERT_TRUE(waitUntil([&] {
        pointer.moveTo(icon.geometry().center());
        return iconWindow->underMouse();
    }));
    pointer.clickAt(icon.geometry().center());
    ASSERT_TRUE(waitUntil([&] { return menu.isVisible(); }));

    QAction *notes = menu.findChild<QAction *>(QStringLiteral("game-notes"));
    ASSERT_NE(notes, nullptr);
    pointer.clickAt(menu.mapToGlobal(menu.actionGeometry(notes).center()));
    ASSERT_TRUE(waitUntil([&] { return !performed.isEmpty(); }));
    EXPECT_EQ(performed, QVector<StatusMenuItem>{StatusMenuItem::gameNotes});
    EXPECT_FALSE(menu.isVisible());

    icon.hide();
    tray.terminate();
    tray.waitForFinished(veyra::test::scaledMs(5000));
}
