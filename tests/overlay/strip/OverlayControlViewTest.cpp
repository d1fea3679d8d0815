// Test label: ui
// The control strip: its items and their identifiers, fading, the tooltip's delay and
// place, disabled and enabled actions, and the handles' gestures.
#include "overlay/strip/OverlayControlView.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "overlay/strip/OverlayActionView.h"
#include "overlay/strip/OverlayControlTooltipPresenter.h"
#include "overlay/strip/OverlayHandleView.h"
#include "support/RunTask.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::waitUntil;

namespace {

void enter(QWidget *widget)
{
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(widget, &event);
}

void leave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

class OverlayControlViewTest : public ::testing::Test
{
protected:
    OverlayControlViewTest()
    {
        strip.resize(156, 38);
        strip.move(600, 500);
        strip.show();
    }

    OverlayControlView strip;
};

} // namespace

TEST_F(OverlayControlViewTest, FourItemsStartFadedWithBothActionsDisabled)
{
    const QList<std::pair<QWidget *, QString>> items{{strip.gameNoteHandle(), QStringLiteral("game-note")},
        {strip.reportHandle(), QStringLiteral("report-translation-error")},
        {strip.moveHandle(), QStringLiteral("move-overlay")}, {strip.resizeHandle(), QStringLiteral("resize-overlay")}};
    const QStringList titles{QStringLiteral("Game Note"), QStringLiteral("Report Translation Error"),
        QStringLiteral("Move Overlay"), QStringLiteral("Resize Overlay")};
    for (int i = 0; i < items.size(); ++i) {
        QWidget *item = items[i].first;
        EXPECT_EQ(item->objectName(), items[i].second);
        EXPECT_EQ(item->geometry(), QRect(39 * i, 0, 39, 38));
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(item);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::Button);
        EXPECT_EQ(accessible->text(QAccessible::Name), titles[i]);
        EXPECT_EQ(accessible->state().disabled, i < 2);
    }
    EXPECT_EQ(strip.stripAlpha(), 0.38);
    EXPECT_EQ(strip.gameNoteHandle()->itemAlpha(), 0.28);
    EXPECT_FALSE(strip.reportHandle()->isActionEnabled());

    enter(&strip);
    EXPECT_EQ(strip.stripAlpha(), 1.0);
    leave(&strip);
    EXPECT_EQ(strip.stripAlpha(), 0.38);

    // A disabled action does nothing on release; once enabled it reports its item.
    QSignalSpy reports(&strip, &OverlayControlView::reportClicked);
    QTest::mouseClick(strip.reportHandle(), Qt::LeftButton);
    EXPECT_EQ(reports.size(), 0);
    OverlayControlView::setActionAvailable(strip.reportHandle(), true);
    EXPECT_EQ(strip.reportHandle()->itemAlpha(), 1.0);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(strip.reportHandle())->state().disabled);
    QTest::mouseClick(strip.reportHandle(), Qt::LeftButton);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports.front().front().value<QWidget *>(), strip.reportHandle());
}

TEST_F(OverlayControlViewTest, TheTooltipComesAfterTheDelayAndGoesWithThePointer)
{
    OverlayControlTooltipPresenter *tooltips = strip.tooltipPresenter();
    enter(strip.moveHandle());
    EXPECT_TRUE(tooltips->isPending());
    EXPECT_EQ(tooltips->tooltipPanel(), nullptr);
    // Leaving before the delay: nothing shows.
    leave(strip.moveHandle());
    EXPECT_FALSE(tooltips->isPending());

    enter(strip.moveHandle());
    ASSERT_TRUE(waitUntil([&] { return tooltips->tooltipPanel() != nullptr; }));
    auto *label = tooltips->tooltipPanel()->findChild<QLabel *>(QStringLiteral("overlay-control-tooltip"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("Move Overlay"));
    EXPECT_EQ(label->accessibleName(), QStringLiteral("Move Overlay"));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(tooltips->tooltipPanel()->size(), label->sizeHint() + QSize(20, 12));
    // Pressing an item takes it away.
    QTest::mousePress(strip.moveHandle(), Qt::LeftButton);
    EXPECT_EQ(tooltips->tooltipPanel(), nullptr);
    QTest::mouseRelease(strip.moveHandle(), Qt::LeftButton);

    // Above the item, centred; below it without room above; 8 inside the work area.
    const QRect work(0, 0, 1920, 1050);
    EXPECT_EQ(
        OverlayControlTooltipPresenter::placement(QRect(800, 500, 39, 38), QSize(100, 30), work), QPoint(769, 462));
    EXPECT_EQ(OverlayControlTooltipPresenter::placement(QRect(800, 10, 39, 38), QSize(100, 30), work), QPoint(769, 56));
    EXPECT_EQ(OverlayControlTooltipPresenter::placement(QRect(0, 500, 39, 38), QSize(100, 30), work), QPoint(8, 462));
    EXPECT_EQ(
        OverlayControlTooltipPresenter::placement(QRect(1900, 500, 20, 38), QSize(100, 30), work), QPoint(1812, 462));
}

TEST_F(OverlayControlViewTest, TheTitlesFollowTheInterfaceLanguage)
{
    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(strip.reportHandle())->text(QAccessible::Name),
        QStringLiteral("翻訳エラーを報告"));
    enter(strip.reportHandle());
    OverlayControlTooltipPresenter *tooltips = strip.tooltipPresenter();
    const bool shown = waitUntil([&] { return tooltips->tooltipPanel() != nullptr; });
    setCurrentClientLanguage(ClientLanguage::english);
    ASSERT_TRUE(shown);
    EXPECT_EQ(tooltips->tooltipPanel()->findChild<QLabel *>(QStringLiteral("overlay-control-tooltip"))->text(),
        QStringLiteral("翻訳エラーを報告"));
    leave(strip.reportHandle());
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(strip.reportHandle()->accessibleName(), QStringLiteral("Report Translation Error"));
}

TEST_F(OverlayControlViewTest, AHandleGestureKeepsTheStripVisibleUntilReleased)
{
    QSignalSpy began(&strip, &OverlayControlView::moveBegan);
    QSignalSpy changed(&strip, &OverlayControlView::moveChanged);
    QSignalSpy ended(&strip, &OverlayControlView::moveEnded);
    QSignalSpy resized(&strip, &OverlayControlView::resizeBegan);
    OverlayHandleView *move = strip.moveHandle();

    QTest::mousePress(move, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(began.size(), 1);
    EXPECT_EQ(began.front().front().toPointF(), QPointF(move->mapToGlobal(QPoint(10, 10))));
    EXPECT_EQ(strip.interactionCount(), 1);
    EXPECT_EQ(strip.stripAlpha(), 1.0);
    // The pointer leaves the strip while dragging: it stays fully visible.
    leave(&strip);
    QTest::mouseMove(move, QPoint(80, 40));
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(strip.stripAlpha(), 1.0);
    QTest::mouseRelease(move, Qt::LeftButton, {}, QPoint(80, 40));
    EXPECT_EQ(ended.size(), 1);
    EXPECT_EQ(strip.interactionCount(), 0);
    EXPECT_EQ(strip.stripAlpha(), 0.38);
    EXPECT_EQ(resized.size(), 0);
}
