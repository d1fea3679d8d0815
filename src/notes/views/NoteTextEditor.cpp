#include "notes/views/NoteTextEditor.h"

#include "foundation/language/ClientLanguage.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/text/Graphemes.h"
#include "notes/store/GameMemoEntry.h"
#include "notes/views/GameMemoStyle.h"

#include <QEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace veyra {

namespace {

// Characters in the document, the paragraph separator at its end left out.
int characterCount(const QTextDocument &document)
{
    return std::max(document.characterCount() - 1, 0);
}

// A plain-text editor that inserts from a paste or a drop only what fits the note, and
// reports how much of it did not.
class BoundedPlainTextEdit : public QPlainTextEdit
{
public:
    BoundedPlainTextEdit(std::function<void(qsizetype)> leftOut, QWidget *parent)
        : QPlainTextEdit(parent)
        , m_leftOut(std::move(leftOut))
    { }

protected:
    void insertFromMimeData(const QMimeData *source) override
    {
        if (!source->hasText()) {
            QPlainTextEdit::insertFromMimeData(source);
            return;
        }
        const QTextCursor cursor = textCursor();
        const qsizetype room = GameMemoEntry::maximumTextLength - characterCount(*document())
            + (cursor.selectionEnd() - cursor.selectionStart());
        // Only the whole characters that fit are copied out of the offered text, and what
        // was left out is counted as the player sees it. The room is measured in the
        // note's own line ends: the editor makes every CR LF one line end.
        QString offered = source->text();
        offered.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const qsizetype taken = wholeCharactersLength(offered, room);
        textCursor().insertText(offered.left(taken));
        ensureCursorVisible();
        if (taken < offered.size()) {
            m_leftOut(graphemeCount(QStringView(offered).sliced(taken)));
        }
    }

private:
    std::function<void(qsizetype)> m_leftOut;
};

} // namespace

NoteTextEditor::NoteTextEditor(const QString &editorObjectName, int padding, QWidget *parent)
    : QWidget(parent)
    , m_textEdit(new BoundedPlainTextEdit([this](qsizetype characters) { setLeftOut(characters); }, this))
    , m_leftOutLabel(new QLabel(this))
{
    m_textEdit->setObjectName(editorObjectName);
    m_textEdit->setFrameShape(QFrame::NoFrame);
    m_textEdit->viewport()->setAutoFillBackground(false);
    m_textEdit->setAutoFillBackground(false);
    m_textEdit->document()->setDocumentMargin(2);
    QPalette palette = m_textEdit->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_textEdit->setPalette(palette);
    gameMemoStyle::applyFont(m_textEdit, gameMemoStyle::TextStyle::body);
    m_textEdit->installEventFilter(this);
    m_leftOutLabel->setTextFormat(Qt::PlainText);
    m_leftOutLabel->setWordWrap(true);
    gameMemoStyle::applyFont(m_leftOutLabel, gameMemoStyle::TextStyle::caption);
    gameMemoStyle::applyTextColor(m_leftOutLabel, gameMemoStyle::errorText(QWidget::palette()));
    m_leftOutLabel->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->addWidget(m_textEdit, 1);
    layout->addWidget(m_leftOutLabel);

    connect(m_textEdit->document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
        m_lastChangePosition = position;
        m_lastChangeAdded = added;
    });
    connect(m_textEdit, &QPlainTextEdit::textChanged, this, [this] {
        if (m_showingModelText) {
            return;
        }
        // Cutting changes the text again, which reports the text that stays; what was
        // cut is said after that.
        if (const int cut = keepWithinLimit()) {
            setLeftOut(cut);
            return;
        }
        setLeftOut(0);
        Q_EMIT textEdited(m_textEdit->toPlainText());
    });
}

void NoteTextEditor::showText(const QString &text, bool anotherNote)
{
    if (m_textEdit->toPlainText() == text && !anotherNote) {
        return;
    }
    if (anotherNote) {
        setLeftOut(0);
    }
    const int position = anotherNote ? static_cast<int>(text.size()) : m_textEdit->textCursor().position();
    m_showingModelText = true;
    m_textEdit->setPlainText(text);
    m_showingModelText = false;
    QTextCursor cursor = m_textEdit->textCursor();
    cursor.setPosition(std::min(position, static_cast<int>(text.size())));
    m_textEdit->setTextCursor(cursor);
}

int NoteTextEditor::keepWithinLimit()
{
    const int excess = characterCount(*m_textEdit->document()) - static_cast<int>(GameMemoEntry::maximumTextLength);
    if (excess <= 0) {
        return 0;
    }
    // The characters just added go, from their end, whole (never half of an emoji);
    // cutting emits textChanged again, which then reports the text that stays.
    QTextDocument &document = *m_textEdit->document();
    const int end = std::min(m_lastChangePosition + m_lastChangeAdded, characterCount(document));
    const int changeStart = std::clamp(m_lastChangePosition, 0, end);
    int start = std::max(end - excess, 0);
    if (start > changeStart) {
        QTextCursor added(&document);
        added.setPosition(changeStart);
        added.setPosition(end, QTextCursor::KeepAnchor);
        start = changeStart + static_cast<int>(wholeCharactersLength(added.selectedText(), start - changeStart));
    }
    QTextCursor cut(&document);
    cut.joinPreviousEditBlock();
    cut.setPosition(start);
    cut.setPosition(end, QTextCursor::KeepAnchor);
    const qsizetype shown = graphemeCount(cut.selectedText());
    cut.removeSelectedText();
    cut.endEditBlock();
    return static_cast<int>(shown);
}

void NoteTextEditor::setLeftOut(qsizetype characters)
{
    if (characters == m_leftOut) {
        return;
    }
    m_leftOut = characters;
    updateLeftOutText();
    m_leftOutLabel->setVisible(characters > 0);
}

void NoteTextEditor::updateLeftOutText()
{
    if (m_leftOut <= 0) {
        m_leftOutLabel->clear();
        return;
    }
    const QLocale locale = currentClientLanguageLocale();
    const QString limit = locale.toString(GameMemoEntry::maximumTextLength);
    m_leftOutLabel->setText(m_leftOut == 1
            ? localizedFormat(QT_TRANSLATE_NOOP("Veyra",
                                  "A note holds at most %@ characters: the last character you entered was left out."),
                {limit})
            : localizedFormat(
                QT_TRANSLATE_NOOP(
                    "Veyra", "A note holds at most %@ characters: the last %@ characters you entered were left out."),
                {limit, locale.toString(m_leftOut)}));
}

void NoteTextEditor::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        updateLeftOutText();
    }
}

void NoteTextEditor::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(gameMemoStyle::quaternaryFill(palette()));
    if (m_textEdit->hasFocus()) {
        QColor ring = palette().color(QPalette::Highlight);
        ring.setAlphaF(0.7);
        painter.setPen(QPen(ring, 1.0));
    } else {
        painter.setPen(Qt::NoPen);
    }
    painter.drawRoundedRect(box, gameMemoStyle::editorCornerRadius, gameMemoStyle::editorCornerRadius);
}

bool NoteTextEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_textEdit && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        update();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace veyra
