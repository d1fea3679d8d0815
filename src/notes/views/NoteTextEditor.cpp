#include "notes/views/NoteTextEditor.h"

#include "notes/store/GameMemoEntry.h"
#include "notes/views/GameMemoStyle.h"

#include <QEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextCursor>
#include <QVBoxLayout>

namespace veyra {

namespace {

// Characters in the document, the paragraph separator at its end left out.
int characterCount(const QTextDocument &document)
{
    return std::max(document.characterCount() - 1, 0);
}

// A plain-text editor that inserts from a paste or a drop only what fits the note.
class BoundedPlainTextEdit : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;

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
        // Only the part that fits is copied out of the offered text.
        QString text = source->text().left(std::max<qsizetype>(room, 0));
        textCursor().insertText(text);
        ensureCursorVisible();
    }
};

} // namespace

NoteTextEditor::NoteTextEditor(const QString &editorObjectName, int padding, QWidget *parent)
    : QWidget(parent)
    , m_textEdit(new BoundedPlainTextEdit(this))
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

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->addWidget(m_textEdit);

    connect(m_textEdit->document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
        m_lastChangePosition = position;
        m_lastChangeAdded = added;
    });
    connect(m_textEdit, &QPlainTextEdit::textChanged, this, [this] {
        if (m_showingModelText || keepWithinLimit()) {
            return;
        }
        Q_EMIT textEdited(m_textEdit->toPlainText());
    });
}

void NoteTextEditor::showText(const QString &text, bool anotherNote)
{
    if (m_textEdit->toPlainText() == text && !anotherNote) {
        return;
    }
    const int position = anotherNote ? static_cast<int>(text.size()) : m_textEdit->textCursor().position();
    m_showingModelText = true;
    m_textEdit->setPlainText(text);
    m_showingModelText = false;
    QTextCursor cursor = m_textEdit->textCursor();
    cursor.setPosition(std::min(position, static_cast<int>(text.size())));
    m_textEdit->setTextCursor(cursor);
}

bool NoteTextEditor::keepWithinLimit()
{
    const int excess = characterCount(*m_textEdit->document()) - static_cast<int>(GameMemoEntry::maximumTextLength);
    if (excess <= 0) {
        return false;
    }
    // The characters just added go, from their end; cutting emits textChanged again,
    // which then reports the text that stays.
    const int end = std::min(m_lastChangePosition + m_lastChangeAdded, characterCount(*m_textEdit->document()));
    const int start = std::max(end - excess, 0);
    QTextCursor cut(m_textEdit->document());
    cut.joinPreviousEditBlock();
    cut.setPosition(start);
    cut.setPosition(end, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    cut.endEditBlock();
    return true;
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
