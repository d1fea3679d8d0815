#include "update/updater/QtNetworkUpdateArchiveDownloader.h"

#include "translation/http/NetworkReplyHolder.h"
#include "translation/http/ReadAheadBound.h"
#include "update/updater/AppUpdaterError.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

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

QtNetworkUpdateArchiveDownloader::QtNetworkUpdateArchiveDownloader(std::chrono::milliseconds stallTimeout)
    : m_session(std::make_shared<QNetworkAccessManager>())
    , m_stallTimeout(stallTimeout)
{
    m_session->setAutoDeleteReplies(false);
}

QtNetworkUpdateArchiveDownloader::~QtNetworkUpdateArchiveDownloader() = default;

QCoro::Task<void> QtNetworkUpdateArchiveDownloader::download(QUrl url, QString path, qint64 expectedLength,
    std::function<void(qint64 received, qint64 expected)> progress, CancellationToken token)
{
    token.throwIfCancelled();
    // The download holds its own share of the session: the downloader may go while it runs.
    const std::shared_ptr<QNetworkAccessManager> session = m_session;
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw downloadFailed(file->errorString());
    }

    QNetworkRequest request(url);
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(static_cast<int>(m_stallTimeout.count()));
    NetworkReplyHolder::prepareRedirectCheck(request);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    QNetworkReply *raw = session->get(request);
    // Bounded, so that a slow disk cannot make the reply buffer the whole archive (also
    // after the redirect to the host that serves it).
    boundReadAhead(raw, readAheadBytes);
    const NetworkReplyHolder holder(session, raw);
    auto transfer = std::make_shared<Transfer>();

    const auto refuse = [transfer, raw](const QString &why) {
        if (transfer->refusal.isEmpty()) {
            transfer->refusal = why;
            NetworkReplyHolder::abortLater(raw);
        }
    };
    // The signature, not the host, vouches for the archive: it may come from anywhere a
    // redirect leads over https.
    holder.checkRedirects(HTTPRedirectPolicy::anyOriginOverHTTPS, false, [transfer] {
        if (transfer->refusal.isEmpty()) {
            transfer->refusal = QStringLiteral("a redirect to a location that downloads may not follow was refused");
        }
    });
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
    QObject::connect(raw, &QNetworkReply::metaDataChanged, raw, [raw, refuse] {
        const QVariant status = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const bool redirect = status.toInt() >= 300 && status.toInt() <= 399;
        if (status.isValid() && !redirect && (status.toInt() < 200 || status.toInt() > 299)) {
            refuse(QStringLiteral("HTTP status %1").arg(status.toInt()));
        }
    });
    QObject::connect(raw, &QNetworkReply::readyRead, raw, [raw, transfer, consume] {
        if (!transfer->refusal.isEmpty() || transfer->cancelled) {
            // The abort is on its way; what stays unread stops Qt from reading further.
            return;
        }
        consume(raw->readAll());
    });
    const CancellationToken::Registration registration
        = token.onCancel([transfer, guarded = QPointer<QNetworkReply>(raw)] {
              transfer->cancelled = true;
              if (guarded) {
                  NetworkReplyHolder::abortLater(guarded);
              }
          });

    co_await holder.finished();
    if (transfer->cancelled || token.isCancelled()) {
        throw CancellationError();
    }
    if (!transfer->refusal.isEmpty()) {
        throw downloadFailed(transfer->refusal);
    }
    raw = holder.get();
    if (!raw) {
        throw downloadFailed(QStringLiteral("the network session was closed"));
    }
    if (raw->error() != QNetworkReply::NoError) {
        throw downloadFailed(raw->errorString());
    }
    consume(raw->readAll());
    if (!transfer->refusal.isEmpty()) {
        throw downloadFailed(transfer->refusal);
    }
    const int status = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299) {
        throw downloadFailed(QStringLiteral("HTTP status %1").arg(status));
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
