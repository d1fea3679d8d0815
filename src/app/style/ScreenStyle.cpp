#include "app/style/ScreenStyle.h"

#include "brand/VeyraBrandPalette.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace veyra::screenStyle {

namespace {

QString rgba(const QColor &colour)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alphaF(), 0, 'f', 3);
}

// The push buttons of the dark screens: translucent white, or filled with the accent for
// the default action.
QString buttonStyleSheet(bool prominent)
{
    const QColor orange = VeyraBrandPalette::orange();
    const QString disabled
        = QStringLiteral("QPushButton:disabled { color: %1; background-color: %2; border-color: %2; }")
              .arg(rgba(withOpacity(Qt::white, 0.35)), rgba(withOpacity(Qt::white, 0.06)));
    if (prominent) {
        return QStringLiteral("QPushButton { color: white; background-color: %1; border: 1px solid %1;"
                              " border-radius: 6px; padding: 5px 16px; min-height: 18px; font-weight: 600; }"
                              "QPushButton:hover { background-color: %2; border-color: %2; }"
                              "QPushButton:pressed { background-color: %3; border-color: %3; }"
                              "QPushButton:focus { border-color: %4; }")
                   .arg(rgba(orange), rgba(orange.lighter(112)), rgba(orange.darker(115)),
                       rgba(VeyraBrandPalette::brightOrange().lighter(120)))
            + disabled;
    }
    return QStringLiteral("QPushButton { color: white; background-color: %1; border: 1px solid %2; border-radius: 6px;"
                          " padding: 5px 16px; min-height: 18px; }"
                          "QPushButton:hover { background-color: %3; }"
                          "QPushButton:pressed { background-color: %4; }"
                          "QPushButton:focus { border-color: %5; }")
               .arg(rgba(withOpacity(Qt::white, 0.10)), rgba(withOpacity(Qt::white, 0.14)),
                   rgba(withOpacity(Qt::white, 0.16)), rgba(withOpacity(Qt::white, 0.06)), rgba(orange))
        + disabled;
}

} // namespace

QColor errorRed()
{
    return QColor(0xff, 0x45, 0x3a);
}

QColor withOpacity(QColor colour, qreal opacity)
{
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}

void applyDarkScheme(QWidget *screen)
{
    const QColor canvas = VeyraBrandPalette::canvas();
    const QColor surface = VeyraBrandPalette::surface();
    const QColor dimmed = withOpacity(Qt::white, 0.35);
    QPalette palette = screen->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        palette.setColor(group, QPalette::Window, canvas);
        palette.setColor(group, QPalette::WindowText, disabled ? dimmed : QColor(Qt::white));
        palette.setColor(group, QPalette::Base, surface);
        palette.setColor(group, QPalette::AlternateBase, surface.lighter(115));
        palette.setColor(group, QPalette::Text, disabled ? dimmed : QColor(Qt::white));
        palette.setColor(group, QPalette::PlaceholderText, dimmed);
        palette.setColor(group, QPalette::Button, surface.lighter(130));
        palette.setColor(group, QPalette::ButtonText, disabled ? dimmed : QColor(Qt::white));
        palette.setColor(group, QPalette::BrightText, Qt::white);
        palette.setColor(group, QPalette::Highlight, VeyraBrandPalette::orange());
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::Link, VeyraBrandPalette::brightOrange());
        palette.setColor(group, QPalette::Light, surface.lighter(170));
        palette.setColor(group, QPalette::Midlight, surface.lighter(140));
        palette.setColor(group, QPalette::Mid, surface.lighter(120));
        palette.setColor(group, QPalette::Dark, canvas.darker(130));
        palette.setColor(group, QPalette::Shadow, Qt::black);
        palette.setColor(group, QPalette::ToolTipBase, surface);
        palette.setColor(group, QPalette::ToolTipText, Qt::white);
    }
    screen->setPalette(palette);
}

QPushButton *button(QWidget *parent, ButtonRole role)
{
    auto *pushButton = new QPushButton(parent);
    // On the button itself: a style sheet on a container would stop the palette from
    // reaching the container's other children.
    pushButton->setStyleSheet(buttonStyleSheet(role == ButtonRole::prominent));
    pushButton->setCursor(Qt::PointingHandCursor);
    return pushButton;
}

QLabel *plainLabel(BrandTextStyle style, const QColor &colour, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(brandTextFont(style, label->font()));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QFont scaledFont(const QFont &base, qreal points, QFont::Weight weight)
{
    QFont font = base;
    const qreal basePoints = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    font.setPointSizeF(basePoints * points / 13.0);
    font.setWeight(weight);
    return font;
}

QSize leastScreenSize(const QWidget &screen, QSize floor)
{
    QSize least = floor.expandedTo(screen.minimumSizeHint()).expandedTo(screen.minimumSize());
    if (screen.hasHeightForWidth()) {
        least.setHeight(std::max(least.height(), screen.heightForWidth(least.width())));
    }
    return least;
}

QFrame *divider(const QColor &colour, QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::NoFrame);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

} // namespace veyra::screenStyle
