#include "editor/guide/CaptureAreaGuideSheet.h"

#include "editor/guide/CaptureAreaEditingGuideView.h"

#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace veyra {

CaptureAreaGuideSheet::CaptureAreaGuideSheet(std::function<void()> onDone, QWidget *editor)
    : QDialog(editor)
    , m_view(new CaptureAreaEditingGuideView(std::move(onDone), this))
{
    setWindowModality(Qt::WindowModal);
    setFixedSize(CaptureAreaEditingGuideView::fixedSize);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

void CaptureAreaGuideSheet::present()
{
    if (isVisible()) {
        return;
    }
    if (const QWidget *editor = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect client = editor->geometry();
        const QRect framed = editor->frameGeometry();
        const QMargins frame(client.left() - framed.left(), client.top() - framed.top(),
            framed.right() - client.right(), framed.bottom() - client.bottom());
        const QScreen *screen = editor->screen();
        // By its client area: the dialog's own placement, which moves the frame, is left out.
        setGeometry(placement(client, screen ? screen->availableGeometry() : QRect(), frame, size()));
    }
    open();
}

QRect CaptureAreaGuideSheet::placement(const QRect &editor, const QRect &available, const QMargins &frame, QSize size)
{
    QRect sheet(QPoint(), size);
    sheet.moveCenter(editor.center());
    if (available.isEmpty()) {
        return sheet;
    }
    const QRect room = available.marginsRemoved(frame);
    // The top left corner (with the title bar) wins where the sheet is larger than the room.
    sheet.moveLeft(std::max(std::min(sheet.left(), room.right() + 1 - size.width()), room.left()));
    sheet.moveTop(std::max(std::min(sheet.top(), room.bottom() + 1 - size.height()), room.top()));
    return sheet;
}

} // namespace veyra
