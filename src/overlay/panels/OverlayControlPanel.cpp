#include "overlay/panels/OverlayControlPanel.h"

#include "overlay/layout/OverlayLayoutGeometry.h"
#include "overlay/panels/OverlayPanel.h"
#include "overlay/strip/OverlayControlView.h"

#include <QVBoxLayout>

namespace veyra {

OverlayControlPanel::OverlayControlPanel(OverlayControlView *view, QWidget *overlayPanel)
    : QWidget(overlayPanel, OverlayPanel::floatingWindowFlags())
    , m_view(view)
{
    setObjectName(QStringLiteral("overlay-controls"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(overlayControlStripSize.toSize());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    create();
}

} // namespace veyra
