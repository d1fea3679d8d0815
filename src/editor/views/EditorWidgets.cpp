#include "editor/views/EditorWidgets.h"

#include <QFrame>
#include <QLabel>

namespace veyra {

QLabel *makeLabel(QWidget *parent, const QFont &font, const QColor &colour)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    if (colour.isValid()) {
        setTextColour(label, colour);
    }
    return label;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

QFrame *makeDivider(QWidget *parent, bool vertical)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(vertical ? QFrame::VLine : QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(0.15F);
    palette.setColor(QPalette::WindowText, colour);
    line->setPalette(palette);
    return line;
}

} // namespace veyra
