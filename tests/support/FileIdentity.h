#pragma once

#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace veyra::test {

// The inode of the file at `path`, a link followed (0 when there is none). A file replaced
// through a temporary file, as every store writes, has a new one: an unchanged inode means
// the file was not written again.
inline ino_t inodeOf(const QString &path)
{
    struct stat status
    { };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

} // namespace veyra::test
