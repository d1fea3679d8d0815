#pragma once

#include "update/updater/AppUpdateInstalling.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace veyra {

class UpdateArchiveDownloading;

// Installs an update by replacing the running AppImage (runningAppImagePath()) with the
// downloaded one:
// 0. the installation holds an exclusive flock on the AppImage while it runs: when
//    another installation over the same file holds it, this one fails (installFailed)
//    before anything is downloaded;
// 1. the archive is downloaded into a hidden file beside the AppImage (the same file
//    system, so the final rename is atomic; when none can be made there, the installation
//    fails as downloadNotSaved, with the system's reason), ".<name>.update-XXXXXX", kept
//    locked (flock) while the installation runs (a download that cannot be locked fails
//    the installation); such files of this user that are not locked are what killed
//    installations left behind, and are deleted before each installation and by
//    removeLeftovers(); files of other users are never touched;
// 2. its length and its Ed25519 signature over all of its bytes are checked against the
//    feed and the configured key, then that it is an AppImage (an ELF file with the
//    type-2 AppImage magic), on a worker thread, before anything else is done with it; a
//    file that fails is deleted and the AppImage is never touched;
// 3. it gets the AppImage's permissions without write access for the group or others
//    (and may be executed by its owner), is flushed to disk, and is renamed over the
//    AppImage in one step: a crash leaves the old or the new AppImage, never a part of
//    one. A symbolic link to the AppImage stays a link; its target is replaced.
// The returned action restarts into the new AppImage through `relaunch`.
class AppImageUpdateInstaller : public AppUpdateInstalling
{
public:
    // Starts the AppImage at the given path and ends this process.
    using Relaunch = std::function<void(const QString &appImagePath)>;

    AppImageUpdateInstaller(QString appImagePath, QByteArray publicKey,
        std::shared_ptr<UpdateArchiveDownloading> downloader, Relaunch relaunch);

    QCoro::Task<std::function<void()>> install(
        AppcastItem item, AppUpdateInstallObserver observer, CancellationToken token) override;
    QCoro::Task<void> removeLeftovers() override;

    const QString &appImagePath() const { return m_appImagePath; }

private:
    QString m_appImagePath;
    QByteArray m_publicKey;
    std::shared_ptr<UpdateArchiveDownloading> m_downloader;
    Relaunch m_relaunch;
};

// Starts the AppImage with this process's arguments and quits this process's event loop;
// when it cannot be started, logs and keeps this process running.
void relaunchAppImage(const QString &appImagePath);

} // namespace veyra
