#include "overlay/popovers/GameMemoPresenter.h"

#include "notes/model/GameMemoLibraryModel.h"
#include "notes/views/CurrentGameMemoView.h"

namespace veyra {

GameMemoPresenter::GameMemoPresenter(GameMemoLibraryModel &library, QObject *parent)
    : QObject(parent)
    , m_library(library)
{ }

GameMemoPresenter::~GameMemoPresenter()
{
    delete m_popover;
}

void GameMemoPresenter::present(const GameMemoContext &context, QWidget *anchor)
{
    close();
    m_library.ensureEntry(context);
    auto *popover = new OverlayPopover(new CurrentGameMemoView(&m_library, context));
    popover->setObjectName(QStringLiteral("game-note-popover"));
    m_popover = popover;
    connect(popover, &OverlayPopover::closedByClick, this,
        [this, anchor = QPointer<QWidget>(anchor)](QPoint globalPosition, Qt::MouseButton button) {
            Q_EMIT popoverClosedByClick(globalPosition, button, anchor);
        });
    popover->showAt(anchor);
}

void GameMemoPresenter::close()
{
    m_library.flushPendingSave();
    if (m_popover) {
        m_popover->close();
        m_popover->deleteLater();
    }
    m_popover = nullptr;
}

} // namespace veyra
