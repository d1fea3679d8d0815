#include "overlay/views/WrappedTextLabel.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace veyra {

namespace {

QString layoutText(QString text)
{
    return text.replace(QLatin1Char('\n'), QChar::LineSeparator);
}

} // namespace

WrappedTextLabel::WrappedTextLabel(const QString &text, QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    // Its height follows its width.
    setWordWrap(true);
    setText(text);
}

qreal WrappedTextLabel::layOut(QTextLayout &layout, int width) const
{
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(width, 1));
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

QStringList WrappedTextLabel::displayedLines(int width) const
{
    const QString shown = layoutText(text());
    QTextLayout layout(shown);
    layOut(layout, width);
    QStringList lines;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        lines << shown.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator).trimmed();
    }
    return lines;
}

QSize WrappedTextLabel::sizeHint() const
{
    // As wide as its longest line unwrapped, as high as it is at that width.
    int widest = 0;
    for (const QString &line : text().split(QLatin1Char('\n'))) {
        widest = std::max(widest, fontMetrics().horizontalAdvance(line));
    }
    const int width = widest + 1;
    return {width, heightForWidth(width)};
}

QSize WrappedTextLabel::minimumSizeHint() const
{
    // Any width: the text wraps inside its words when it must.
    return {0, fontMetrics().height()};
}

int WrappedTextLabel::heightForWidth(int width) const
{
    QTextLayout layout(layoutText(text()));
    return std::max(static_cast<int>(std::ceil(layOut(layout, width))), fontMetrics().height());
}

void WrappedTextLabel::paintEvent(QPaintEvent *)
{
    QTextLayout layout(layoutText(text()));
    layOut(layout, contentsRect().width());
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, contentsRect().topLeft());
}

} // namespace veyra
