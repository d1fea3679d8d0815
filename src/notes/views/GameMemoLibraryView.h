#pragma once

#include "capture/target/GameWindowProfileKey.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

#include <optional>

class QLabel;
class QListView;
class QStackedWidget;
class QTimer;

namespace veyra {

class ElidedLabel;
class GameMemoErrorRow;
class GameMemoLibraryModel;
class GameMemoListModel;
class NoteTextEditor;

// The content of the notes window: a list of every note with text, newest first, beside
// the selected note's editor (or an empty state when none is selected). Edits go to the
// model; changing the selection and closing the window write a pending save at once.
// The model's notice (notes kept aside that came back) shows under either.
// The window's texts, dates and numbers follow the interface language.
class GameMemoLibraryView : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize minimumContentSize{680, 460};
    // The size the notes window ("game-notes") opens with.
    static constexpr QSize defaultWindowSize{760, 520};
    static constexpr const char *windowIdentifier = "game-notes";
    static constexpr const char *detailEditorObjectName = "game-notes-detail-editor";

    explicit GameMemoLibraryView(GameMemoLibraryModel *model, QWidget *parent = nullptr);
    ~GameMemoLibraryView() override;

    // The key of the selected note; none at first.
    const std::optional<GameWindowProfileKey> &selection() const { return m_selection; }
    // What choosing a row (or clearing the choice) does: a change writes a pending save.
    void setSelection(std::optional<GameWindowProfileKey> key);

    GameMemoListModel *listModel() const { return m_listModel; }
    QListView *listView() const { return m_list; }
    // True while the detail column shows the selected note rather than the empty state.
    bool isShowingDetail() const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *makeSidebar();
    QWidget *makeDetail();
    QWidget *makeEmptyState();
    void refresh();
    void refreshDetail();
    void refreshNotice();
    // The empty detail's title and description: no notes at all, or none chosen.
    void showEmptyStateTexts();
    void selectListRow();
    void listSelectionChanged();
    void retranslate();

    QPointer<GameMemoLibraryModel> m_model;
    std::optional<GameWindowProfileKey> m_selection;
    std::optional<GameWindowProfileKey> m_shownKey;
    bool m_selectingRow = false;

    GameMemoListModel *m_listModel;
    QLabel *m_navigationTitle = nullptr;
    QListView *m_list = nullptr;
    QStackedWidget *m_detailStack = nullptr;
    QLabel *m_detailTitle = nullptr;
    QLabel *m_detailWindowTitle = nullptr;
    NoteTextEditor *m_detailEditor = nullptr;
    GameMemoErrorRow *m_errorRow = nullptr;
    QLabel *m_emptyIcon = nullptr;
    QLabel *m_emptyTitle = nullptr;
    QLabel *m_emptyDescription = nullptr;
    QLabel *m_noticeLabel = nullptr;
    QTimer *m_relativeTimeTimer;
};

} // namespace veyra
