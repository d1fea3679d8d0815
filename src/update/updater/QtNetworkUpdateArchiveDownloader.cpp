#include "update/updater/QtNetworkUpdateArchiveDownloader.h"

#include "translation/http/RedirectFollowingRequest.h"
#include "update/updater/AppUpdaterError.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>

#include <unistd.h>

namespace veyra {

namespace {

// How much of the archive Qt may read ahead of the handlers below.
constexpr qint64 readAheadBytes = 1024 * 1024;

// What the signal handlers of one download learn while it runs.
struct Transfer
{
    qint64 received = 0;
    bool cancelled = false;
    // Why the download was stopped from our side, when it was.
    QString refusal;
};

AppUpdaterError downloadFailed(const QString &detail)
{
    return AppUpdaterError(AppUpdaterError::Kind::downloadFailed, detail);
}

} // namespace

std::chrono::milliseconds UpdateDownloadDeadline::forLength(qint64 length) const
{
    const qint64 rate = std::max<qint64>(slowestBytesPerSecond, 1);
    return base + std::chrono::milliseconds(length / rate * 1000 + (length % rate) * 1000 / rate);
}

QtNetworkUpdateArchiveDownloader::QtNetworkUpdateArchiveDownloader(
    std::chrono::milliseconds stallTimeout, UpdateDownloadDeadline deadline)
    : m_session(std::make_shared<QNetworkAccessManager>())
    , m_stallTimeout(stallTimeout)
    , m_deadline(deadline)
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
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw downloadFailed(file->errorString());
    }

    QNetworkRequest request(url);
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(static_cast<int>(m_stallTimeout.count()));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    auto transfer = std::make_shared<Transfer>();
    // Set once the request exists; the handlers below run only while it does.
    RedirectFollowingRequest *sent = nullptr;
    const auto refuse = [transfer, &sent](const QString &why) {
        if (transfer->refusal.isEmpty()) {
            transfer->refusal = why;
            sent->abort();
        }
    };
    const auto consume = [file, transfer, expectedLength, progress, refuse](const QByteArray &chunk) {
        if (!transfer->refusal.isEmpty() || transfer->cancelled || chunk.isEmpty()) {
            return;
        }
        if (transfer->received + chunk.size() > expectedLength) {
            refuse(QStringLiteral("the archive is larger than the %1 bytes the feed announced").arg(expectedLength));
            return;
        }
        if (file->write(chunk) != chunk.size()) {
            refuse(file->errorString());
            return;
        }
        transfer->received += chunk.size();
        if (progress) {
            progress(transfer->received, expectedLength);
        }
    };
    RedirectFollowingRequest::Handlers handlers;
    handlers.answerBegan = [refuse, expectedLength](QNetworkReply &reply) {
        const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status < 200 || status > 299) {
            refuse(QStringLiteral("HTTP status %1").arg(status));
            return;
        }
        bool known = false;
        const qlonglong declared = reply.header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && declared > expectedLength) {
            refuse(QStringLiteral("the archive is larger than the %1 bytes the feed announced").arg(expectedLength));
        }
    };
    handlers.bodyArrived = [transfer, consume](QNetworkReply &reply) {
        if (!transfer->refusal.isEmpty() || transfer->cancelled) {
            // The abort is on its way; what stays unread stops Qt from reading further.
            return;
        }
        consume(reply.readAll());
    };
    // The download holds its own share of the session: the downloader may go while it
    // runs. Qt reads a bounded distance ahead, so that a slow disk cannot make the reply
    // buffer the whole archive. The signature, not the host, vouches for the archive: it
    // may come from anywhere a redirect leads over https.
    RedirectFollowingRequest following(m_session, request, "GET", QByteArray(), HTTPRedirectPolicy::anyOriginOverHTTPS,
        readAheadBytes, std::move(handlers));
    sent = &following;

    QTimer deadline;
    deadline.setSingleShot(true);
    const std::chrono::milliseconds allowed = m_deadline.forLength(expectedLength);
    QObject::connect(&deadline, &QTimer::timeout, [refuse, allowed] {
        refuse(QStringLiteral("the download took longer than its deadline of %1 seconds")
                   .arg(std::chrono::duration_cast<std::chrono::seconds>(allowed).count()));
    });
    deadline.start(allowed);
    const CancellationToken::Registration registration = token.onCancel([transfer, &following] {
        transfer->cancelled = true;
        following.abort();
    });

    co_await following.run();
    deadline.stop();
    if (transfer->cancelled || token.isCancelled()) {
        throw CancellationError();
    }
    if (!transfer->refusal.isEmpty()) {
        throw downloadFailed(transfer->refusal);
    }
    if (!following.refusal().isEmpty()) {
        throw downloadFailed(QStringLiteral("the redirect was not followed: %1").arg(following.refusal()));
    }
    QNetworkReply *raw = following.reply();
    if (!raw) {
        throw downloadFailed(QStringLiteral("the network session was closed"));
    }
    if (raw->error() != QNetworkReply::NoError) {
        throw downloadFailed(raw->errorString());
    }
    const int status = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        throw downloadFailed(QStringLiteral("HTTP status %1").arg(status));
    }
    consume(raw->readAll());
    if (!transfer->refusal.isEmpty()) {
        throw downloadFailed(transfer->refusal);
    }
    if (transfer->received != expectedLength) {
        throw downloadFailed(QStringLiteral("%1 of the %2 bytes the feed announced arrived")
                                 .arg(transfer->received)
                                 .arg(expectedLength));
    }
    if (!file->flush() || ::fsync(file->handle()) != 0) {
        throw downloadFailed(file->errorString());
    }
    file->close();
}

} // namespace veyra
