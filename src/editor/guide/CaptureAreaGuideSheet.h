#pragma once

#include <QDialog>

#include <functional>

namespace veyra {

class CaptureAreaEditingGuideView;

// The window-modal sheet that holds the guide over the capture-area editor (its parent):
// the guide's fixed size (where the editor's screen has less room, a smaller sheet in which
// the guide scrolls), its client area centred on the editor's, its frame kept inside the
// screen's free area, placed so each time it opens, once the window manager has framed and
// placed the editor. It is placed by its client area, which a window manager keeps where it
// is asked: a dialog's own placement moves the frame, whose size is known only once the
// window manager has framed the window, so a sheet whose native window was given back while
// it was hidden came back offset by its last frame every other time.
class CaptureAreaGuideSheet : public QDialog
{
    Q_OBJECT

public:
    // `onDone` is the guide's Done action.
    CaptureAreaGuideSheet(std::function<void()> onDone, QWidget *editor);

    CaptureAreaEditingGuideView &view() const { return *m_view; }

    // Opens the sheet over the editor, at once or once the editor is framed; one that is
    // open already stays where it is.
    void present();
    // Closes the sheet, or keeps it from opening when it is still to open.
    void withdraw();

private:
    CaptureAreaEditingGuideView *m_view;
    // Presented and not withdrawn since.
    bool m_wanted = false;
};

} // namespace veyra
