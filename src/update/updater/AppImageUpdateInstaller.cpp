#include "update/updater/AppImageUpdateInstaller.h"

#include "foundation/async/AsyncTask.h"
#include "foundation/logging/Logger.h"
#include "update/policy/Ed25519Signature.h"
#include "update/updater/AppUpdaterError.h"
#include "update/updater/UpdateArchiveDownloading.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace veyra {

namespace {

AppUpdaterError installFailed(const QString &detail)
{
    return AppUpdaterError(AppUpdaterError::Kind::installFailed, detail);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Whether the file holds exactly `length` bytes whose signature verifies. Runs on a worker.
bool isAuthentic(const QString &path, qint64 length, const QByteArray &signature, const QByteArray &publicKey)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != length) {
        return false;
    }
    // Mapped, not read: the archive may be large.
    uchar *bytes = file.map(0, length);
    if (!bytes) {
        return false;
    }
    const bool valid = isValidEd25519Signature(
        signature, QByteArray::fromRawData(reinterpret_cast<const char *>(bytes), length), publicKey);
    file.unmap(bytes);
    return valid;
}

// Flushes a directory entry change (the rename) to disk; best effort.
void syncDirectory(const QString &directory)
{
    const int descriptor = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

} // namespace

AppImageUpdateInstaller::AppImageUpdateInstaller(
    QString appImagePath, QByteArray publicKey, std::shared_ptr<UpdateArchiveDownloading> downloader, Relaunch relaunch)
    : m_appImagePath(std::move(appImagePath))
    , m_publicKey(std::move(publicKey))
    , m_downloader(std::move(downloader))
    , m_relaunch(std::move(relaunch))
{ }

QCoro::Task<std::function<void()>> AppImageUpdateInstaller::install(
    AppcastItem item, AppUpdateInstallObserver observer, CancellationToken token)
{
    // Everything the installation needs is copied here: it may outlive the installer.
    const std::shared_ptr<UpdateArchiveDownloading> downloader = m_downloader;
    const QByteArray publicKey = m_publicKey;
    const Relaunch relaunch = m_relaunch;

    const QFileInfo running(m_appImagePath);
    const QString target = running.canonicalFilePath();
    if (target.isEmpty() || !QFileInfo(target).isFile()) {
        throw installFailed(QStringLiteral("the running AppImage %1 is missing").arg(m_appImagePath));
    }
    const QString directory = QFileInfo(target).absolutePath();
    // Removed on every way out unless it became the AppImage.
    const auto download = std::make_shared<QTemporaryFile>(
        directory + QStringLiteral("/.") + QFileInfo(target).fileName() + QStringLiteral(".update-XXXXXX"));
    if (!download->open()) {
        throw installFailed(QStringLiteral("%1: %2").arg(directory, download->errorString()));
    }
    const QString downloadPath = download->fileName();
    download->close();

    if (observer.downloadStarted) {
        observer.downloadStarted();
    }
    co_await downloader->download(item.fileURL, downloadPath, item.contentLength, observer.downloadProgress, token);
    token.throwIfCancelled();
    if (observer.installing) {
        observer.installing();
    }

    auto verification = [downloadPath, length = item.contentLength, signature = item.edSignature, publicKey] {
        return isAuthentic(downloadPath, length, signature, publicKey);
    };
    const bool authentic = co_await runOnWorker(cpuWorkPool(), std::move(verification));
    token.throwIfCancelled();
    if (!authentic) {
        throw AppUpdaterError(AppUpdaterError::Kind::invalidSignature, item.fileURL.toString());
    }

    const QFile::Permissions executable = QFile::ExeOwner | QFile::ExeUser;
    if (!QFile::setPermissions(downloadPath, QFile::permissions(target) | executable)) {
        throw installFailed(QStringLiteral("%1: cannot set permissions").arg(downloadPath));
    }
    if (std::rename(QFile::encodeName(downloadPath).constData(), QFile::encodeName(target).constData()) != 0) {
        throw installFailed(QStringLiteral("%1: %2").arg(target, systemError()));
    }
    download->setAutoRemove(false);
    syncDirectory(directory);
    co_return [relaunch, target] {
        if (relaunch) {
            relaunch(target);
        }
    };
}

void relaunchAppImage(const QString &appImagePath)
{
    if (QProcess::startDetached(appImagePath, QCoreApplication::arguments().mid(1))) {
        QCoreApplication::quit();
        return;
    }
    qCCritical(Logger("app-update")).noquote()
        << QStringLiteral("The updated Veyra couldn't be started from %1; restart it to finish the update.")
               .arg(appImagePath);
}

} // namespace veyra
