#include "notes/views/GameMemoLibraryView.h"

#include "brand/BrandIcons.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/LocalizedString.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/views/GameMemoErrorRow.h"
#include "notes/views/GameMemoListModel.h"
#include "notes/views/GameMemoRowDelegate.h"
#include "notes/views/GameMemoStyle.h"
#include "notes/views/NoteTextEditor.h"
#include "notes/views/ShownNoteTitle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace veyra {

namespace {

using gameMemoStyle::TextStyle;

constexpr int emptyStateIconSize = 44;
// The relative times of the rows are redrawn this often while the window is shown.
constexpr auto relativeTimeRefreshInterval = std::chrono::seconds(30);

QLabel *plainLabel(TextStyle style, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    gameMemoStyle::applyFont(label, style);
    return label;
}

} // namespace

GameMemoLibraryView::GameMemoLibraryView(GameMemoLibraryModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_listModel(new GameMemoListModel(this))
    , m_relativeTimeTimer(new QTimer(this))
{
    setMinimumSize(minimumContentSize);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(1);
    splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: palette(mid); }"));
    splitter->addWidget(makeSidebar());
    // The detail (or the empty state) over the model's notice, shown either way.
    auto *detailColumn = new QWidget(splitter);
    m_detailStack = new QStackedWidget(detailColumn);
    m_detailStack->addWidget(makeEmptyState());
    m_detailStack->addWidget(makeDetail());
    m_noticeLabel = plainLabel(TextStyle::caption, detailColumn);
    m_noticeLabel->setObjectName(QStringLiteral("game-notes-notice"));
    m_noticeLabel->setContentsMargins(20, 0, 20, 12);
    gameMemoStyle::applyTextColor(m_noticeLabel, gameMemoStyle::secondaryText(palette()));
    auto *columnLayout = new QVBoxLayout(detailColumn);
    columnLayout->setContentsMargins(0, 0, 0, 0);
    columnLayout->setSpacing(0);
    columnLayout->addWidget(m_detailStack, 1);
    columnLayout->addWidget(m_noticeLabel);
    splitter->addWidget(detailColumn);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, defaultWindowSize.width() - 250});

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &GameMemoLibraryView::listSelectionChanged);
    connect(m_detailEditor, &NoteTextEditor::textEdited, this, [this](const QString &text) {
        if (m_model && m_selection) {
            m_model->updateText(text, *m_selection);
        }
    });
    connect(m_errorRow, &GameMemoErrorRow::retryRequested, this, [this] {
        if (m_model) {
            m_model->saveNow();
        }
    });
    if (m_model) {
        connect(m_model, &GameMemoLibraryModel::entriesByKeyChanged, this, &GameMemoLibraryView::refresh);
        connect(m_model, &GameMemoLibraryModel::errorMessageChanged, this, &GameMemoLibraryView::refreshDetail);
        connect(m_model, &GameMemoLibraryModel::noticeChanged, this, &GameMemoLibraryView::refreshNotice);
    }
    m_relativeTimeTimer->setInterval(relativeTimeRefreshInterval);
    connect(m_relativeTimeTimer, &QTimer::timeout, m_list->viewport(), qOverload<>(&QWidget::update));

    retranslate();
    refresh();
}

GameMemoLibraryView::~GameMemoLibraryView()
{
    // Closed without being hidden first.
    if (isVisible() && m_model) {
        disconnect(m_model, nullptr, this, nullptr);
        m_model->flushPendingSave();
    }
}

QWidget *GameMemoLibraryView::makeSidebar()
{
    // The sidebar is a slightly darker panel; the list draws on it without a box of its own.
    auto *sidebar = new QWidget;
    sidebar->setAutoFillBackground(true);
    QPalette panel = sidebar->palette();
    panel.setColor(QPalette::Window, panel.color(QPalette::Window).darker(104));
    sidebar->setPalette(panel);
    m_navigationTitle = plainLabel(TextStyle::title2, sidebar);
    m_navigationTitle->setWordWrap(false);
    m_list = new QListView(sidebar);
    m_list->setModel(m_listModel);
    m_list->setItemDelegate(new GameMemoRowDelegate([] { return QDateTime::currentDateTimeUtc(); }, m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->viewport()->setAutoFillBackground(false);
    m_list->setAutoFillBackground(false);
    m_list->setSpacing(1);

    auto *layout = new QVBoxLayout(sidebar);
    layout->setContentsMargins(8, 14, 8, 8);
    layout->setSpacing(10);
    auto *titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(6, 0, 6, 0);
    titleRow->addWidget(m_navigationTitle);
    layout->addLayout(titleRow);
    layout->addWidget(m_list, 1);
    sidebar->setMinimumWidth(200);
    return sidebar;
}

QWidget *GameMemoLibraryView::makeDetail()
{
    auto *detail = new QWidget;
    m_detailTitle = plainLabel(TextStyle::title2, detail);
    m_detailWindowTitle = plainLabel(TextStyle::caption, detail);
    gameMemoStyle::applyTextColor(m_detailWindowTitle, gameMemoStyle::secondaryText(palette()));
    m_detailEditor = new NoteTextEditor(QString::fromLatin1(detailEditorObjectName), 8, detail);
    m_errorRow = new GameMemoErrorRow(0, detail);

    auto *layout = new QVBoxLayout(detail);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(12);
    layout->addWidget(m_detailTitle);
    layout->addWidget(m_detailWindowTitle);
    layout->addWidget(m_detailEditor, 1);
    layout->addWidget(m_errorRow);
    return detail;
}

QWidget *GameMemoLibraryView::makeEmptyState()
{
    auto *empty = new QWidget;
    m_emptyIcon = new QLabel(empty);
    m_emptyIcon->setAlignment(Qt::AlignCenter);
    m_emptyTitle = plainLabel(TextStyle::title2, empty);
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    m_emptyDescription = plainLabel(TextStyle::body, empty);
    m_emptyDescription->setAlignment(Qt::AlignCenter);
    gameMemoStyle::applyTextColor(m_emptyDescription, gameMemoStyle::secondaryText(palette()));

    auto *layout = new QVBoxLayout(empty);
    layout->setContentsMargins(32, 32, 32, 32);
    layout->setSpacing(8);
    layout->addStretch(1);
    layout->addWidget(m_emptyIcon);
    layout->addSpacing(4);
    layout->addWidget(m_emptyTitle);
    layout->addWidget(m_emptyDescription);
    layout->addStretch(1);
    return empty;
}

bool GameMemoLibraryView::isShowingDetail() const
{
    return m_detailStack->currentIndex() == 1;
}

void GameMemoLibraryView::setSelection(std::optional<GameWindowProfileKey> key)
{
    if (key == m_selection) {
        return;
    }
    m_selection = std::move(key);
    if (m_model) {
        // Writes the edits of the note that was left; refreshes through the model.
        m_model->flushPendingSave();
    }
    refresh();
}

void GameMemoLibraryView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_relativeTimeTimer->start();
    m_list->viewport()->update();
}

void GameMemoLibraryView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_relativeTimeTimer->stop();
    if (m_model) {
        m_model->flushPendingSave();
    }
}

void GameMemoLibraryView::refresh()
{
    m_listModel->setEntries(m_model ? m_model->sortedEntries() : QVector<GameMemoEntry>());
    selectListRow();
    refreshDetail();
    refreshNotice();
}

void GameMemoLibraryView::refreshNotice()
{
    const std::optional<ErrorMessage> notice = m_model ? m_model->notice() : std::nullopt;
    m_noticeLabel->setText(notice ? notice->localized() : QString());
    m_noticeLabel->setVisible(notice.has_value());
}

void GameMemoLibraryView::refreshDetail()
{
    const GameMemoEntry *note = nullptr;
    if (m_model && m_selection) {
        const auto found = m_model->entriesByKey().constFind(*m_selection);
        if (found != m_model->entriesByKey().constEnd()) {
            note = &*found;
        }
    }
    if (note == nullptr) {
        showEmptyStateTexts();
        m_detailStack->setCurrentIndex(0);
        m_shownKey.reset();
        return;
    }
    const bool anotherNote = m_shownKey != note->key;
    m_shownKey = note->key;
    m_detailTitle->setText(shownNoteTitle(note->displayTitle()));
    m_detailWindowTitle->setText(note->windowTitle);
    m_detailWindowTitle->setVisible(!note->windowTitle.isEmpty());
    m_detailEditor->textEdit()->setAccessibleName(shownNoteTitle(note->displayTitle()));
    m_detailEditor->showText(note->text, anotherNote);
    const std::optional<ErrorMessage> &error = m_model->errorMessage();
    m_errorRow->setVisible(error.has_value());
    if (error) {
        m_errorRow->setMessage(error->localized());
    }
    m_detailStack->setCurrentIndex(1);
}

void GameMemoLibraryView::showEmptyStateTexts()
{
    // With notes in the list, the detail is empty only because none is chosen.
    if (m_listModel->rowCount() > 0) {
        m_emptyTitle->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "No Note Selected")));
        m_emptyDescription->setText(
            localizedString(QT_TRANSLATE_NOOP("Veyra", "Choose a note in the list to read or edit it.")));
    } else {
        m_emptyTitle->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "No Game Notes")));
        m_emptyDescription->setText(
            localizedString(QT_TRANSLATE_NOOP("Veyra", "Add a note from the overlay while playing a game.")));
    }
}

void GameMemoLibraryView::selectListRow()
{
    const std::optional<int> row = m_selection ? m_listModel->rowOf(*m_selection) : std::nullopt;
    QItemSelectionModel *selection = m_list->selectionModel();
    m_selectingRow = true;
    if (row) {
        const QModelIndex index = m_listModel->index(*row);
        if (!selection->isSelected(index) || selection->currentIndex() != index) {
            selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        }
    } else if (selection->hasSelection()) {
        selection->clearSelection();
    }
    m_selectingRow = false;
}

void GameMemoLibraryView::listSelectionChanged()
{
    if (m_selectingRow) {
        return;
    }
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        // A row that left the list (its text was cleared) is not the user's choice.
        if (m_selection && !m_listModel->rowOf(*m_selection)) {
            return;
        }
        setSelection(std::nullopt);
        return;
    }
    setSelection(m_listModel->keyAt(selected.first().row()));
}

void GameMemoLibraryView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
}

void GameMemoLibraryView::retranslate()
{
    setLocale(currentClientLanguageLocale());
    const QString title = gameNotesWindowTitle();
    setWindowTitle(title);
    m_navigationTitle->setText(title);
    showEmptyStateTexts();
    m_emptyIcon->setPixmap(symbolPixmap(QStringLiteral("NoteText"), QSize(emptyStateIconSize, emptyStateIconSize),
        gameMemoStyle::tertiaryText(palette()), devicePixelRatioF()));
    m_errorRow->retranslate();
    if (m_model && m_model->errorMessage()) {
        m_errorRow->setMessage(m_model->errorMessage()->localized());
    }
    refreshNotice();
    refreshDetail();
    m_list->viewport()->update();
}

} // namespace veyra
