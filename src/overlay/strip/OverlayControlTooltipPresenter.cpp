#include "overlay/strip/OverlayControlTooltipPresenter.h"

#include "overlay/strip/OverlayControlTooltipContentView.h"

#include <QScreen>
#include <QVBoxLayout>

namespace veyra {

OverlayControlTooltipPresenter::OverlayControlTooltipPresenter(QObject *parent)
    : QObject(parent)
{
    m_pendingPresentation.setSingleShot(true);
    m_pendingPresentation.setInterval(delayMs);
    connect(&m_pendingPresentation, &QTimer::timeout, this, [this] {
        if (m_pendingAnchor) {
            present(m_pendingText, m_pendingAnchor);
        }
    });
}

OverlayControlTooltipPresenter::~OverlayControlTooltipPresenter()
{
    delete m_tooltipPanel;
}

void OverlayControlTooltipPresenter::schedule(const QString &text, QWidget *anchor)
{
    hide();
    m_pendingText = text;
    m_pendingAnchor = anchor;
    m_pendingPresentation.start();
}

void OverlayControlTooltipPresenter::present(const QString &text, QWidget *anchor)
{
    if (anchor == nullptr || anchor->window() == nullptr || !anchor->isVisible()) {
        return;
    }
    hide();
    // A window of its own that never takes focus or clicks, above everything.
    auto *panel = new QWidget(nullptr,
        Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
            | Qt::WindowTransparentForInput);
    panel->setObjectName(QStringLiteral("overlay-control-tooltip-panel"));
    panel->setAttribute(Qt::WA_TranslucentBackground);
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    panel->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *content = new OverlayControlTooltipContentView(text, panel);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    const QSize size = content->fittingSize();
    panel->resize(size);

    const QRect item(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    const QScreen *screen = anchor->screen();
    const QPoint position = placement(item, size, screen != nullptr ? screen->availableGeometry() : QRect());
    panel->move(position);
    panel->show();
    m_tooltipPanel = panel;
}

QPoint OverlayControlTooltipPresenter::placement(const QRect &item, const QSize &size, const QRect &workArea)
{
    int x = item.left() + item.width() / 2 - size.width() / 2;
    // Above the item: in Qt's coordinates y grows downwards.
    int y = item.top() - gap - size.height();
    if (workArea.isValid()) {
        x = std::max(x, workArea.left() + gap);
        x = std::min(x, workArea.left() + workArea.width() - size.width() - gap);
        if (y < workArea.top()) {
            y = item.top() + item.height() + gap;
        }
    }
    return {x, y};
}

void OverlayControlTooltipPresenter::hide()
{
    m_pendingPresentation.stop();
    m_pendingAnchor = nullptr;
    if (m_tooltipPanel) {
        m_tooltipPanel->hide();
        m_tooltipPanel->deleteLater();
        m_tooltipPanel = nullptr;
    }
}

} // namespace veyra
