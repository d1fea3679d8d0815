#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace veyra::test {

// Puts `bytes` in the place of the file at `path` as another program would, in the same
// size and with the file's modification time as it was: a change that neither the size nor
// the time of the file tells (another program writing within the same tick of the file
// system's clock, or a sync tool that sets the time it brings).
inline void changeKeepingSizeAndTime(const QString &path, const QByteArray &bytes)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat before
    { };
    ASSERT_EQ(::stat(native.constData(), &before), 0);
    ASSERT_EQ(bytes.size(), before.st_size) << "the change must keep the size";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
    file.close();
    const timespec times[2]{{0, UTIME_OMIT}, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, native.constData(), times, 0), 0);
}

// `text` padded with spaces to the size of the file at `path`.
inline QByteArray asLongAsFile(const QString &path, QByteArray text)
{
    const qint64 size = QFile(path).size();
    EXPECT_LE(text.size(), size);
    text.append(QByteArray(qMax<qint64>(0, size - text.size()), ' '));
    return text;
}

} // namespace veyra::test
