#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPalette>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

class QPushButton;
class QWidget;

namespace veyra {

// The system colours the editor uses by name.
namespace EditorColors {
// Capture areas, their handles and the explanation box.
inline QColor systemBlue()
{
    return {0, 122, 255};
}
// The armed eyedropper button and the uniformity warning.
inline QColor systemOrange()
{
    return {255, 149, 0};
}
// Error messages.
inline QColor systemRed()
{
    return {255, 59, 48};
}
// Secondary text: the palette's text colour, faded.
QColor secondaryText(const QPalette &palette);
} // namespace EditorColors

// Text styles relative to the application font.
namespace EditorFonts {
QFont body();
QFont headline();
QFont subheadline();
QFont caption();
QFont caption2();
QFont largeTitle();
QFont withWeight(QFont font, QFont::Weight weight);
} // namespace EditorFonts

// `text` broken into lines of at most `width` points, at most `maximumLines` of them, the
// last one elided when the text goes on.
QStringList wrappedLines(const QString &text, const QFont &font, double width, int maximumLines);

// Gives a push button a flat fill of `fill` with `ink` text (the prominent and the tinted
// buttons); an invalid fill returns it to the platform's look.
void setButtonFill(QPushButton &button, const QColor &fill, const QColor &ink);

// The symbol as a button icon in the widget's button-text colour (and its disabled form),
// one icon per symbol and colours (see tintedSymbolIcon).
QIcon symbolIcon(const QString &name, const QWidget &widget, const QColor &colour = QColor());

} // namespace veyra
