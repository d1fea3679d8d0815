#include "notes/views/CurrentGameMemoView.h"

#include "foundation/language/LocalizedString.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/views/ElidedLabel.h"
#include "notes/views/GameMemoErrorRow.h"
#include "notes/views/GameMemoStyle.h"
#include "notes/views/NoteTextEditor.h"
#include "notes/views/ShownNoteTitle.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

namespace veyra {

CurrentGameMemoView::CurrentGameMemoView(GameMemoLibraryModel *model, GameMemoContext context, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_context(std::move(context))
    , m_header(new ElidedLabel(1, this))
    , m_editor(new NoteTextEditor(QString::fromLatin1(editorObjectName), 6, this))
    // The whole message, however long: it names the file that failed (and where typed
    // notes were kept), and the editor gives up the room it needs.
    , m_errorRow(new GameMemoErrorRow(0, this))
    , m_statusLabel(new QLabel(this))
{
    setFixedSize(contentSize);
    gameMemoStyle::applyFont(m_header, gameMemoStyle::TextStyle::headline);
    m_header->setFullText(headerText(m_context));
    m_editor->textEdit()->setAccessibleName(headerText(m_context));
    gameMemoStyle::applyFont(m_statusLabel, gameMemoStyle::TextStyle::caption);
    gameMemoStyle::applyTextColor(m_statusLabel, gameMemoStyle::secondaryText(palette()));
    m_statusLabel->setTextFormat(Qt::PlainText);
    // A notice may take more than one line.
    m_statusLabel->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    layout->addWidget(m_header);
    // The editor takes what the other rows leave, but never less than a few lines.
    m_editor->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    m_editor->setMinimumHeight(3 * m_editor->textEdit()->fontMetrics().lineSpacing() + 12);
    layout->addWidget(m_editor, 1);
    layout->addWidget(m_errorRow);
    layout->addWidget(m_statusLabel);

    connect(m_editor, &NoteTextEditor::textEdited, this, [this](const QString &text) {
        if (m_model) {
            m_model->updateText(text, m_context);
        }
    });
    connect(m_errorRow, &GameMemoErrorRow::retryRequested, this, [this] {
        if (m_model) {
            m_model->saveNow();
        }
    });
    if (m_model) {
        connect(m_model, &GameMemoLibraryModel::entriesByKeyChanged, this, &CurrentGameMemoView::refresh);
        connect(m_model, &GameMemoLibraryModel::errorMessageChanged, this, &CurrentGameMemoView::refresh);
        connect(m_model, &GameMemoLibraryModel::noticeChanged, this, &CurrentGameMemoView::refresh);
        connect(m_model, &GameMemoLibraryModel::isSavingChanged, this, &CurrentGameMemoView::refresh);
    }
    refresh();
    // Typing goes on after what the note already says.
    m_editor->textEdit()->moveCursor(QTextCursor::End);
}

CurrentGameMemoView::~CurrentGameMemoView()
{
    // Closed without being hidden first (the popover deleted while shown).
    if (isVisible() && m_model) {
        disconnect(m_model, nullptr, this, nullptr);
        m_model->flushPendingSave();
    }
}

QString CurrentGameMemoView::headerText(const GameMemoContext &context)
{
    return shownNoteTitle(context.representativeGameName.value_or(context.windowTitle));
}

void CurrentGameMemoView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_model) {
        m_model->ensureEntry(m_context);
    }
    refresh();
}

void CurrentGameMemoView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_model) {
        m_model->flushPendingSave();
    }
}

void CurrentGameMemoView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        m_header->setFullText(headerText(m_context));
        m_editor->textEdit()->setAccessibleName(headerText(m_context));
        m_errorRow->retranslate();
        refresh();
    }
}

void CurrentGameMemoView::refresh()
{
    if (!m_model) {
        return;
    }
    const auto note = m_model->entriesByKey().constFind(m_context.key);
    const QString text = note != m_model->entriesByKey().constEnd() ? note->text : QString();
    // A save drops a blank note from the model as well as from the file: the line breaks
    // and spaces typed so far stay in the editor, with the cursor where it is.
    if (!text.isEmpty() || !m_editor->textEdit()->toPlainText().trimmed().isEmpty()) {
        m_editor->showText(text);
    }

    const std::optional<ErrorMessage> &error = m_model->errorMessage();
    m_errorRow->setVisible(error.has_value());
    m_statusLabel->setVisible(!error.has_value());
    if (error) {
        m_errorRow->setMessage(error->localized());
        m_errorRow->retranslate();
    } else if (const std::optional<ErrorMessage> &notice = m_model->notice()) {
        m_statusLabel->setText(notice->localized());
    } else {
        m_statusLabel->setText(m_model->isSaving()
                ? localizedString(QT_TRANSLATE_NOOP("Veyra", "Saving…"))
                : localizedString(QT_TRANSLATE_NOOP("Veyra", "Changes are saved automatically.")));
    }
}

} // namespace veyra
