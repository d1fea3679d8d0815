#pragma once

#include "update/updater/UpdateArchiveDownloading.h"

#include <QPointer>

#include <chrono>
#include <memory>

class QNetworkAccessManager;

namespace veyra {

// Streams the archive to disk as it arrives, so that a large archive never sits in memory.
// Redirects are followed to any host unless they lead from https to http (the signature,
// not the host, vouches for the archive); no cache is used; the download fails when no
// data moved for `stallTimeout`.
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
    std::unique_ptr<QNetworkAccessManager> m_session;
    std::chrono::milliseconds m_stallTimeout;
};

} // namespace veyra
