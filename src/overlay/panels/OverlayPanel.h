#pragma once

#include <QWidget>

namespace veyra {

class OverlayContentView;

// The floating text overlay: a frameless tool window with a translucent background that
// bypasses the window manager (so it shows on every workspace and above full-screen
// games, kept on top by the controller) and never takes the keyboard focus (nothing in it
// reads keys; the popovers that do are windows of their own). Clicks pass through it to
// the game while it is click-through.
class OverlayPanel : public QWidget
{
    Q_OBJECT

public:
    // Window flags of the overlay's floating windows.
    static Qt::WindowFlags floatingWindowFlags();

    explicit OverlayPanel(OverlayContentView *content);

    OverlayContentView *contentView() const { return m_content; }

    // Whether clicks pass through the window, as asked.
    bool isClickThrough() const { return m_clickThrough; }
    // Whether they pass through now: the native window's input is switched off only while
    // the window is on screen (see applyClickThrough()).
    bool isNativelyClickThrough() const;
    // Switched on the native window, which stays mapped, placed and stacked.
    void setClickThrough(bool clickThrough);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyClickThrough();

    OverlayContentView *m_content;
    bool m_clickThrough = false;
};

} // namespace veyra
