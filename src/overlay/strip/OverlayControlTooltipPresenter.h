#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace veyra {

// Shows the strip's tooltip above an item (below it when there is no room above within
// the screen's work area), kept 8 points inside the work area, after the pointer has
// rested on the item for 0.4 seconds. At most one tooltip is pending or shown.
class OverlayControlTooltipPresenter : public QObject
{
    Q_OBJECT

public:
    static constexpr int delayMs = 400;
    static constexpr int gap = 8;

    explicit OverlayControlTooltipPresenter(QObject *parent = nullptr);
    ~OverlayControlTooltipPresenter() override;

    // Hides what is shown, then shows the text at the anchor after the delay unless hidden
    // again meanwhile.
    void schedule(const QString &text, QWidget *anchor);
    // Shows the text at the anchor now (nothing when the anchor is in no window).
    void present(const QString &text, QWidget *anchor);
    // Cancels the pending tooltip and removes the shown one.
    void hide();

    // Where a tooltip of a size goes for an item (Qt's coordinates) in a work area (none:
    // no screen known).
    static QPoint placement(const QRect &item, const QSize &size, const QRect &workArea);

    bool isPending() const { return m_pendingPresentation.isActive(); }
    QWidget *tooltipPanel() const { return m_tooltipPanel; }

private:
    QTimer m_pendingPresentation;
    QString m_pendingText;
    QPointer<QWidget> m_pendingAnchor;
    QPointer<QWidget> m_tooltipPanel;
};

} // namespace veyra
