#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

namespace veyra::gameMemoStyle {

// The text styles of the note views, derived from the widget's own font so that they
// follow the desktop's font size.
enum class TextStyle { title2, headline, body, caption, caption2 };

QFont font(TextStyle style, const QFont &base);
void applyFont(QWidget *widget, TextStyle style);

// Text colours of lesser weight: the window text faded.
QColor secondaryText(const QPalette &palette);
QColor tertiaryText(const QPalette &palette);
void applyTextColor(QWidget *widget, const QColor &color);

// The faint fill behind the note editors.
QColor quaternaryFill(const QPalette &palette);
// The colour of error messages, readable on light and dark windows.
QColor errorText(const QPalette &palette);

// Spacing, in pixels.
inline constexpr int editorCornerRadius = 8;

} // namespace veyra::gameMemoStyle
