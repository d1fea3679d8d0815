#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPixmap>
#include <QSize>
#include <QString>

class QLabel;
class QWidget;

namespace veyra::settingsStyle {

// Text colours of lesser weight: the window text faded.
QColor secondaryText(const QPalette &palette);
QColor tertiaryText(const QPalette &palette);
// The window text at the given opacity (the "primary" colour of the button fills).
QColor primary(const QPalette &palette, qreal opacity);
// Error messages.
QColor errorText();

// Small print below the caption size (the version line).
QFont caption2(const QFont &base);
// The section header at the top of the detail column: 25 px, semibold.
QFont sectionHeader(const QFont &base);

// Sets one foreground colour on a label.
void setTextColor(QLabel *label, const QColor &colour);

// Spacing of the form cards, in pixels.
inline constexpr int formMargin = 20;
inline constexpr int cardPadding = 16;
inline constexpr int cardCornerRadius = 8;

} // namespace veyra::settingsStyle
