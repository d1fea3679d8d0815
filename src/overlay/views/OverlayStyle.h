#pragma once

#include "brand/BrandTextStyles.h"

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QPainter;
class QRect;
class QWidget;

// Shared helpers of the overlay's views: white text at an opacity on the dark panel, fonts
// of the brand's text styles, and plain-text labels.

namespace veyra {

QColor whiteAt(double opacity);

// Sets the colour the widget's texts and painted symbols use.
void setForeground(QWidget *widget, const QColor &color);

// A font of a text style, derived from the widget's font.
QFont styledFont(BrandTextStyle style, const QWidget *widget, QFont::Weight weight = QFont::Normal);
// The system font at a size in points, where a point is one device-independent pixel (the
// unit of every size of the overlay).
QFont sizedFont(int points, QFont::Weight weight, const QWidget *widget);

// A label that shows its text verbatim (never as markup).
QLabel *plainLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent,
    const QString &objectName = {}, bool wordWrap = false);

// A black rounded plate with a one-point white border, as the control strip and its
// tooltip draw themselves.
void paintPlate(QPainter &painter, const QRect &bounds, double radius, double fillOpacity, double borderOpacity);

} // namespace veyra
