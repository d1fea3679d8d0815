#pragma once

#include <QMessageBox>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QVector>

#include <functional>

namespace veyra {

// Tells the player that the capture areas could not be saved: a window-modal alert over
// the editor with the whole message (what failed and where) and "OK". The overlay's
// panels stay above every other window, the editor's included, so the alert is placed
// where none of the windows that stay on top covers it. Deletes itself when closed.
class CaptureAreaSaveFailureAlert : public QMessageBox
{
    Q_OBJECT

public:
    static constexpr const char *objectNameText = "capture-area-save-failure";

    // `message` words the failure in the current interface language (asked again at
    // every change of language).
    CaptureAreaSaveFailureAlert(std::function<QString()> message, QWidget *editor);

    // Opens the alert, placed clear of the windows that stay on top.
    void present();

    // The visible top-level windows of this process that stay above others, as frames on
    // the screen (the alert itself left out).
    static QVector<QRect> windowsStayingOnTop(const QWidget *except);

    // The top-left corner for a window of `size` on `screen`: centred over `over` when
    // nothing in `covering` overlaps it there, else the nearest place beside the covering
    // windows that none of them overlaps; centred over `over` when there is no such place.
    static QPoint placeClearOf(QSize size, const QRect &over, const QRect &screen, const QVector<QRect> &covering);

protected:
    // Placed once its size is known, and again whenever the size changes (another
    // language).
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void place();

    std::function<QString()> m_message;
};

} // namespace veyra
