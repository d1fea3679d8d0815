#include "update/updater/QtNetworkUpdateArchiveDownloader.h"

#include "update/updater/AppUpdaterError.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <qcoro/qcoronetworkreply.h>

#include <unistd.h>

namespace veyra {

namespace {

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

// Aborts from the event loop, not from inside the caller's stack.
void abortLater(QNetworkReply *reply)
{
    QMetaObject::invokeMethod(
        reply, [reply] { reply->abort(); }, Qt::QueuedConnection);
}

} // namespace

QtNetworkUpdateArchiveDownloader::QtNetworkUpdateArchiveDownloader(std::chrono::milliseconds stallTimeout)
    : m_session(std::make_unique<QNetworkAccessManager>())
    , m_stallTimeout(stallTimeout)
{
    m_session->setAutoDeleteReplies(false);
}

QtNetworkUpdateArchiveDownloader::~QtNetworkUpdateArchiveDownloader() = default;

QCoro::Task<void> QtNetworkUpdateArchiveDownloader::download(QUrl url, QString path, qint64 expectedLength,
    std::function<void(qint64 received, qint64 expected)> progress, CancellationToken token)
{
    token.throwIfCancelled();
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw downloadFailed(file->errorString());
    }

    QNetworkRequest request(url);
    request.setRawHeader("Accept-Encoding", "identity");
    request.setTransferTimeout(static_cast<int>(m_stallTimeout.count()));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    const std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(
        m_session->get(request), [](QNetworkReply *r) { r->deleteLater(); });
    // Bounded, so that a slow disk cannot make the reply buffer the whole archive.
    reply->setReadBufferSize(1024 * 1024);
    auto transfer = std::make_shared<Transfer>();
    QNetworkReply *raw = reply.get();

    const auto refuse = [transfer, raw](const QString &why) {
        if (transfer->refusal.isEmpty()) {
            transfer->refusal = why;
            abortLater(raw);
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
    QObject::connect(raw, &QNetworkReply::metaDataChanged, raw, [raw, refuse] {
        const QVariant status = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const bool redirect = status.toInt() >= 300 && status.toInt() <= 399;
        if (status.isValid() && !redirect && (status.toInt() < 200 || status.toInt() > 299)) {
            refuse(QStringLiteral("HTTP status %1").arg(status.toInt()));
        }
    });
    QObject::connect(raw, &QNetworkReply::readyRead, raw, [raw, consume] { consume(raw->readAll()); });
    const CancellationToken::Registration registration
        = token.onCancel([transfer, guarded = QPointer<QNetworkReply>(raw)] {
              transfer->cancelled = true;
              if (guarded) {
                  abortLater(guarded);
              }
          });

    if (!raw->isFinished()) {
        co_await raw;
    }
    if (transfer->cancelled || token.isCancelled()) {
        throw CancellationError();
    }
    if (!transfer->refusal.isEmpty()) {
        throw downloadFailed(transfer->refusal);
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
