#pragma once

#include "update/updater/UpdateArchiveDownloading.h"

#include <chrono>
#include <memory>

class QNetworkAccessManager;

namespace veyra {

// Streams the archive to disk as it arrives, so that a large archive never sits in memory,
// and stops as soon as more than the announced length arrives. Redirects are followed to
// any https URL, and to http only on loopback (HTTPRedirectPolicy::anyOriginOverHTTPS: the
// signature, not the host, vouches for the archive); no cache is used; the download fails
// when no data moved for `stallTimeout`. Each download holds its own share of the session
// and resumes its caller on a later turn of the event loop (NetworkReplyHolder), so the
// downloader may be destroyed at any time.
class QtNetworkUpdateArchiveDownloader : public UpdateArchiveDownloading
{
public:
    static constexpr std::chrono::milliseconds defaultStallTimeout{15000};

    explicit QtNetworkUpdateArchiveDownloader(std::chrono::milliseconds stallTimeout = defaultStallTimeout);
    ~QtNetworkUpdateArchiveDownloader() override;

    QtNetworkUpdateArchiveDownloader(const QtNetworkUpdateArchiveDownloader &) = delete;
    QtNetworkUpdateArchiveDownloader &operator=(const QtNetworkUpdateArchiveDownloader &) = delete;

    QCoro::Task<void> download(QUrl url, QString path, qint64 expectedLength,
        std::function<void(qint64 received, qint64 expected)> progress, CancellationToken token) override;

private:
    std::shared_ptr<QNetworkAccessManager> m_session;
    std::chrono::milliseconds m_stallTimeout;
};

} // namespace veyra
