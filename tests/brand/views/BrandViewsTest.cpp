// Test label: ui
// The brand views as they render: the orange mark without text, the application icon
// fitted and read anew, the lockup's combined label, the background's glow.
#include "brand/VeyraAppIcon.h"
#include "brand/VeyraBrandBackground.h"
#include "brand/VeyraBrandLockup.h"
#include "brand/VeyraBrandPalette.h"
#include "brand/VeyraOrangeSignal.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

QImage render(QWidget &widget)
{
    widget.adjustSize();
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

bool near(QColor a, QColor b, int tolerance = 24)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

QIcon solidIcon(QSize size, QColor colour)
{
    QPixmap pixmap(size);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

TEST(BrandViews, OrangeSignalShowsTheMarkInBrightOrangeWithOrWithoutText)
{
    VeyraOrangeSignal empty{QString()};
    const QImage image = render(empty);
    const auto *mark = empty.findChild<QWidget *>(QStringLiteral("veyra-orange-signal-mark"));
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->size(), QSize(18, 16));
    int orange = 0;
    for (int y = mark->y(); y < mark->y() + mark->height(); ++y) {
        for (int x = mark->x(); x < mark->x() + mark->width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 200 && near(pixel, VeyraBrandPalette::brightOrange())) {
                ++orange;
            }
        }
    }
    // The bubble covers most of its frame; the V cut into it stays open.
    EXPECT_GT(orange, 18 * 16 / 3);
    EXPECT_LT(orange, 18 * 16);

    VeyraOrangeSignal labelled(QStringLiteral("<b>Veyra needs your help</b>"));
    render(labelled);
    const auto labels = labelled.findChildren<QLabel *>();
    const auto text
        = std::find_if(labels.begin(), labels.end(), [](QLabel *label) { return label->pixmap().isNull(); });
    ASSERT_NE(text, labels.end());
    EXPECT_EQ((*text)->textFormat(), Qt::PlainText);
    EXPECT_EQ((*text)->palette().color(QPalette::WindowText), VeyraBrandPalette::brightOrange());
    EXPECT_EQ((*text)->x() - (mark->x() + mark->width()), 7);
    EXPECT_EQ(labelled.accessibleName(), QStringLiteral("<b>Veyra needs your help</b>"));
}

TEST(BrandViews, AppIconFitsTheCurrentWindowIconIntoItsSquare)
{
    const QIcon original = QApplication::windowIcon();
    QApplication::setWindowIcon(solidIcon(QSize(200, 100), Qt::red));
    VeyraAppIcon icon(38);
    QImage image = render(icon);
    ASSERT_EQ(image.size(), QSize(38, 38));
    // Letterboxed: a 2:1 image fills the middle 19 rows, the bands above and below stay clear.
    EXPECT_EQ(image.pixelColor(19, 2).alpha(), 0);
    EXPECT_EQ(image.pixelColor(19, 35).alpha(), 0);
    EXPECT_TRUE(near(image.pixelColor(19, 19), Qt::red));
    EXPECT_TRUE(near(image.pixelColor(1, 19), Qt::red));

    // The icon is read again on the next paint.
    QApplication::setWindowIcon(solidIcon(QSize(64, 64), Qt::green));
    image = render(icon);
    EXPECT_TRUE(near(image.pixelColor(19, 2), Qt::green));
    QApplication::setWindowIcon(original);

    VeyraBrandLockup lockup(QStringLiteral("Veyra"), 34);
    EXPECT_EQ(lockup.accessibleName(), QStringLiteral("Vadedu Rezoz Ivo, Veyra"));
    EXPECT_EQ(lockup.findChild<VeyraAppIcon *>()->size(), QSize(34, 34));
}

TEST(BrandViews, BackgroundGlowsNearTheTopAndFadesWithin250Points)
{
    VeyraBrandBackground background;
    background.resize(800, 600);
    const QImage image = background.grab().toImage();
    const int glowY = 108; // 18 % of the height
    auto warmth = [&](int x, int y) {
        const QColor pixel = image.pixelColor(x, y);
        return pixel.red() - pixel.blue();
    };
    // Warmest at the glow's centre, along the column and along the row.
    for (const int y : {glowY - 60, glowY + 60, glowY + 200}) {
        EXPECT_GT(warmth(400, glowY), warmth(400, y));
    }
    EXPECT_GT(warmth(400, glowY), warmth(300, glowY));
    // Beyond 250 px from the centre only the plain gradient is left: both sides alike,
    // and cooler (bluer) than red, as the canvas colours are.
    EXPECT_EQ(image.pixelColor(400 - 260, glowY), image.pixelColor(400 + 260, glowY));
    EXPECT_LT(warmth(400 - 260, glowY), 0);
    EXPECT_TRUE(near(image.pixelColor(400, 599), VeyraBrandPalette::canvas(), 3));
}
