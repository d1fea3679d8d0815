#include "overlay/strip/OverlayControlView.h"

#include "overlay/strip/OverlayActionView.h"
#include "overlay/strip/OverlayControlTooltipPresenter.h"
#include "overlay/strip/OverlayHandleView.h"
#include "overlay/views/OverlayStyle.h"

#include <QContextMenuEvent>
#include <QPainter>

namespace veyra {

OverlayControlView::OverlayControlView(QWidget *parent)
    : QWidget(parent)
    , m_gameNoteHandle(new OverlayActionView(QStringLiteral(":/icons/OverlayGameNote.svg"),
          QT_TRANSLATE_NOOP("Veyra", "Game Note"), QStringLiteral("game-note"), this))
    , m_reportHandle(new OverlayActionView(QStringLiteral(":/icons/OverlayReportTranslationError.svg"),
          QT_TRANSLATE_NOOP("Veyra", "Report Translation Error"), QStringLiteral("report-translation-error"), this))
    , m_moveHandle(new OverlayHandleView(QStringLiteral(":/icons/OverlayMove.svg"),
          QT_TRANSLATE_NOOP("Veyra", "Move Overlay"), QStringLiteral("move-overlay"), this))
    , m_resizeHandle(new OverlayHandleView(QStringLiteral(":/icons/OverlayResize.svg"),
          QT_TRANSLATE_NOOP("Veyra", "Resize Overlay"), QStringLiteral("resize-overlay"), this))
    , m_tooltipPresenter(new OverlayControlTooltipPresenter(this))
{
    setAttribute(Qt::WA_TranslucentBackground);
    for (OverlayActionView *action : {m_gameNoteHandle, m_reportHandle}) {
        setActionAvailable(action, false);
    }
    for (OverlayControlItemView *item : {static_cast<OverlayControlItemView *>(m_gameNoteHandle),
             static_cast<OverlayControlItemView *>(m_reportHandle), static_cast<OverlayControlItemView *>(m_moveHandle),
             static_cast<OverlayControlItemView *>(m_resizeHandle)}) {
        connectTooltip(item);
    }
    connect(m_gameNoteHandle, &OverlayActionView::triggered, this, [this] {
        m_tooltipPresenter->hide();
        Q_EMIT gameNoteClicked(m_gameNoteHandle);
    });
    connect(m_reportHandle, &OverlayActionView::triggered, this, [this] {
        m_tooltipPresenter->hide();
        Q_EMIT reportClicked(m_reportHandle);
    });
    connectGesture(
        m_moveHandle, &OverlayControlView::moveBegan, &OverlayControlView::moveChanged, &OverlayControlView::moveEnded);
    connectGesture(m_resizeHandle, &OverlayControlView::resizeBegan, &OverlayControlView::resizeChanged,
        &OverlayControlView::resizeEnded);
    updateAlpha();
}

OverlayControlView::~OverlayControlView() = default;

void OverlayControlView::setActionAvailable(OverlayActionView *item, bool available)
{
    item->setActionEnabled(available);
    item->setItemAlpha(available ? 1.0 : disabledItemAlpha);
}

bool OverlayControlView::clickActionAt(QPoint globalPosition, const QWidget *except)
{
    for (OverlayActionView *item : {m_gameNoteHandle, m_reportHandle}) {
        if (item != except && item->isVisible() && item->rect().contains(item->mapFromGlobal(globalPosition))) {
            item->click();
            return true;
        }
    }
    return false;
}

bool OverlayControlView::requestMenuAt(QPoint globalPosition)
{
    if (!isVisible() || !rect().contains(mapFromGlobal(globalPosition))) {
        return false;
    }
    m_tooltipPresenter->hide();
    Q_EMIT menuRequested(globalPosition);
    return true;
}

void OverlayControlView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setOpacity(m_alpha);
    paintPlate(painter, rect(), 11, 0.58, 0.16);
}

void OverlayControlView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Four items of a quarter of the width each; the last one takes what is left.
    const int quarter = static_cast<int>(width() * 0.25);
    m_gameNoteHandle->setGeometry(0, 0, quarter, height());
    m_reportHandle->setGeometry(quarter, 0, quarter, height());
    m_moveHandle->setGeometry(2 * quarter, 0, quarter, height());
    m_resizeHandle->setGeometry(3 * quarter, 0, width() - 3 * quarter, height());
}

void OverlayControlView::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    m_isPointerInside = true;
    updateAlpha();
}

void OverlayControlView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_isPointerInside = false;
    m_tooltipPresenter->hide();
    updateAlpha();
}

void OverlayControlView::hideEvent(QHideEvent *event)
{
    m_tooltipPresenter->hide();
    QWidget::hideEvent(event);
}

void OverlayControlView::contextMenuEvent(QContextMenuEvent *event)
{
    m_tooltipPresenter->hide();
    Q_EMIT menuRequested(event->globalPos());
    event->accept();
}

void OverlayControlView::connectTooltip(OverlayControlItemView *item)
{
    connect(item, &OverlayControlItemView::hoverChanged, this, [this, item](bool inside) {
        if (inside) {
            m_tooltipPresenter->schedule(item->title(), item);
        } else {
            m_tooltipPresenter->hide();
        }
    });
    connect(item, &OverlayControlItemView::interacted, m_tooltipPresenter, &OverlayControlTooltipPresenter::hide);
}

void OverlayControlView::connectGesture(OverlayHandleView *handle, void (OverlayControlView::*began)(QPointF),
    void (OverlayControlView::*changed)(QPointF), void (OverlayControlView::*ended)())
{
    connect(handle, &OverlayHandleView::began, this, [this, began](QPointF position) {
        m_tooltipPresenter->hide();
        ++m_interactionCount;
        updateAlpha();
        Q_EMIT(this->*began)(position);
    });
    connect(handle, &OverlayHandleView::changed, this, [this, changed](QPointF position) {
        Q_EMIT(this->*changed)(position);
    });
    connect(handle, &OverlayHandleView::ended, this, [this, ended] {
        Q_EMIT(this->*ended)();
        m_interactionCount = std::max(m_interactionCount - 1, 0);
        updateAlpha();
    });
}

void OverlayControlView::updateAlpha()
{
    const double alpha = m_isPointerInside || m_interactionCount > 0 ? 1.0 : restingAlpha;
    if (alpha == m_alpha) {
        return;
    }
    m_alpha = alpha;
    update();
    for (QWidget *item : findChildren<OverlayControlItemView *>()) {
        item->update();
    }
}

} // namespace veyra
