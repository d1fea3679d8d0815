#include "notes/views/ElidedLabel.h"

#include "foundation/text/PlainText.h"

#include <QEvent>
#include <QTextBoundaryFinder>
#include <QTextLayout>

namespace veyra {

ElidedLabel::ElidedLabel(int maximumLineCount, QWidget *parent)
    : QLabel(parent)
    , m_maximumLineCount(maximumLineCount)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(maximumLineCount != 1);
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // Lines wrap, so the height follows the width.
    policy.setHeightForWidth(maximumLineCount != 1);
    setSizePolicy(policy);
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

int ElidedLabel::heightForWidth(int width) const
{
    if (m_maximumLineCount == 1) {
        return QLabel::heightForWidth(width);
    }
    const QMargins margins = contentsMargins();
    const int textWidth = std::max(width - margins.left() - margins.right(), 1);
    const QRect bounds = fontMetrics().boundingRect(
        QRect(0, 0, textWidth, 100000), int(alignment()) | Qt::TextWordWrap, shownTextFor(textWidth));
    return bounds.height() + margins.top() + margins.bottom();
}

QString ElidedLabel::shownTextFor(int width, bool *elided) const
{
    const QFontMetrics metrics = fontMetrics();
    QString shown = m_fullText;
    bool cut = false;
    if (m_maximumLineCount == 1) {
        QString oneLine = m_fullText;
        oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
        shown = metrics.elidedText(oneLine, Qt::ElideRight, std::max(width, 0));
        cut = shown != m_fullText;
    } else if (width > 0) {
        QString laidOut = m_fullText;
        laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout layout(laidOut, font());
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
        if (m_maximumLineCount > 1 && lines.size() > m_maximumLineCount) {
            const QTextLine last = lines.at(m_maximumLineCount - 1);
            QString rest = m_fullText.mid(last.textStart());
            rest.replace(QLatin1Char('\n'), QLatin1Char(' '));
            shown = m_fullText.left(last.textStart()) + metrics.elidedText(rest, Qt::ElideRight, width);
            cut = true;
        } else {
            // A word wider than the label (a path, say) breaks where the layout broke it,
            // rather than running past the side; the label breaks the rest between words
            // itself, where the layout did.
            shown.clear();
            QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, m_fullText);
            for (qsizetype i = 0; i < lines.size(); ++i) {
                shown += m_fullText.mid(lines[i].textStart(), lines[i].textLength());
                const qsizetype end = lines[i].textStart() + lines[i].textLength();
                breaks.setPosition(end);
                if (i + 1 < lines.size() && !breaks.isAtBoundary()) {
                    shown += QLatin1Char('\n');
                }
            }
        }
    }
    if (elided) {
        *elided = cut;
    }
    return shown;
}

void ElidedLabel::updateShownText()
{
    bool elided = false;
    const QString shown = shownTextFor(contentsRect().width(), &elided);
    m_elided = elided;
    setToolTip(m_elided ? richTextOfPlainText(m_fullText) : QString());
    if (shown != text()) {
        QLabel::setText(shown);
    }
}

} // namespace veyra
