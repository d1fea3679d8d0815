#pragma once

#include "update/updater/AppUpdateInstalling.h"

#include <QUrl>

#include <functional>

namespace veyra {

// Where Veyra does not run as an AppImage it cannot replace itself: "installing" opens the
// release's page (its "link", else the archive's address) in the browser and fails with
// AppUpdaterError::installUnsupported, so that the cycle ends as failed.
class DownloadPageUpdateInstaller : public AppUpdateInstalling
{
public:
    using OpenURL = std::function<void(const QUrl &url)>;

    explicit DownloadPageUpdateInstaller(OpenURL openURL);

    QCoro::Task<std::function<void()>> install(
        AppcastItem item, AppUpdateInstallObserver observer, CancellationToken token) override;

private:
    OpenURL m_openURL;
};

} // namespace veyra
