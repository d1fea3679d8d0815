#pragma once

#include "notes/model/GameMemoContext.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

class QLabel;

namespace veyra {

class ElidedLabel;
class GameMemoErrorRow;
class GameMemoLibraryModel;
class NoteTextEditor;

// The note editor of the game being played: the whole content of the overlay's note
// popover, exactly `contentSize`. It shows the game's name, the note of the context's
// game window and one status line (the model's whole error with "Try Again", else its
// notice, "Saving…" or "Changes are saved automatically."). Every change typed goes to
// the model; the note is made sure to exist when the view comes on screen, and a pending
// save is written at once when it goes.
class CurrentGameMemoView : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize contentSize{360, 280};
    static constexpr const char *editorObjectName = "game-note-editor";

    CurrentGameMemoView(GameMemoLibraryModel *model, GameMemoContext context, QWidget *parent = nullptr);
    ~CurrentGameMemoView() override;

    GameMemoLibraryModel *model() const { return m_model; }
    const GameMemoContext &context() const { return m_context; }

    // The header's text: the game name when the context has one (an empty one too),
    // else the window title; "(Untitled)" in the interface language when that has
    // nothing but blanks.
    static QString headerText(const GameMemoContext &context);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void refresh();

    QPointer<GameMemoLibraryModel> m_model;
    GameMemoContext m_context;
    ElidedLabel *m_header;
    NoteTextEditor *m_editor;
    GameMemoErrorRow *m_errorRow;
    QLabel *m_statusLabel;
};

} // namespace veyra
