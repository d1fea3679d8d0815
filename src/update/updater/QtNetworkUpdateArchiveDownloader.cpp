#include "update/updater/QtNetworkUpdateArchiveDownloader.h"

#include "foundation/files/FileIO.h"
#include "translation/http/RedirectFollowingRequest.h"
#include "update/updater/AppUpdaterError.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <sys/statvfs.h>
#include <unistd.h>

namespace veyra {

namespace {

// How much of the archive Qt may read ahead of the handlers below.
constexpr qint64 readAheadBytes = 1024 * 1024;

AppUpdaterError downloadFailed(const QString &detail)
{
    return AppUpdaterError(AppUpdaterError::Kind::downloadFailed, detail);
}

const char *const tooLittleSpaceReason = QT_TRANSLATE_NOOP("Veyra", "The update needs %@ MB, but only %@ MB are free.");

// The archive could not be written to the file at `path`, for `reason`.
AppUpdaterError notSaved(const QString &path, LocalizableText reason)
{
    const QString detail = QStringLiteral("%1: %2").arg(path, reason.english());
    return AppUpdaterError::downloadNotSaved(QFileInfo(path).absolutePath(), std::move(reason), detail);
}

// A number of bytes in megabytes with one decimal, rounded up or down: a length that does
// not fit into the free space is never written as the same number.
QString megabytes(qint64 bytes, bool roundUp)
{
    const double tenths = static_cast<double>(bytes) / (1024.0 * 1024.0) * 10.0;
    return QString::number((roundUp ? std::ceil(tenths) : std::floor(tenths)) / 10.0, 'f', 1);
}

// A duration as a number of seconds, as short as it can be written ("15", "0.25").
QString seconds(std::chrono::milliseconds duration)
{
    return QString::number(static_cast<double>(duration.count()) / 1000.0, 'g', 12);
}

} // namespace

std::chrono::milliseconds UpdateDownloadDeadline::forLength(qint64 length) const
{
    const qint64 rate = std::max<qint64>(slowestBytesPerSecond, 1);
    return base + std::chrono::milliseconds(length / rate * 1000 + (length % rate) * 1000 / rate);
}

QtNetworkUpdateArchiveDownloader::QtNetworkUpdateArchiveDownloader(std::chrono::milliseconds stallTimeout,
    UpdateDownloadDeadline deadline, std::shared_ptr<QNetworkAccessManager> session,
    std::shared_ptr<HostAddressResolving> resolver)
    : m_session(session ? std::move(session) : std::make_shared<QNetworkAccessManager>())
    , m_stallTimeout(stallTimeout)
    , m_deadline(deadline)
    , m_resolver(std::move(resolver))
{
    m_session->setAutoDeleteReplies(false);
    // Redirects are followed by RedirectFollowingRequest, never by Qt.
    m_session->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

QtNetworkUpdateArchiveDownloader::~QtNetworkUpdateArchiveDownloader() = default;

QCoro::Task<void> QtNetworkUpdateArchiveDownloader::download(QUrl url, QString path, qint64 expectedLength,
    std::function<void(qint64 received, qint64 expected)> progress, CancellationToken token)
{
    token.throwIfCancelled();
    if (expectedLength <= 0 || expectedLength > maximumUpdateArchiveBytes) {
        throw downloadFailed(QStringLiteral("the announced length of %1 bytes is not between 1 and %2")
                                 .arg(expectedLength)
                                 .arg(maximumUpdateArchiveBytes));
    }
    // Unbuffered: each chunk goes to the file at once, and a write that fails says why.
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        throw notSaved(path, file->errorString());
    }
    // Nothing is sent for an archive that the disk cannot hold now.
    struct statvfs disk = {};
    if (::fstatvfs(file->handle(), &disk) == 0) {
        const auto available = static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize;
        if (available < static_cast<unsigned long long>(expectedLength)) {
            throw notSaved(path,
                LocalizableText::marked(tooLittleSpaceReason,
                    {megabytes(expectedLength, true), megabytes(static_cast<qint64>(available), false)}));
        }
    }

    const QString tooLarge
        = QStringLiteral("the archive is larger than the %1 bytes the feed announced").arg(expectedLength);
    auto received = std::make_shared<qint64>(0);
    // Why the file did not take a chunk: the disk's fault, not the network's.
    auto writeFailure = std::make_shared<std::optional<QString>>();
    RedirectFollowingRequest::Handlers handlers;
    handlers.answerBegan = [expectedLength, tooLarge](QNetworkReply &reply) -> RedirectFollowingRequest::Verdict {
        const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status < 200 || status > 299) {
            return QStringLiteral("HTTP status %1").arg(status);
        }
        bool known = false;
        const qlonglong declared = reply.header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && declared > expectedLength) {
            return tooLarge;
        }
        return std::nullopt;
    };
    handlers.bodyArrived = [file, received, expectedLength, progress, tooLarge, writeFailure](
                               QNetworkReply &reply) -> RedirectFollowingRequest::Verdict {
        const QByteArray chunk = reply.readAll();
        if (*received + chunk.size() > expectedLength) {
            return tooLarge;
        }
        // A write may take part of a chunk without an error; the rest then says why.
        if (writeFully(*file, chunk) != chunk.size()) {
            *writeFailure = file->errorString();
            return *writeFailure;
        }
        *received += chunk.size();
        if (progress && !chunk.isEmpty()) {
            progress(*received, expectedLength);
        }
        return std::nullopt;
    };
    // The download holds its own share of the session: the downloader may go while it
    // runs. Qt reads a bounded distance ahead, so that a slow disk cannot make the reply
    // buffer the whole archive. The signature, not the host, vouches for the archive: it
    // may come from anywhere a redirect leads over https.
    HTTPRequest request;
    request.url = url;
    request.timeout = m_deadline.forLength(expectedLength);
    request.redirectPolicy = HTTPRedirectPolicy::anyOriginOverHTTPS;
    RedirectFollowingRequest following(
        m_session, request, {m_stallTimeout, readAheadBytes}, std::move(handlers), m_resolver);
    const RedirectFollowingRequest::Outcome outcome = co_await following.run(token);
    if (*writeFailure) {
        throw notSaved(path, **writeFailure);
    }

    switch (outcome.ending) {
    case RedirectFollowingRequest::Ending::answered:
        break;
    case RedirectFollowingRequest::Ending::stopped:
        throw downloadFailed(outcome.detail);
    case RedirectFollowingRequest::Ending::stalled:
        throw downloadFailed(QStringLiteral("no data arrived for %1 seconds").arg(seconds(m_stallTimeout)));
    case RedirectFollowingRequest::Ending::pastDeadline:
        throw downloadFailed(
            QStringLiteral("the download took longer than its deadline of %1 seconds").arg(seconds(request.timeout)));
    case RedirectFollowingRequest::Ending::redirectRefused:
        throw downloadFailed(QStringLiteral("the redirect was not followed: %1").arg(outcome.detail));
    case RedirectFollowingRequest::Ending::sessionClosed:
        throw downloadFailed(QStringLiteral("the network session was closed"));
    }
    const QNetworkReply &reply = *following.reply();
    if (reply.error() != QNetworkReply::NoError) {
        throw downloadFailed(reply.errorString());
    }
    if (*received != expectedLength) {
        throw downloadFailed(
            QStringLiteral("%1 of the %2 bytes the feed announced arrived").arg(*received).arg(expectedLength));
    }
    if (::fsync(file->handle()) != 0) {
        throw notSaved(path, systemReason(errno));
    }
    file->close();
}

} // namespace veyra
