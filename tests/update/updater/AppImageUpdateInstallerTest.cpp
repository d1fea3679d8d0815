// Test label: unit
#include "update/updater/AppImageUpdateInstaller.h"
#include "support/RunTask.h"
#include "support/UpdateFeedScript.h"
#include "update/updater/AppUpdaterError.h"
#include "update/updater/UpdateArchiveDownloading.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace veyra;
using namespace veyra::test;

namespace {

// Writes the archive it was given into the download, as a download that arrived whole.
class ArchiveWriter : public UpdateArchiveDownloading
{
public:
    explicit ArchiveWriter(QByteArray archive)
        : m_archive(std::move(archive))
    { }

    // What the next downloads write.
    void setArchive(QByteArray archive) { m_archive = std::move(archive); }

    QCoro::Task<void> download(
        QUrl, QString path, qint64, std::function<void(qint64, qint64)>, CancellationToken) override
    {
        ++downloads;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(m_archive) != m_archive.size()) {
            throw AppUpdaterError(AppUpdaterError::Kind::downloadFailed, path);
        }
        co_return;
    }

    int downloads = 0;

private:
    QByteArray m_archive;
};

class AppImageUpdateInstallerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(write(QStringLiteral("Veyra.AppImage"), m_running));
    }

    bool write(const QString &name, const QByteArray &contents) const
    {
        QFile file(m_folder.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
    }

    QByteArray appImageContents() const
    {
        QFile file(m_folder.filePath(QStringLiteral("Veyra.AppImage")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    mode_t appImageMode() const
    {
        struct stat status = {};
        return ::stat(QFile::encodeName(m_folder.filePath(QStringLiteral("Veyra.AppImage"))).constData(), &status) == 0
            ? status.st_mode & 07777
            : 0;
    }

    QStringList entries() const
    {
        return QDir(m_folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    AppcastItem item() const
    {
        AppcastItem item;
        item.versionString = m_release.build;
        item.displayVersionString = m_release.displayVersion;
        item.fileURL = QUrl(QStringLiteral("https://updates.invalid/Veyra-130.AppImage"));
        item.contentLength = m_release.archive.size();
        item.edSignature = testPolicySigningKey().sign(m_release.archive);
        return item;
    }

    QTemporaryDir m_folder;
    const QByteArray m_running = appImageBytes("Veyra 1.2.0");
    const FeedRelease m_release = feedRelease(QStringLiteral("130"), QStringLiteral("1.3.0"));
    std::shared_ptr<ArchiveWriter> m_downloader = std::make_shared<ArchiveWriter>(m_release.archive);
    AppImageUpdateInstaller m_installer{m_folder.filePath(QStringLiteral("Veyra.AppImage")),
        testPolicySigningKey().publicKey, m_downloader, [](const QString &) {}};
};

TEST_F(AppImageUpdateInstallerTest, RemovesOnlyItsUsersLeftoversAndNeverRunsBesideAnotherInstallation)
{
    // A leftover of this user goes; one of another user (in a shared folder) stays, and so
    // does the download of an installation that is still running (it holds its lock).
    const QString mine = QStringLiteral(".Veyra.AppImage.update-Mine01");
    const QString theirs = QStringLiteral(".Veyra.AppImage.update-Their1");
    const QString running = QStringLiteral(".Veyra.AppImage.update-Runs01");
    ASSERT_TRUE(write(mine, "partial"));
    ASSERT_TRUE(write(theirs, "partial"));
    ASSERT_TRUE(write(running, "partial"));
    constexpr uid_t nobody = 65534;
    ASSERT_EQ(::chown(QFile::encodeName(m_folder.filePath(theirs)).constData(), nobody, nobody), 0)
        << "giving a file to another user needs root";
    QFile inProgress(m_folder.filePath(running));
    ASSERT_TRUE(inProgress.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(inProgress.handle(), LOCK_EX | LOCK_NB), 0);
    runTask(m_installer.removeLeftovers());
    EXPECT_EQ(entries(), (QStringList{running, theirs, QStringLiteral("Veyra.AppImage")}));
    // Once that installation has ended, its download is a leftover too.
    inProgress.close();
    runTask(m_installer.removeLeftovers());
    EXPECT_EQ(entries(), (QStringList{theirs, QStringLiteral("Veyra.AppImage")}));

    // While another installation over the AppImage holds its lock, nothing is downloaded
    // and nothing replaced.
    QFile other(m_folder.filePath(QStringLiteral("Veyra.AppImage")));
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(other.handle(), LOCK_EX | LOCK_NB), 0);
    try {
        runTask(m_installer.install(item(), {}, CancellationToken()));
        ADD_FAILURE() << "installed beside another installation";
    } catch (const AppUpdaterError &error) {
        EXPECT_EQ(error.kind(), AppUpdaterError::Kind::installFailed);
        EXPECT_TRUE(error.detail().contains(QStringLiteral("another installation"))) << error.detail().toStdString();
    }
    EXPECT_EQ(m_downloader->downloads, 0);
    EXPECT_EQ(appImageContents(), m_running);
    EXPECT_EQ(entries(), (QStringList{theirs, QStringLiteral("Veyra.AppImage")}));

    // Once it has ended, the installation runs.
    other.close();
    runTask(m_installer.install(item(), {}, CancellationToken()));
    EXPECT_EQ(m_downloader->downloads, 1);
    EXPECT_EQ(appImageContents(), m_release.archive);
    EXPECT_EQ(entries(), (QStringList{theirs, QStringLiteral("Veyra.AppImage")}));
}

TEST_F(AppImageUpdateInstallerTest, RefusesAFileOfAnotherLengthThanAnnouncedWhateverItsDownloaderSaid)
{
    // The downloader reports success, but the file holds more than the feed announced, or
    // less: the installer's own check refuses it, though the announced bytes at its start
    // carry a valid signature.
    for (const QByteArray &written : {m_release.archive + QByteArray("appended"), m_release.archive.chopped(1)}) {
        m_downloader->setArchive(written);
        try {
            runTask(m_installer.install(item(), {}, CancellationToken()));
            ADD_FAILURE() << "installed a file of " << written.size() << " bytes";
        } catch (const AppUpdaterError &error) {
            EXPECT_EQ(error.kind(), AppUpdaterError::Kind::invalidSignature);
        }
        EXPECT_EQ(appImageContents(), m_running);
        EXPECT_EQ(entries(), QStringList{QStringLiteral("Veyra.AppImage")});
    }
}

TEST_F(AppImageUpdateInstallerTest, ReplacesTheAppImageInOneRenameAndLeavesNobodyElseWriteAccess)
{
    // The AppImage's name never goes missing, nor leads to a file being written: the only
    // change to it is the download renamed over it. The old file itself is left as it was
    // (a process running it still reads the old program).
    const QString appImage = m_folder.filePath(QStringLiteral("Veyra.AppImage"));
    QFile old(appImage);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const int watcher = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    ASSERT_GE(::inotify_add_watch(watcher, QFile::encodeName(m_folder.path()).constData(),
                  IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB),
        0);
    // Writable by everyone: the new one is not writable by the group or others, but keeps
    // their other rights.
    ASSERT_EQ(::chmod(QFile::encodeName(appImage).constData(), 0777), 0);
    runTask(m_installer.install(item(), {}, CancellationToken()));
    EXPECT_EQ(appImageContents(), m_release.archive);
    EXPECT_EQ(old.readAll(), m_running);
    EXPECT_EQ(appImageMode(), mode_t(0755));

    alignas(inotify_event) char buffer[64 * 1024];
    QList<uint32_t> changes;
    for (ssize_t length = 0; (length = ::read(watcher, buffer, sizeof buffer)) > 0;) {
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            if (event->len > 0 && QByteArray(event->name) == "Veyra.AppImage") {
                changes << (event->mask & ~IN_ISDIR);
            }
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    ::close(watcher);
    // The chmod of the test, then the rename.
    EXPECT_EQ(changes, (QList<uint32_t>{IN_ATTRIB, IN_MOVED_TO}));

    // Other rights are kept as they were; the owner may always run it.
    for (const auto &[before, after] : {std::pair<mode_t, mode_t>{0751, 0751}, {0664, 0744}, {0700, 0700}}) {
        ASSERT_EQ(::chmod(QFile::encodeName(appImage).constData(), before), 0);
        runTask(m_installer.install(item(), {}, CancellationToken()));
        EXPECT_EQ(appImageMode(), after) << std::oct << before;
    }
    EXPECT_EQ(entries(), QStringList{QStringLiteral("Veyra.AppImage")});
}

} // namespace
