#pragma once

#include "capture/windows/ScreenRecordingPermissionProviding.h"

#include <QString>

namespace veyra {

// X11 has no capture permission: capturing is possible when an X server answers (on
// an X11 session, or XWayland on a Wayland one) and can give window images (it offers
// Composite). Asking cannot change the answer, and there are no settings to open.
class X11ScreenRecordingPermission : public ScreenRecordingPermissionProviding
{
public:
    // An empty display name means $DISPLAY.
    explicit X11ScreenRecordingPermission(QString displayName = QString());

    QCoro::Task<bool> preflight() override;
    QCoro::Task<bool> request() override;
    // Does nothing: no system setting governs window capture on X11.
    void openSystemSettings() override;

private:
    QString m_displayName;
};

} // namespace veyra
