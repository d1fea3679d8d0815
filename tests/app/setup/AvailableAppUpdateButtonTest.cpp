// Test label: ui
// The set-up screen's update button as it renders: its gradient brightens while the
// pointer is over it and darkens, shrinks and fades while it is pressed, easing back.
#include "app/setup/AvailableAppUpdateButton.h"
#include "brand/VeyraBrandPalette.h"
#include "support/RunTask.h"

#include <QEnterEvent>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::waitUntil;

namespace {

// The colour drawn near the top of the button, in the middle (above the label).
QColor topColour(AvailableAppUpdateButton &button)
{
    const QImage image = button.grab().toImage();
    return image.pixelColor(image.width() / 8, 2 * image.devicePixelRatio());
}

int shifted(float component, qreal shift)
{
    return qRound(std::clamp(component + shift, 0.0, 1.0) * 255);
}

} // namespace

TEST(AvailableAppUpdateButton, HoverBrightensAndPressDarkensShrinksAndFades)
{
    AvailableAppUpdateButton button;
    button.setText(QStringLiteral("Update"));
    button.resize(176, 38);
    button.show();
    const QColor top = VeyraBrandPalette::brightOrange();
    EXPECT_NEAR(topColour(button).green(), shifted(top.greenF(), 0), 4);

    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.isHovered());
    ASSERT_TRUE(waitUntil([&] { return button.currentBrightness() == AvailableAppUpdateButton::hoverBrightness; }));
    EXPECT_NEAR(topColour(button).green(), shifted(top.greenF(), 0.06), 4);
    EXPECT_NEAR(topColour(button).blue(), shifted(top.blueF(), 0.06), 4);

    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(88, 19));
    ASSERT_TRUE(waitUntil([&] { return button.currentScale() == AvailableAppUpdateButton::pressedScale; }));
    EXPECT_DOUBLE_EQ(button.currentBrightness(), AvailableAppUpdateButton::pressedBrightness);
    EXPECT_DOUBLE_EQ(button.currentOpacity(), AvailableAppUpdateButton::pressedOpacity);

    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(88, 19));
    ASSERT_TRUE(waitUntil([&] { return button.currentScale() == 1.0; }));
    EXPECT_DOUBLE_EQ(button.currentBrightness(), AvailableAppUpdateButton::hoverBrightness);
    EXPECT_DOUBLE_EQ(button.currentOpacity(), 1.0);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    ASSERT_TRUE(waitUntil([&] { return button.currentBrightness() == 0.0; }));
    EXPECT_FALSE(button.isHovered());
}
