#include "overlay/panels/OverlayPanel.h"

#include "foundation/identity/AppIdentity.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "overlay/views/OverlayContentView.h"

#include <QEvent>
#include <QVBoxLayout>
#include <QWindow>

namespace veyra {

Qt::WindowFlags OverlayPanel::floatingWindowFlags()
{
    return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;
}

OverlayPanel::OverlayPanel(OverlayContentView *content)
    : QWidget(nullptr, floatingWindowFlags())
    , m_content(content)
{
    setObjectName(QStringLiteral("overlay"));
    setWindowTitle(overlayWindowTitle());
    relabelOnLanguageChange(this, [this] { setWindowTitle(overlayWindowTitle()); });
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    create();
    windowHandle()->installEventFilter(this);
}

bool OverlayPanel::isNativelyClickThrough() const
{
    return windowHandle()->flags().testFlag(Qt::WindowTransparentForInput);
}

void OverlayPanel::setClickThrough(bool clickThrough)
{
    m_clickThrough = clickThrough;
    applyClickThrough();
}

bool OverlayPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && (event->type() == QEvent::Expose || event->type() == QEvent::Hide)) {
        applyClickThrough();
    }
    return QWidget::eventFilter(watched, event);
}

void OverlayPanel::applyClickThrough()
{
    // A window manager takes over the window's input area when it starts managing the
    // window (openbox does at every map): an empty input area set before that is lost, so it
    // is set only while the window is exposed, and again after every map.
    QWindow *window = windowHandle();
    window->setFlag(Qt::WindowTransparentForInput, m_clickThrough && window->isExposed());
}

} // namespace veyra
