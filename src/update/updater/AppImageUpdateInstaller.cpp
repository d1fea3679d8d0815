#include "update/updater/AppImageUpdateInstaller.h"

#include "foundation/async/AsyncTask.h"
#include "foundation/logging/Logger.h"
#include "update/policy/Ed25519Signature.h"
#include "update/updater/AppImageFile.h"
#include "update/updater/AppUpdaterError.h"
#include "update/updater/UpdateArchiveDownloading.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

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

enum class ArchiveCheck {
    installable,
    notAuthentic,
    notAnAppImage,
};

// Whether the file holds exactly `length` bytes whose signature verifies, and whether
// they are an AppImage: a signed file of another kind (the signed policy, say) must
// never take the application's place. Runs on a worker.
ArchiveCheck checkArchive(const QString &path, qint64 length, const QByteArray &signature, const QByteArray &publicKey)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != length || length <= 0) {
        return ArchiveCheck::notAuthentic;
    }
    // Mapped, not read: the archive may be large.
    uchar *bytes = file.map(0, length);
    if (!bytes) {
        return ArchiveCheck::notAuthentic;
    }
    const QByteArray contents = QByteArray::fromRawData(reinterpret_cast<const char *>(bytes), length);
    ArchiveCheck result = ArchiveCheck::installable;
    if (!isValidEd25519Signature(signature, contents, publicKey)) {
        result = ArchiveCheck::notAuthentic;
    } else if (!hasAppImageHeader(contents)) {
        result = ArchiveCheck::notAnAppImage;
    }
    file.unmap(bytes);
    return result;
}

// The name QTemporaryFile gives a download beside `target`: "XXXXXX" becomes six letters
// or digits.
QString downloadTemplate(const QFileInfo &target)
{
    return target.absolutePath() + QStringLiteral("/.") + target.fileName() + QStringLiteral(".update-XXXXXX");
}

// The lock an installation over an AppImage holds while it runs: an exclusive flock on
// the AppImage itself, so that two installations over the same file (from two processes,
// or two links to it) never run at once.
class InstallationLock
{
public:
    // Takes the lock on the AppImage at `target` (a canonical path); throws installFailed
    // when another installation holds it or it cannot be taken.
    explicit InstallationLock(const QString &target)
        : m_descriptor(::open(QFile::encodeName(target).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC))
    {
        if (m_descriptor < 0) {
            throw installFailed(QStringLiteral("%1: %2").arg(target, systemError()));
        }
        if (::flock(m_descriptor, LOCK_EX | LOCK_NB) != 0) {
            const bool held = errno == EWOULDBLOCK;
            const QString reason = systemError();
            ::close(m_descriptor);
            throw installFailed(held ? QStringLiteral("another installation of an update to %1 is running").arg(target)
                                     : QStringLiteral("%1: cannot lock: %2").arg(target, reason));
        }
        // An installation that replaced the file meanwhile has released the lock on the old one.
        struct stat locked = {};
        struct stat named = {};
        if (::fstat(m_descriptor, &locked) != 0 || ::stat(QFile::encodeName(target).constData(), &named) != 0
            || locked.st_dev != named.st_dev || locked.st_ino != named.st_ino) {
            ::close(m_descriptor);
            throw installFailed(QStringLiteral("%1 was replaced by another installation of an update").arg(target));
        }
    }
    ~InstallationLock() { ::close(m_descriptor); }

    // The permission bits of the locked AppImage now.
    std::optional<mode_t> permissions() const
    {
        struct stat status = {};
        if (::fstat(m_descriptor, &status) != 0) {
            return std::nullopt;
        }
        return status.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO);
    }
    InstallationLock(const InstallationLock &) = delete;
    InstallationLock &operator=(const InstallationLock &) = delete;

private:
    int m_descriptor;
};

// Deletes the downloads that installations over the AppImage at `target` (a canonical
// path) left behind (a process killed while it downloaded): regular files of this user
// named like ours beside it, never a link, never the AppImage, never a file of another
// user (the folder may be shared). A download in progress (of this or another process)
// is locked by its installation and is kept. Returns how many were deleted. File system
// work: runs on a worker.
int removeLeftoverDownloads(const QString &target)
{
    const QFileInfo targetInfo(target);
    const QString name = QFileInfo(downloadTemplate(targetInfo)).fileName();
    const QRegularExpression pattern(
        QLatin1Char('^') + QRegularExpression::escape(name.chopped(6)) + QStringLiteral("[A-Za-z0-9]{6}$"));
    int removed = 0;
    const QFileInfoList candidates
        = targetInfo.absoluteDir().entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QFileInfo &candidate : candidates) {
        if (!pattern.match(candidate.fileName()).hasMatch()) {
            continue;
        }
        const QByteArray path = QFile::encodeName(candidate.absoluteFilePath());
        const int descriptor = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (descriptor < 0) {
            continue;
        }
        struct stat opened = {};
        struct stat named = {};
        // Deleted only while nobody holds its lock, only when it is ours, and only if the
        // name still leads to the regular file that was locked.
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0 && ::fstat(descriptor, &opened) == 0 && S_ISREG(opened.st_mode)
            && opened.st_uid == ::geteuid() && ::lstat(path.constData(), &named) == 0 && named.st_dev == opened.st_dev
            && named.st_ino == opened.st_ino && ::unlink(path.constData()) == 0) {
            ++removed;
        }
        ::close(descriptor);
    }
    return removed;
}

void logRemovedLeftovers(int removed, const QString &target)
{
    if (removed > 0) {
        qCInfo(Logger("app-update")).noquote()
            << QStringLiteral("Removed %1 unfinished update download(s) beside %2").arg(removed).arg(target);
    }
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
    // Locked for the whole installation; the leftovers of earlier ones go first.
    struct Locked
    {
        std::shared_ptr<InstallationLock> lock;
        int removedLeftovers = 0;
    };
    auto locking = [target]() -> std::variant<Locked, AppUpdaterError> {
        try {
            auto lock = std::make_shared<InstallationLock>(target);
            return Locked{std::move(lock), removeLeftoverDownloads(target)};
        } catch (const AppUpdaterError &error) {
            return error;
        }
    };
    auto taken = co_await runOnWorker(cpuWorkPool(), std::move(locking));
    if (auto *error = std::get_if<AppUpdaterError>(&taken)) {
        throw *error;
    }
    const std::shared_ptr<InstallationLock> lock = std::get<Locked>(taken).lock;
    logRemovedLeftovers(std::get<Locked>(taken).removedLeftovers, target);
    token.throwIfCancelled();

    const QString directory = QFileInfo(target).absolutePath();
    // Removed on every way out unless it became the AppImage. Kept open and locked while
    // the installation runs, so that no clean-up takes it for a leftover.
    const auto download = std::make_shared<QTemporaryFile>(downloadTemplate(QFileInfo(target)));
    if (!download->open()) {
        const QString reason = download->errorString();
        throw AppUpdaterError::downloadNotSaved(directory, reason, QStringLiteral("%1: %2").arg(directory, reason));
    }
    const QString downloadPath = download->fileName();
    // Unlocked, the download is a leftover to any clean-up; one that ran between its
    // creation and here has taken the lock or deleted the file.
    struct stat locked = {};
    struct stat named = {};
    if (::flock(download->handle(), LOCK_EX | LOCK_NB) != 0 || ::fstat(download->handle(), &locked) != 0
        || ::lstat(QFile::encodeName(downloadPath).constData(), &named) != 0 || locked.st_dev != named.st_dev
        || locked.st_ino != named.st_ino) {
        throw installFailed(
            QStringLiteral("%1: cannot lock the download; another installation is running").arg(downloadPath));
    }

    if (observer.downloadStarted) {
        observer.downloadStarted();
    }
    co_await downloader->download(item.fileURL, downloadPath, item.contentLength, observer.downloadProgress, token);
    token.throwIfCancelled();
    if (observer.installing) {
        observer.installing();
    }

    auto verification = [downloadPath, length = item.contentLength, signature = item.edSignature, publicKey] {
        return checkArchive(downloadPath, length, signature, publicKey);
    };
    const ArchiveCheck check = co_await runOnWorker(cpuWorkPool(), std::move(verification));
    token.throwIfCancelled();
    if (check == ArchiveCheck::notAuthentic) {
        throw AppUpdaterError(AppUpdaterError::Kind::invalidSignature, item.fileURL.toString());
    }
    if (check == ArchiveCheck::notAnAppImage) {
        throw installFailed(QStringLiteral("%1 is not an AppImage").arg(item.fileURL.toString()));
    }

    // The AppImage's permissions, executable by its owner, but writable by nobody else: a
    // program that others may change runs whatever they put there.
    const std::optional<mode_t> permissions = lock->permissions();
    if (!permissions || ::fchmod(download->handle(), (*permissions & ~(S_IWGRP | S_IWOTH)) | S_IXUSR) != 0) {
        throw installFailed(QStringLiteral("%1: cannot set permissions: %2").arg(downloadPath, systemError()));
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

QCoro::Task<void> AppImageUpdateInstaller::removeLeftovers()
{
    const QString target = QFileInfo(m_appImagePath).canonicalFilePath();
    if (target.isEmpty() || !QFileInfo(target).isFile()) {
        co_return;
    }
    auto removal = [target] { return removeLeftoverDownloads(target); };
    logRemovedLeftovers(co_await runOnWorker(cpuWorkPool(), std::move(removal)), target);
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
