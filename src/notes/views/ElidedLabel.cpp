#include "notes/views/ElidedLabel.h"

#include "foundation/text/PlainText.h"

#include <QEvent>
#include <QTextLayout>

namespace veyra {

ElidedLabel::ElidedLabel(int maximumLineCount, QWidget *parent)
    : QLabel(parent)
    , m_maximumLineCount(maximumLineCount)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(maximumLineCount != 1);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString &text)
{
    m_fullText = text;
    updateShownText();
}

QSize ElidedLabel::minimumSizeHint() const
{
    const QSize hint = QLabel::minimumSizeHint();
    return {0, hint.height()};
}

QSize ElidedLabel::sizeHint() const
{
    const QSize hint = QLabel::sizeHint();
    if (m_maximumLineCount != 1) {
        return hint;
    }
    return {hint.width(), fontMetrics().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    updateShownText();
}

void ElidedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateShownText();
    }
}

void ElidedLabel::updateShownText()
{
    const QFontMetrics metrics = fontMetrics();
    const int width = contentsRect().width();
    QString shown = m_fullText;
    if (m_maximumLineCount == 1) {
        QString oneLine = m_fullText;
        oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
        shown = metrics.elidedText(oneLine, Qt::ElideRight, std::max(width, 0));
    } else if (m_maximumLineCount > 1 && width > 0) {
        QTextLayout layout(m_fullText, font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        QVector<QTextLine> lines;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines.append(line);
        }
        layout.endLayout();
        if (lines.size() > m_maximumLineCount) {
            const QTextLine last = lines.at(m_maximumLineCount - 1);
            QString rest = m_fullText.mid(last.textStart());
            rest.replace(QLatin1Char('\n'), QLatin1Char(' '));
            shown = m_fullText.left(last.textStart()) + metrics.elidedText(rest, Qt::ElideRight, width);
        }
    }
    m_elided = shown != m_fullText;
    setToolTip(m_elided ? richTextOfPlainText(m_fullText) : QString());
    QLabel::setText(shown);
}

} // namespace veyra
