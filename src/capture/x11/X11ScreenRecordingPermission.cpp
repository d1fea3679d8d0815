#include "capture/x11/X11ScreenRecordingPermission.h"

#include "capture/x11/X11WorkPool.h"
#include "capture/x11/XcbConnection.h"
#include "foundation/async/AsyncTask.h"

namespace veyra {

X11ScreenRecordingPermission::X11ScreenRecordingPermission(QString displayName)
    : m_displayName(std::move(displayName))
{ }

QCoro::Task<bool> X11ScreenRecordingPermission::preflight()
{
    // Made outside the co_await expression: g++ 12 destroys temporaries of a co_await
    // full-expression twice.
    QCoro::Task<bool> check = runOnWorker(x11WorkPool(), [displayName = m_displayName] {
        XcbConnection x11(displayName);
        try {
            x11.open();
        } catch (const XcbError &) {
            return false;
        }
        return x11.hasComposite();
    });
    const bool granted = co_await std::move(check);
    co_return granted;
}

QCoro::Task<bool> X11ScreenRecordingPermission::request()
{
    QCoro::Task<bool> check = preflight();
    const bool granted = co_await std::move(check);
    co_return granted;
}

void X11ScreenRecordingPermission::openSystemSettings() { }

} // namespace veyra
