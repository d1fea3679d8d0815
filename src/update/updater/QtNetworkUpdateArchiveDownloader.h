#pragma once

#include "translation/http/HostAddressResolving.h"
#include "update/updater/UpdateArchiveDownloading.h"

#include <chrono>
#include <memory>

class QNetworkAccessManager;

namespace veyra {

// The longest a whole download may take: `base`, and the time the announced length
// takes at `slowestBytesPerSecond`. By default 10 minutes and 64 KiB/s (a slow mobile
// connection): about 1 h 20 min for a 256 MiB AppImage, 4 h 45 min at
// maximumUpdateArchiveBytes.
struct UpdateDownloadDeadline
{
    std::chrono::milliseconds base{std::chrono::minutes(10)};
    qint64 slowestBytesPerSecond = 64 * 1024;

    std::chrono::milliseconds forLength(qint64 length) const;
};

// Streams the archive to disk as it arrives, so that a large archive never sits in memory,
// and stops as soon as more than the announced length arrives (or is declared). Redirects
// are followed one reply per hop (RedirectFollowingRequest) to any https URL, never from
// another host to this machine (HTTPRedirectPolicy::anyOriginOverHTTPS: the signature,
// not the host, vouches for the archive); only the final answer is written. No cache is
// used. The download fails when no data moved for `stallTimeout` (on each hop), and when
// it is not done by its deadline, which grows with the announced length
// (UpdateDownloadDeadline), so a server that trickles a byte now and then cannot hold it
// for ever. Each download holds its own share of the session and resumes its caller on a
// later turn of the event loop (NetworkReplyHolder), so the downloader may be destroyed
// at any time.
class QtNetworkUpdateArchiveDownloader : public UpdateArchiveDownloading
{
public:
    static constexpr std::chrono::milliseconds defaultStallTimeout{15000};

    // Over the given session (without one, over a session of its own), looking up the
    // names of redirect targets through `resolver` (without one, the system's).
    explicit QtNetworkUpdateArchiveDownloader(std::chrono::milliseconds stallTimeout = defaultStallTimeout,
        UpdateDownloadDeadline deadline = {}, std::shared_ptr<QNetworkAccessManager> session = nullptr,
        std::shared_ptr<HostAddressResolving> resolver = nullptr);
    ~QtNetworkUpdateArchiveDownloader() override;

    QtNetworkUpdateArchiveDownloader(const QtNetworkUpdateArchiveDownloader &) = delete;
    QtNetworkUpdateArchiveDownloader &operator=(const QtNetworkUpdateArchiveDownloader &) = delete;

    QCoro::Task<void> download(QUrl url, QString path, qint64 expectedLength,
        std::function<void(qint64 received, qint64 expected)> progress, CancellationToken token) override;

private:
    std::shared_ptr<QNetworkAccessManager> m_session;
    std::chrono::milliseconds m_stallTimeout;
    UpdateDownloadDeadline m_deadline;
    std::shared_ptr<HostAddressResolving> m_resolver;
};

} // namespace veyra
