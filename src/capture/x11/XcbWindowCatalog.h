#pragma once

#include "capture/windows/WindowCatalogProviding.h"
#include "foundation/logging/Logger.h"

#include <QString>

#include <memory>

namespace veyra {

class XcbConnection;

// The window catalog of an X display (or XWayland). Reads the client windows and their
// owners on the X work thread; each call reads the lists anew and nothing is cached.
// Veyra's own windows are left out: those of this process and of any build carrying
// the release or debug bundle identifier as its WM_CLASS class.
class XcbWindowCatalog : public WindowCatalogProviding
{
public:
    // An empty display name means $DISPLAY.
    explicit XcbWindowCatalog(QString displayName = QString());
    ~XcbWindowCatalog() override;

    QCoro::Task<QVector<CaptureApplicationGroup>> applicationGroups() override;
    QCoro::Task<bool> isAvailable(CaptureTarget target) override;

private:
    std::shared_ptr<XcbConnection> m_connection;
    Logger m_logger;
};

} // namespace veyra
