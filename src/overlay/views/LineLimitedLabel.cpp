#include "overlay/views/LineLimitedLabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

namespace veyra {

LineLimitedLabel::LineLimitedLabel(const QString &text, int maximumLines, QWidget *parent)
    : QWidget(parent)
    , m_maximumLines(std::max(maximumLines, 1))
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setText(text);
}

void LineLimitedLabel::setText(const QString &text)
{
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QStringList LineLimitedLabel::displayedLines(int width) const
{
    QString text = m_text;
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(width, 1));
        if (lines.size() + 1 == m_maximumLines) {
            // The last line shown holds the rest of the text, elided.
            QString rest = text.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            lines << QFontMetrics(font()).elidedText(rest, Qt::ElideRight, std::max(width, 1));
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

QSize LineLimitedLabel::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(QString(m_text).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    return {width + 1, heightForWidth(width + 1)};
}

QSize LineLimitedLabel::minimumSizeHint() const
{
    const QFontMetrics metrics(font());
    return {0, metrics.ascent() + metrics.descent() + 2};
}

int LineLimitedLabel::heightForWidth(int width) const
{
    const QFontMetrics metrics(font());
    const qsizetype lines = std::max<qsizetype>(displayedLines(width).size(), 1);
    // Room below the last baseline for glyphs that reach under the font's descent (an
    // underscore does in several fonts).
    return static_cast<int>(lines - 1) * metrics.lineSpacing() + metrics.ascent() + metrics.descent() + 2;
}

void LineLimitedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    int y = metrics.ascent();
    for (const QString &line : displayedLines(width())) {
        painter.drawText(QPoint(0, y), line);
        y += metrics.lineSpacing();
    }
}

void LineLimitedLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

} // namespace veyra
