// Test label: ui
// The main window's lifecycle observer: it names the window that hosts it "main" once it
// is in one, reports each close of that window once (and no refused close), follows its
// content into another window, and reports nothing once it is gone.
#include "app/lifecycle/MainWindowLifecycleObserver.h"
#include "support/RunTask.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::waitUntil;

namespace {

// A window that can refuse to close.
class TestWindow : public QWidget
{
public:
    bool refusesClose = false;

protected:
    void closeEvent(QCloseEvent *event) override { event->setAccepted(!refusesClose); }
};

// Lets the observer's pending attaches run.
void settle()
{
    for (int turn = 0; turn < 3; ++turn) {
        QCoreApplication::processEvents();
    }
}

} // namespace

TEST(MainWindowLifecycleObserver, NamesItsWindowAndReportsEachCloseThatGoesAheadOnce)
{
    int closes = 0;
    auto *content = new QWidget;
    auto *observer = new MainWindowLifecycleObserver([&closes] { ++closes; }, content);
    settle();
    EXPECT_EQ(observer->observedWindow(), nullptr);

    // Placed in a window after it was made; shown several times, observed once.
    TestWindow window;
    (new QVBoxLayout(&window))->addWidget(content);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return observer->observedWindow() == &window; }));
    EXPECT_EQ(window.objectName(), QStringLiteral("main"));
    window.hide();
    window.show();
    settle();

    window.refusesClose = true;
    EXPECT_FALSE(window.close());
    settle();
    EXPECT_EQ(closes, 0);
    // A plain hide (the dismissal's) is no close.
    window.hide();
    EXPECT_EQ(closes, 0);

    window.refusesClose = false;
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(closes, 1);
    settle();
    EXPECT_EQ(closes, 1);
    window.show();
    window.close();
    EXPECT_EQ(closes, 2);

    // Gone: the window keeps its name and its closes report nothing.
    delete observer;
    window.show();
    window.close();
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(window.objectName(), QStringLiteral("main"));
}

TEST(MainWindowLifecycleObserver, FollowsItsContentIntoAnotherWindow)
{
    int closes = 0;
    QWidget first;
    QWidget second;
    auto *content = new QWidget(&first);
    auto *observer = new MainWindowLifecycleObserver([&closes] { ++closes; }, content);
    first.show();
    ASSERT_TRUE(waitUntil([&] { return observer->observedWindow() == &first; }));

    content->setParent(&second);
    content->show();
    second.show();
    ASSERT_TRUE(waitUntil([&] { return observer->observedWindow() == &second; }));
    EXPECT_EQ(second.objectName(), QStringLiteral("main"));
    first.close();
    EXPECT_EQ(closes, 0);
    second.close();
    EXPECT_EQ(closes, 1);
}

TEST(MainWindowLifecycleObserver, AHandlerThatEndsTheObserverIsSafe)
{
    QWidget window;
    bool closed = false;
    MainWindowLifecycleObserver *observer = nullptr;
    observer = new MainWindowLifecycleObserver(
        [&] {
            closed = true;
            delete observer;
        },
        &window);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return observer->observedWindow() == &window; }));
    window.close();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(window.findChildren<MainWindowLifecycleObserver *>().isEmpty());
}
