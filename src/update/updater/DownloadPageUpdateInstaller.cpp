#include "update/updater/DownloadPageUpdateInstaller.h"

#include "update/updater/AppUpdaterError.h"

namespace veyra {

DownloadPageUpdateInstaller::DownloadPageUpdateInstaller(OpenURL openURL)
    : m_openURL(std::move(openURL))
{ }

QCoro::Task<std::function<void()>> DownloadPageUpdateInstaller::install(
    AppcastItem item, AppUpdateInstallObserver, CancellationToken token)
{
    token.throwIfCancelled();
    const QUrl page = item.infoURL.value_or(item.fileURL);
    if (m_openURL) {
        m_openURL(page);
    }
    throw AppUpdaterError(AppUpdaterError::Kind::installUnsupported, page.toString());
    co_return std::function<void()>();
}

} // namespace veyra
