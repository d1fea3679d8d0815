// Test label: unit
#include "foundation/files/FileIO.h"
#include "support/SmallDisk.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::SmallDisk;

TEST(FileIO, AFullDiskNeverReplacesAFileWithPartOfTheNewOneAndSaysWhy)
{
    SmallDisk disk(64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << disk.errorString().toStdString();
    }
    const QString path = disk.filePath(QStringLiteral("data.json"));
    const QByteArray old(100, 'o');
    writeFileAtomically(path, old);
    ASSERT_TRUE(disk.fill(8192));

    // Smaller than a write buffer and larger than the space left; then larger than both.
    for (const qsizetype size : {qsizetype(12000), qsizetype(200000)}) {
        try {
            writeFileAtomically(path, QByteArray(size, 'n'));
            ADD_FAILURE() << size << " bytes were written on a full disk";
        } catch (const FileAccessError &error) {
            EXPECT_EQ(error.kind(), FileAccessError::Kind::writeFailed);
            EXPECT_EQ(error.message(),
                QStringLiteral("The file “%1” couldn't be saved. (No space left on device)").arg(path));
        }
        EXPECT_EQ(readWholeFile(path), old) << size;
        // Nothing of the attempt is left beside it.
        EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files), QStringList{QStringLiteral("data.json")});
    }

    disk.empty();
    const QByteArray fits(12000, 'n');
    writeFileAtomically(path, fits);
    EXPECT_EQ(readWholeFile(path), fits);
}
