#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>

#include <functional>

namespace veyra {

class CaptureAreaEditingGuideView;

// The window-modal sheet that holds the guide over the capture-area editor (its parent):
// the guide's fixed size, its client area centred on the editor's and kept on the editor's
// screen, placed so each time it opens. It is placed by its client area, which a window
// manager keeps where it is asked: a dialog's own placement moves the frame, whose size is
// known only once the window manager has framed the window, so a sheet whose native window
// was given back while it was hidden came back offset by its last frame every other time.
class CaptureAreaGuideSheet : public QDialog
{
    Q_OBJECT

public:
    // `onDone` is the guide's Done action.
    CaptureAreaGuideSheet(std::function<void()> onDone, QWidget *editor);

    CaptureAreaEditingGuideView &view() const { return *m_view; }

    // Opens the sheet over the editor; one that is open already stays where it is.
    void present();

    // The sheet's client area for an editor whose client area is `editor`, on a screen
    // whose free area is `available`, with the editor's frame around it (`frame`, its
    // margins on each side): centred on the editor, moved (frame included) inside the free
    // area where it would stick out.
    static QRect placement(const QRect &editor, const QRect &available, const QMargins &frame, QSize size);

private:
    CaptureAreaEditingGuideView *m_view;
};

} // namespace veyra
