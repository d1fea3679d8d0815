#pragma once

#include "brand/BrandTextStyles.h"

#include <QColor>
#include <QPixmap>
#include <QSize>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace veyra {

// The look the main window's dark screens share: the dark colour scheme with the brand's
// orange as accent, their buttons, labels, dividers and the bundled symbol images.
namespace screenStyle {

// The system's red for error texts on a dark background.
QColor errorRed();
// `colour` with its opacity replaced.
QColor withOpacity(QColor colour, qreal opacity);

// Forces the dark colour scheme on `screen` and everything inside it, tinted with the
// brand's orange.
void applyDarkScheme(QWidget *screen);

enum class ButtonRole {
    // Translucent white.
    standard,
    // The screen's default action, filled with the accent.
    prominent,
};
// A push button in the look of the dark screens.
QPushButton *button(QWidget *parent, ButtonRole role = ButtonRole::standard);

// A label that shows its text verbatim, in the style's font (scaled from `base`) and colour.
QLabel *plainLabel(BrandTextStyle style, const QColor &colour, QWidget *parent);
// The desktop font at `points`/13 of its size: the screens' fixed type sizes are given
// against a 13-point body text.
QFont scaledFont(const QFont &base, qreal points, QFont::Weight weight);

// The least size a window may give `screen`: `floor`, grown to the screen's own least
// size and, at that width, to the height its wrapped texts need there (the least width
// is where they need the most). A window whose content follows this can be shrunk no
// further than its screen allows, in whatever language.
QSize leastScreenSize(const QWidget &screen, QSize floor);

// A one-pixel horizontal line in `colour`.
QFrame *divider(const QColor &colour, QWidget *parent);

} // namespace screenStyle

} // namespace veyra
