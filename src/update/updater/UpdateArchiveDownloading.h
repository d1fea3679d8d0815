#pragma once

#include "foundation/async/CancellationToken.h"

#include <QString>
#include <QUrl>

#include <qcoro/qcorotask.h>

#include <functional>

namespace veyra {

// Downloads an update's archive into a file. GUI thread only.
class UpdateArchiveDownloading
{
public:
    virtual ~UpdateArchiveDownloading() = default;

    // Writes the body of a GET of `url` into the file at `path` (replacing its contents)
    // and flushes it to disk. The body must be exactly `expectedLength` bytes: a larger
    // one is refused as soon as it exceeds the length. Reports progress as chunks arrive.
    // Throws AppUpdaterError::downloadFailed, or CancellationError once `token` is
    // cancelled.
    virtual QCoro::Task<void> download(QUrl url, QString path, qint64 expectedLength,
        std::function<void(qint64 received, qint64 expected)> progress, CancellationToken token)
        = 0;
};

} // namespace veyra
