// Test label: unit
#include "foundation/files/FileIO.h"
#include "foundation/language/ClientLanguage.h"
#include "support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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
            // The system's reason in the interface language, as the rest.
            setCurrentClientLanguage(ClientLanguage::korean);
            EXPECT_EQ(error.localizedDescription(),
                QStringLiteral("“%1” 파일을 저장할 수 없습니다. (디스크에 남은 공간이 없습니다)").arg(path));
            setCurrentClientLanguage(ClientLanguage::english);
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

TEST(FileIO, CopiesKeptAsideAreNamedNewestLastAndOnlyTheNewestStay)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.json"));
    const QDateTime earlier(QDate(2024, 3, 1), QTime(11, 59, 59), Qt::UTC);
    const QDateTime second(QDate(2024, 3, 1), QTime(12, 0, 0), Qt::UTC);
    const auto write = [](const QString &file, const QByteArray &bytes) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    };
    // An older copy, a copy of notes of another label, then eight damaged in one second.
    write(unusedNameBeside(path, QStringLiteral("damaged"), earlier, false), "older");
    const QString unsaved = unusedNameBeside(path, QStringLiteral("unsaved"), second, true);
    write(unsaved, "notes");
    QStringList names;
    for (int copy = 1; copy <= 8; ++copy) {
        names.append(unusedNameBeside(path, QStringLiteral("damaged"), second, false));
        write(names.last(), QByteArray::number(copy));
    }
    EXPECT_EQ(QFileInfo(names[0]).fileName(), QStringLiteral("settings.json.damaged-20240301-120000"));
    EXPECT_EQ(QFileInfo(names[1]).fileName(), QStringLiteral("settings.json.damaged-20240301-120000-2"));
    EXPECT_EQ(QFileInfo(names[7]).fileName(), QStringLiteral("settings.json.damaged-20240301-120000-8"));
    EXPECT_EQ(QFileInfo(unsaved).fileName(), QStringLiteral("settings.unsaved-20240301-120000.json"));

    // The five newest stay; the copy of another label is not touched.
    removeOlderCopiesBeside(path, QStringLiteral("damaged"), false, keptDamagedCopies);
    const QStringList left = QDir(dir.path()).entryList({QStringLiteral("settings.json.damaged-*")}, QDir::Files);
    ASSERT_EQ(left.size(), keptDamagedCopies);
    for (int copy = 4; copy <= 8; ++copy) {
        EXPECT_TRUE(QFile::exists(names[copy - 1])) << copy;
    }
    EXPECT_TRUE(QFile::exists(unsaved));

    // The next copy of that second is still the newest, though the first names are free.
    const QString next = unusedNameBeside(path, QStringLiteral("damaged"), second, false);
    EXPECT_EQ(QFileInfo(next).fileName(), QStringLiteral("settings.json.damaged-20240301-120000-9"));
}

TEST(FileIO, AFileIsReplacedOnlyWhileItHoldsWhatWasRead)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("data.json"));
    const auto holds = [&path] { return readWholeFile(path); };

    // Nothing there when read: the file is made, but not over one that came since.
    EXPECT_TRUE(replaceFileIfStill(path, "first", QByteArray()));
    EXPECT_EQ(holds(), "first");
    EXPECT_FALSE(replaceFileIfStill(path, "over it", QByteArray()));
    EXPECT_EQ(holds(), "first");

    // Replaced while it holds what was read, keeping its permissions; not once another
    // program wrote it since, even with the same size.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_TRUE(replaceFileIfStill(path, "second", fileRevisionOf("first")));
    EXPECT_EQ(holds(), "second");
    EXPECT_EQ(QFileInfo(path).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    writeFileAtomically(path, "SECOND");
    EXPECT_FALSE(replaceFileIfStill(path, "third", fileRevisionOf("second")));
    EXPECT_EQ(holds(), "SECOND");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("data.json")});

    // A store merges again with what is there until it finds the file as it read it; a file
    // that changes at every round is not written over, and the player is told why.
    int rounds = 0;
    saveMergedWithFileOnDisk(path, [&] {
        const QByteArray read = holds();
        if (++rounds == 1) {
            writeFileAtomically(path, "changed by a sync tool");
        }
        return replaceFileIfStill(path, read + " + ours", fileRevisionOf(read));
    });
    EXPECT_EQ(holds(), "changed by a sync tool + ours");
    rounds = 0;
    try {
        saveMergedWithFileOnDisk(path, [&] {
            const QByteArray read = holds();
            writeFileAtomically(path, QByteArray::number(++rounds));
            return replaceFileIfStill(path, "ours", fileRevisionOf(read));
        });
        ADD_FAILURE() << "a file that kept changing was written over";
    } catch (const FileAccessError &error) {
        EXPECT_EQ(error.message(),
            QStringLiteral("The file “%1” couldn't be saved. (Another program kept changing it while Veyra was "
                           "saving it.)")
                .arg(path));
    }
    EXPECT_EQ(rounds, maximumMergeRounds);
    EXPECT_EQ(holds(), QByteArray::number(maximumMergeRounds));
}
