#pragma once

#include "foundation/async/CancellationToken.h"

#include <QString>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <functional>

namespace veyra {

// The largest archive an update may have: several times any AppImage of this application,
// and small enough that a hostile or broken feed cannot fill the disk with one. Items of
// the feed that announce more are left out, and downloaders refuse such a length.
inline constexpr qint64 maximumUpdateArchiveBytes = qint64(1024) * 1024 * 1024;

// Downloads an update's archive into a file. GUI thread only.
class UpdateArchiveDownloading
{
public:
    virtual ~UpdateArchiveDownloading() = default;

    // Writes the body of a GET of `url` into the file at `path` (replacing its contents)
    // and flushes it to disk. The body must be exactly `expectedLength` bytes: a larger
    // one is refused as soon as it exceeds the length (or declares more), and a length
    // over maximumUpdateArchiveBytes is refused before anything is sent. Only the final
    // answer after redirects is written. Reports progress as chunks arrive.
    // Throws AppUpdaterError::downloadFailed when the archive does not arrive whole,
    // AppUpdaterError::downloadNotSaved when the file cannot take it (also before anything
    // is sent, when the disk has less free space than `expectedLength`), or
    // CancellationError once `token` is cancelled.
    virtual QCoro::Task<void> download(QUrl url, QString path, qint64 expectedLength,
        std::function<void(qint64 received, qint64 expected)> progress, CancellationToken token)
        = 0;
};

} // namespace veyra
