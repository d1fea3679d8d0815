#include "capture/x11/XcbWindowCatalog.h"

#include "capture/windows/WindowCatalogGrouping.h"
#include "capture/x11/X11WorkPool.h"
#include "capture/x11/XcbConnection.h"
#include "capture/x11/XcbWindowList.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/identity/AppIdentity.h"

#include <QCoreApplication>

#include <algorithm>

namespace veyra {

XcbWindowCatalog::XcbWindowCatalog(QString displayName)
    : m_connection(std::make_shared<XcbConnection>(std::move(displayName)))
    , m_logger("WindowCatalog")
{ }

XcbWindowCatalog::~XcbWindowCatalog() = default;

QCoro::Task<QVector<CaptureApplicationGroup>> XcbWindowCatalog::applicationGroups()
{
    const Logger logger = m_logger;
    const auto ownProcessID = static_cast<std::int32_t>(QCoreApplication::applicationPid());
    const QStringList ownBundleIdentifiers{releaseBundleIdentifier(), debugBundleIdentifier()};
    // The task is made outside the co_await expression: g++ 12 destroys temporaries
    // of a co_await full-expression twice.
    QCoro::Task<QVector<CaptureApplicationGroup>> listing
        = runOnWorker(x11WorkPool(), [connection = m_connection, ownProcessID, ownBundleIdentifiers] {
              XcbConnection &x11 = *connection;
              x11.open();
              const QVector<WindowRecord> windows = readWindowRecords(x11, readClientWindows(x11));
              QVector<WindowRecord> selectable;
              std::copy_if(windows.begin(), windows.end(), std::back_inserter(selectable), isSelectable);
              return groupSelectableWindows(
                  readRunningApplications(x11, selectable), selectable, ownProcessID, ownBundleIdentifiers);
          });
    try {
        QVector<CaptureApplicationGroup> groups = co_await std::move(listing);
        co_return groups;
    } catch (const std::exception &error) {
        qCCritical(logger) << "Couldn't read the window list:" << describeError(error);
    }
    throw WindowCatalogError(WindowCatalogError::Kind::unavailable);
}

QCoro::Task<bool> XcbWindowCatalog::isAvailable(CaptureTarget target)
{
    const Logger logger = m_logger;
    QCoro::Task<bool> check = runOnWorker(x11WorkPool(), [connection = m_connection, target] {
        XcbConnection &x11 = *connection;
        x11.open();
        const std::vector<xcb_window_t> clients = readClientWindows(x11);
        if (std::find(clients.begin(), clients.end(), target.windowID) == clients.end()) {
            return false;
        }
        return listsSelectableWindow(readWindowRecords(x11, {target.windowID}), target);
    });
    try {
        const bool available = co_await std::move(check);
        co_return available;
    } catch (const std::exception &error) {
        qCCritical(logger) << "Couldn't read the window list:" << describeError(error);
    }
    co_return false;
}

} // namespace veyra
