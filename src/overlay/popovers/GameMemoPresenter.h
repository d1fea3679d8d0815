#pragma once

#include "notes/model/GameMemoContext.h"
#include "overlay/popovers/OverlayPopover.h"

#include <QObject>
#include <QPointer>

namespace veyra {

class GameMemoLibraryModel;

// The note popover: the note editor of the current game, pointing at the strip's note
// item. Closing it, whether or not it is open, writes a note being typed at once.
class GameMemoPresenter : public QObject
{
    Q_OBJECT

public:
    explicit GameMemoPresenter(GameMemoLibraryModel &library, QObject *parent = nullptr);
    ~GameMemoPresenter() override;

    GameMemoLibraryModel &library() const { return m_library; }
    OverlayPopover *popover() const { return m_popover; }

    // Closes an open note, makes sure the game has a note and opens its editor.
    void present(const GameMemoContext &context, QWidget *anchor);
    // Cancels the pending delayed save and saves all notes now, then closes the popover.
    void close();

Q_SIGNALS:
    // A click of `button` outside closed the popover pointing at `anchor`; the button went
    // down there.
    void popoverClosedByClick(QPoint globalPosition, Qt::MouseButton button, QWidget *anchor);

private:
    GameMemoLibraryModel &m_library;
    QPointer<OverlayPopover> m_popover;
};

} // namespace veyra
