#include "notes/views/NoteTextEditor.h"

#include "notes/views/GameMemoStyle.h"

#include <QEvent>
#include <QPainter>
#include <QTextCursor>
#include <QVBoxLayout>

namespace veyra {

NoteTextEditor::NoteTextEditor(const QString &editorObjectName, int padding, QWidget *parent)
    : QWidget(parent)
    , m_textEdit(new QPlainTextEdit(this))
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

    connect(m_textEdit, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_showingModelText) {
            Q_EMIT textEdited(m_textEdit->toPlainText());
        }
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
