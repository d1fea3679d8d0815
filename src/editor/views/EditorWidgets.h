#pragma once

#include <QColor>
#include <QFont>

class QFrame;
class QLabel;
class QWidget;

namespace veyra {

// A plain-text label in the given font (and text colour, when valid).
QLabel *makeLabel(QWidget *parent, const QFont &font, const QColor &colour = QColor());
// Sets the text colour of a label (or any widget drawing with WindowText).
void setTextColour(QWidget *widget, const QColor &colour);
// A thin horizontal (or vertical) separator line.
QFrame *makeDivider(QWidget *parent, bool vertical = false);

} // namespace veyra
