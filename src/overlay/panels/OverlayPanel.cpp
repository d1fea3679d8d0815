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
    // Outside the window manager's care: no window manager's layers or full-screen rules
    // can put a game above it (the controller keeps it on top), no workspace switch takes
    // it off the screen, and none ever gives it the focus.
    return Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus;
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
    // The input area is set while the window is exposed, and again after every map: a
    // window manager that manages a window takes it over at every map (openbox does), and
    // one set before the window is mapped may be lost.
    QWindow *window = windowHandle();
    window->setFlag(Qt::WindowTransparentForInput, m_clickThrough && window->isExposed());
}

} // namespace veyra
