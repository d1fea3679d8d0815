#pragma once

#include <QWidget>

namespace veyra {

class OverlayControlView;

// The control strip's window: a frameless tool window of 156 x 38 that belongs to the
// overlay panel (stacked directly above it), bypasses the window manager as the panel does
// and never takes the keyboard focus. It always takes clicks, also while the overlay is
// click-through.
class OverlayControlPanel : public QWidget
{
    Q_OBJECT

public:
    OverlayControlPanel(OverlayControlView *view, QWidget *overlayPanel);

    OverlayControlView *controlView() const { return m_view; }

private:
    OverlayControlView *m_view;
};

} // namespace veyra
