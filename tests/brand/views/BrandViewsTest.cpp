// Test label: ui
// The brand views as they render: the orange mark without text, the application icon
// fitted and read anew, the lockup's combined label, the background's glow; and the
// interface's font, whose every script of a line is of one family and one weight; and the
// fit of a window into the free area of its screen.
#include "brand/BrandTextStyles.h"
#include "brand/InterfaceFont.h"
#include "brand/VeyraAppIcon.h"
#include "brand/VeyraBrandBackground.h"
#include "brand/VeyraBrandLockup.h"
#include "brand/VeyraBrandPalette.h"
#include "brand/VeyraOrangeSignal.h"
#include "brand/WindowFit.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "support/RunTask.h"
#include "support/TestScreenshots.h"

#include <QApplication>
#include <QFontInfo>
#include <QGlyphRun>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTextLayout>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::waitUntil;

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

// The faces ("family style") a text is drawn in with `font`, one per run of glyphs.
QStringList facesOf(const QString &text, const QFont &font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList faces;
    for (const QGlyphRun &run : layout.glyphRuns()) {
        const QRawFont raw = run.rawFont();
        faces.append(raw.familyName() + QLatin1Char(' ') + raw.styleName());
    }
    faces.removeDuplicates();
    return faces;
}

void setLanguage(ClientLanguage language)
{
    setCurrentClientLanguage(language);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents();
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

TEST(InterfaceFont, EveryScriptOfALineIsDrawnInOneFamilyAtTheWeightAskedFor)
{
    const QFont desktop = QApplication::font();
    ASSERT_FALSE(preferredFamilies(ClientLanguage::japanese).isEmpty()) << "scripts/bootstrap installs fonts-noto-cjk";
    ASSERT_FALSE(preferredFamilies(ClientLanguage::korean).isEmpty()) << "scripts/bootstrap installs fonts-noto-cjk";
    std::optional<InterfaceFontFollower> follower(std::in_place);
    EXPECT_EQ(QApplication::font(), desktop);

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    // A semibold heading, as the settings pages' titles; running text; a button drawn by
    // a style sheet that names no font, as the sign-in screen's.
    auto *heading = new QLabel(&window);
    heading->setFont(brandTextFont(BrandTextStyle::title, heading->font()));
    auto *body = new QLabel(&window);
    // A label whose own font is a style of the application's font (as the editor's are).
    auto *derived = new QLabel(&window);
    QFont derivedFont = QApplication::font();
    derivedFont.setWeight(QFont::DemiBold);
    derived->setFont(derivedFont);
    auto *button = new QPushButton(&window);
    button->setStyleSheet(QStringLiteral("QPushButton { color: white; background: #333; padding: 0 14px; }"));
    for (QWidget *widget :
        {static_cast<QWidget *>(heading), static_cast<QWidget *>(body), static_cast<QWidget *>(button)}) {
        layout->addWidget(widget);
    }
    window.show();

    struct Case
    {
        ClientLanguage language;
        QString heading;
        QString body;
        QString button;
    };
    for (const Case &shown : {Case{ClientLanguage::japanese, QStringLiteral("一般 General"),
                                  QStringLiteral("現在のバージョン: 1.0.0"), QStringLiteral("Google ログインを再試行")},
             Case{ClientLanguage::korean, QStringLiteral("일반 General"), QStringLiteral("현재 버전: 1.0.0"),
                 QStringLiteral("Google 로그인 다시 시도")}}) {
        setLanguage(shown.language);
        const QString family = preferredFamilies(shown.language).first();
        heading->setText(shown.heading);
        body->setText(shown.body);
        button->setText(shown.button);
        const std::string language = rawValue(shown.language).toStdString();
        // The heading semibold in every script: the family's bold face, Latin included.
        EXPECT_EQ(facesOf(shown.heading, heading->font()), QStringList{family + QStringLiteral(" Bold")}) << language;
        EXPECT_EQ(QFontInfo(heading->font()).weight(), QFont::DemiBold) << language;
        EXPECT_EQ(facesOf(shown.body, body->font()), QStringList{family + QStringLiteral(" Regular")}) << language;
        EXPECT_EQ(facesOf(shown.button, button->font()), QStringList{family + QStringLiteral(" Regular")}) << language;
        derived->setText(shown.heading);
        EXPECT_EQ(facesOf(shown.heading, derived->font()), QStringList{family + QStringLiteral(" Bold")}) << language;
        test::saveScreenshot(window, QStringLiteral("interface-font-%1.png").arg(rawValue(shown.language)));
    }

    // A desktop whose own font writes the language keeps it: one family already.
    const QFont cjkDesktop(preferredFamilies(ClientLanguage::korean).first(), 11);
    EXPECT_EQ(interfaceFont(cjkDesktop, ClientLanguage::japanese), cjkDesktop);

    // English keeps the desktop's font, and so does the application once this goes.
    setLanguage(ClientLanguage::english);
    EXPECT_EQ(QApplication::font(), desktop);
    EXPECT_EQ(QFontInfo(button->font()).family(), QFontInfo(desktop).family());
    EXPECT_EQ(QFontInfo(derived->font()).family(), QFontInfo(desktop).family());
    EXPECT_EQ(QFontInfo(derived->font()).weight(), QFont::DemiBold);
    setLanguage(ClientLanguage::korean);
    follower.reset();
    EXPECT_EQ(QApplication::font(), desktop);
    setCurrentClientLanguage(ClientLanguage::english);
}

TEST(WindowFit, AFixedContentScrollsWithRoomForItsScrollBars)
{
    // Its own size where it fits, else the room with a scroll bar beside it, and below it too
    // where the first one takes the room the content needs.
    EXPECT_EQ(WindowFit::scrolledSize(QSize(760, 580), QSize(1918, 1055), 15), QSize(760, 580));
    EXPECT_EQ(WindowFit::scrolledSize(QSize(760, 580), QSize(958, 515), 15), QSize(775, 515));
    EXPECT_EQ(WindowFit::scrolledSize(QSize(950, 520), QSize(958, 515), 15), QSize(958, 515));

    // Taller than the screen (800 x 800 offscreen): the frame, unknown before the window is
    // framed, in the free area once it is, and the content scrolling down only.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    auto *content = new QWidget;
    content->setFixedSize(available.size() + QSize(-40, 50));
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WindowFit::scrolling(content, &window));
    WindowFit::fitFixed(window, content->size(), QGuiApplication::primaryScreen());
    window.show();
    EXPECT_TRUE(waitUntil([&] { return available.contains(window.frameGeometry()); }));
    EXPECT_TRUE(content->visibleRegion().boundingRect().height() < content->height());
    EXPECT_EQ(content->visibleRegion().boundingRect().width(), content->width());
}

TEST(WindowFit, AWindowNoLargerThanTheFreeAreaAsSoonAsItsContentLetsIt)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(content);
    window.resize(available.size() + QSize(200, 200));
    WindowFit::fitOnFirstShow(window);
    window.show();
    EXPECT_TRUE(waitUntil([&] { return available.contains(window.frameGeometry()); })) << window.height();
    // A screen with more to show makes it taller than the area for a while.
    content->setMinimumHeight(available.height() + 100);
    ASSERT_TRUE(waitUntil([&] { return window.height() > available.height(); }));
    content->setMinimumHeight(100);
    EXPECT_TRUE(waitUntil([&] { return available.contains(window.frameGeometry()); })) << window.height();
}
