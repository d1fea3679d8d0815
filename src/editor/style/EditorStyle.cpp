#include "editor/style/EditorStyle.h"

#include "brand/BrandIcons.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPushButton>
#include <QTextLayout>
#include <QWidget>

#include <algorithm>

namespace veyra {

namespace {
QFont scaled(double factor)
{
    QFont font = QApplication::font();
    font.setPointSizeF(std::max(7.0, font.pointSizeF() * factor));
    return font;
}
} // namespace

QColor EditorColors::secondaryText(const QPalette &palette)
{
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(0.6F);
    return colour;
}

namespace EditorFonts {
QFont body()
{
    return QApplication::font();
}
QFont headline()
{
    return withWeight(scaled(1.0), QFont::DemiBold);
}
QFont subheadline()
{
    return scaled(0.92);
}
QFont caption()
{
    return scaled(0.85);
}
QFont caption2()
{
    return scaled(0.78);
}
QFont largeTitle()
{
    return scaled(2.4);
}
QFont withWeight(QFont font, QFont::Weight weight)
{
    font.setWeight(weight);
    return font;
}
} // namespace EditorFonts

QStringList wrappedLines(const QString &text, const QFont &font, double width, int maximumLines)
{
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const QFontMetricsF metrics(font);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(width, 1.0));
        if (lines.size() == maximumLines - 1) {
            // The last line allowed takes the rest of the text, elided.
            lines.append(metrics.elidedText(text.mid(line.textStart()).trimmed(), Qt::ElideRight, width));
            break;
        }
        lines.append(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

void setButtonFill(QPushButton &button, const QColor &fill, const QColor &ink)
{
    if (!fill.isValid()) {
        button.setStyleSheet(QString());
        return;
    }
    const QString sheet
        = QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid %3; border-radius: 5px;"
                         " padding: 4px 12px; }"
                         "QPushButton:hover { background-color: %4; }"
                         "QPushButton:pressed { background-color: %3; }")
              .arg(fill.name(), ink.name(), fill.darker(125).name(), fill.lighter(108).name());
    button.setStyleSheet(sheet);
}

QIcon symbolIcon(const QString &name, const QWidget &widget, const QColor &colour)
{
    const QPalette &palette = widget.palette();
    return tintedSymbolIcon(name, QSize(16, 16),
        {colour.isValid() ? colour : palette.color(QPalette::Active, QPalette::ButtonText), QColor(),
            palette.color(QPalette::Disabled, QPalette::ButtonText)});
}

} // namespace veyra
