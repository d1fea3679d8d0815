#include "editor/views/CaptureAreaSaveFailureAlert.h"

#include "foundation/language/InterfaceLanguageChange.h"
#include "foundation/language/LocalizedString.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace veyra {

namespace {

bool overlapsAny(const QRect &frame, const QVector<QRect> &covering)
{
    return std::any_of(
        covering.begin(), covering.end(), [&frame](const QRect &window) { return window.intersects(frame); });
}

// `frame` moved inside `screen` as far as it fits.
QRect keptOnScreen(QRect frame, const QRect &screen)
{
    frame.moveLeft(
        std::clamp(frame.left(), screen.left(), std::max(screen.left(), screen.right() - frame.width() + 1)));
    frame.moveTop(std::clamp(frame.top(), screen.top(), std::max(screen.top(), screen.bottom() - frame.height() + 1)));
    return frame;
}

} // namespace

CaptureAreaSaveFailureAlert::CaptureAreaSaveFailureAlert(std::function<QString()> message, QWidget *editor)
    : QMessageBox(QMessageBox::Warning, QString(), QString(), QMessageBox::NoButton, editor)
    , m_message(std::move(message))
{
    setObjectName(QString::fromLatin1(objectNameText));
    setWindowModality(Qt::WindowModal);
    setTextFormat(Qt::PlainText);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    // A button of our own: Qt labels its standard buttons in its own language.
    QPushButton *ok = addButton(QString(), QMessageBox::AcceptRole);
    setDefaultButton(ok);
    setEscapeButton(ok);
    const auto relabel = [this, ok, editor] {
        setWindowTitle(editor ? editor->window()->windowTitle() : QString());
        setText(m_message ? m_message() : QString());
        ok->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "OK")));
    };
    relabel();
    relabelOnLanguageChange(this, relabel);
}

void CaptureAreaSaveFailureAlert::present()
{
    open();
}

void CaptureAreaSaveFailureAlert::showEvent(QShowEvent *event)
{
    QMessageBox::showEvent(event);
    place();
}

void CaptureAreaSaveFailureAlert::resizeEvent(QResizeEvent *event)
{
    QMessageBox::resizeEvent(event);
    if (isVisible()) {
        place();
    }
}

void CaptureAreaSaveFailureAlert::place()
{
    const QWidget *editor = parentWidget() ? parentWidget()->window() : nullptr;
    const QScreen *screen = editor ? editor->screen() : QGuiApplication::primaryScreen();
    const QRect over = editor ? editor->frameGeometry() : screen->availableGeometry();
    const QPoint topLeft
        = placeClearOf(frameGeometry().size(), over, screen->availableGeometry(), windowsStayingOnTop(this));
    if (topLeft != frameGeometry().topLeft()) {
        move(topLeft);
    }
}

QVector<QRect> CaptureAreaSaveFailureAlert::windowsStayingOnTop(const QWidget *except)
{
    QVector<QRect> frames;
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        const Qt::WindowFlags flags = window->windowFlags();
        if (window != except && window->isVisible()
            && (flags.testFlag(Qt::WindowStaysOnTopHint) || flags.testFlag(Qt::X11BypassWindowManagerHint))) {
            frames.append(window->frameGeometry());
        }
    }
    return frames;
}

QPoint CaptureAreaSaveFailureAlert::placeClearOf(
    QSize size, const QRect &over, const QRect &screen, const QVector<QRect> &covering)
{
    QRect centred(QPoint(0, 0), size);
    centred.moveCenter(over.center());
    centred = keptOnScreen(centred, screen);
    if (!overlapsAny(centred, covering)) {
        return centred.topLeft();
    }
    // Beside each covering window (left, right, above, below), as near the centre as the
    // screen allows; the nearest place that nothing covers wins.
    QVector<QRect> candidates;
    constexpr int gap = 8;
    for (const QRect &window : covering) {
        for (const QPoint &topLeft :
            {QPoint(window.left() - gap - size.width(), centred.top()), QPoint(window.right() + 1 + gap, centred.top()),
                QPoint(centred.left(), window.top() - gap - size.height()),
                QPoint(centred.left(), window.bottom() + 1 + gap)}) {
            candidates.append(keptOnScreen(QRect(topLeft, size), screen));
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(), [&centred](const QRect &a, const QRect &b) {
        return (a.center() - centred.center()).manhattanLength() < (b.center() - centred.center()).manhattanLength();
    });
    for (const QRect &candidate : candidates) {
        if (!overlapsAny(candidate, covering)) {
            return candidate.topLeft();
        }
    }
    return centred.topLeft();
}

} // namespace veyra
