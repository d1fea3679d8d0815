// Test label: unit
#include "update/updater/RunningAppImage.h"
#include "support/UpdateFeedScript.h"
#include "update/drivers/FeedAppUpdateController.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

// Files laid out as the AppImage runtime leaves them: AppImages in a folder, the folders
// it mounted them at with an executable inside, and the mount table that lists them.
class RunningAppImageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        const QDir root(m_root.path());
        for (const char *folder : {"Apps", "mount_Veyra/usr/bin", "mount_Some Other/usr/bin", "mount_Notes/usr/bin",
                 "mount_Disk/usr/bin", "unmounted/usr/bin", "installed/bin"}) {
            ASSERT_TRUE(root.mkpath(QString::fromLatin1(folder)));
        }
        write(QStringLiteral("Apps/Veyra.AppImage"), appImageBytes("Veyra"));
        write(QStringLiteral("Apps/Some Other.AppImage"), appImageBytes("Other"));
        write(QStringLiteral("Apps/notes.txt"), "not an application");
        for (const char *executable :
            {"mount_Veyra/usr/bin/veyra", "mount_Some Other/usr/bin/other", "mount_Notes/usr/bin/veyra",
                "mount_Disk/usr/bin/veyra", "unmounted/usr/bin/veyra", "installed/bin/veyra"}) {
            write(QString::fromLatin1(executable),
                "\x7f"
                "ELF");
        }
        // Mount points and sources as the kernel writes them: a space is "\040".
        const QString mountInfo = QStringLiteral(
            "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
            "120 22 0:55 / %1/mount_Veyra ro,nosuid,nodev,relatime shared:70 - fuse.Veyra.AppImage Veyra.AppImage "
            "ro,user_id=1000,group_id=1000\n"
            "121 22 0:56 / %1/mount_Some\\040Other ro,nosuid,nodev,relatime shared:71 - fuse.Some\\040Other.AppImage "
            "Some\\040Other.AppImage ro,user_id=1000,group_id=1000\n"
            "122 22 0:57 / %1/mount_Notes ro,nosuid,nodev,relatime shared:72 - fuse.notes.txt notes.txt ro\n"
            "123 22 8:2 / %1/mount_Disk rw,relatime shared:73 - ext4 Veyra.AppImage rw\n")
                                      .arg(QFileInfo(m_root.path()).canonicalFilePath());
        write(QStringLiteral("mountinfo"), mountInfo.toUtf8());
    }

    void write(const QString &name, const QByteArray &contents)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    QString path(const QString &name) const { return QDir(m_root.path()).filePath(name); }

    std::optional<QString> running(const char *appImage, const char *appDir, const char *executable) const
    {
        return runningAppImagePath({appImage ? path(QString::fromUtf8(appImage)) : QString(),
            appDir ? path(QString::fromUtf8(appDir)) : QString(), path(QString::fromUtf8(executable)),
            path(QStringLiteral("mountinfo"))});
    }

    QTemporaryDir m_root;
};

TEST_F(RunningAppImageTest, TrustsOnlyTheAppImageWhoseMountTheProcessRunsFrom)
{
    // As the runtime starts Veyra.
    const QString veyra = QFileInfo(path(QStringLiteral("Apps/Veyra.AppImage"))).canonicalFilePath();
    EXPECT_EQ(running("Apps/Veyra.AppImage", "mount_Veyra", "mount_Veyra/usr/bin/veyra"), veyra);
    EXPECT_EQ(running("Apps/Some Other.AppImage", "mount_Some Other", "mount_Some Other/usr/bin/other"),
        QFileInfo(path(QStringLiteral("Apps/Some Other.AppImage"))).canonicalFilePath());

    // An installed Veyra started from inside another AppImage inherits its variables.
    EXPECT_EQ(running("Apps/Some Other.AppImage", "mount_Some Other", "installed/bin/veyra"), std::nullopt);
    // The variables disagree with the mount the process runs from.
    EXPECT_EQ(running("Apps/Some Other.AppImage", "mount_Veyra", "mount_Veyra/usr/bin/veyra"), std::nullopt);
    // $APPDIR is no mount, or no FUSE mount of the runtime.
    EXPECT_EQ(running("Apps/Veyra.AppImage", "unmounted", "unmounted/usr/bin/veyra"), std::nullopt);
    EXPECT_EQ(running("Apps/Veyra.AppImage", "mount_Disk", "mount_Disk/usr/bin/veyra"), std::nullopt);
    // The file is not an AppImage.
    EXPECT_EQ(running("Apps/notes.txt", "mount_Notes", "mount_Notes/usr/bin/veyra"), std::nullopt);
    EXPECT_EQ(running("Apps", "mount_Veyra", "mount_Veyra/usr/bin/veyra"), std::nullopt);
    // Not started by a runtime.
    EXPECT_EQ(running(nullptr, nullptr, "installed/bin/veyra"), std::nullopt);
    EXPECT_EQ(running("Apps/Veyra.AppImage", nullptr, "mount_Veyra/usr/bin/veyra"), std::nullopt);

    // The live environment of this process (no AppImage) with inherited variables.
    qputenv("APPIMAGE", path(QStringLiteral("Apps/Some Other.AppImage")).toLocal8Bit());
    qputenv("APPDIR", path(QStringLiteral("mount_Some Other")).toLocal8Bit());
    EXPECT_EQ(FeedAppUpdateEnvironment::live().appImagePath, std::nullopt);
    qunsetenv("APPIMAGE");
    qunsetenv("APPDIR");
}

} // namespace
