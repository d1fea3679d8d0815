#pragma once

#include "overlay/strip/OverlayControlItemView.h"

namespace veyra {

// A strip item that runs its action when the mouse button is released over it or
// elsewhere, only while enabled; a disabled item still reports the press (so its tooltip
// goes away) but does nothing else. Starts disabled.
class OverlayActionView : public OverlayControlItemView
{
    Q_OBJECT

public:
    OverlayActionView(
        const QString &symbolPath, const char *titleKey, const QString &identifier, QWidget *parent = nullptr);

    bool isActionEnabled() const { return m_isEnabled; }
    void setActionEnabled(bool enabled);

    bool isAccessiblyEnabled() const override { return m_isEnabled; }

    // What a click on the item does: reports the interaction and, while enabled, runs the
    // action.
    void click();

Q_SIGNALS:
    void triggered();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_isEnabled = false;
};

} // namespace veyra
