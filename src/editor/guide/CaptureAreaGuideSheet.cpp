#include "editor/guide/CaptureAreaGuideSheet.h"

#include "brand/WindowFit.h"
#include "editor/guide/CaptureAreaEditingGuideView.h"

#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace veyra {

CaptureAreaGuideSheet::CaptureAreaGuideSheet(std::function<void()> onDone, QWidget *editor)
    : QDialog(editor)
    , m_view(new CaptureAreaEditingGuideView(std::move(onDone), this))
{
    setWindowModality(Qt::WindowModal);
    setFixedSize(CaptureAreaEditingGuideView::fixedSize);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // On a screen with less room than the guide the sheet is smaller and the guide scrolls,
    // its scroll bar in the guide's dark scheme.
    QScrollArea *scrolling = WindowFit::scrolling(m_view, this);
    scrolling->setPalette(m_view->palette());
    layout->addWidget(scrolling);
}

void CaptureAreaGuideSheet::present()
{
    m_wanted = true;
    if (isVisible()) {
        return;
    }
    QWidget *editor = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (editor == nullptr) {
        open();
        return;
    }
    // Over the editor where the window manager has put it: the guide that comes by itself
    // at the first visit is asked for while the editor is still being framed and moved.
    WindowFit::whenFramed(*editor, this, [this, editor] {
        if (!m_wanted || isVisible()) {
            return;
        }
        const QScreen *screen = editor->screen();
        WindowFit::fitFixed(*this, CaptureAreaEditingGuideView::fixedSize, screen);
        // By its client area: the dialog's own placement, which moves the frame, is left out.
        QRect sheet(QPoint(), size());
        sheet.moveCenter(editor->geometry().center());
        if (screen != nullptr) {
            sheet = WindowFit::keptInside(sheet, WindowFit::frameMargins(*this), screen->availableGeometry());
        }
        setGeometry(sheet);
        open();
    });
}

void CaptureAreaGuideSheet::withdraw()
{
    m_wanted = false;
    if (isVisible()) {
        hide();
    }
}

} // namespace veyra
