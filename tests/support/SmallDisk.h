#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>

namespace veyra::test {

// A file system of a few KiB of its own (tmpfs) on a temporary folder, for a test that needs
// a full or a read-only disk under real files. Mounting needs the right to (root, as in CI):
// where it is refused, isMounted() is false and errorString() says why (the test skips).
class SmallDisk
{
public:
    explicit SmallDisk(int kibibytes)
        : m_options(QByteArray("size=") + QByteArray::number(kibibytes) + "k")
    {
        if (!m_folder.isValid()) {
            m_error = QStringLiteral("no temporary folder");
            return;
        }
        if (::mount("tmpfs", path().toLocal8Bit().constData(), "tmpfs", 0, m_options.constData()) != 0) {
            m_error = QStringLiteral("mounting a tmpfs failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        m_mounted = true;
    }

    ~SmallDisk()
    {
        if (m_mounted) {
            ::umount2(path().toLocal8Bit().constData(), MNT_DETACH);
        }
    }

    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    QString errorString() const { return m_error; }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString &name) const { return m_folder.filePath(name); }

    qint64 freeBytes() const
    {
        struct statvfs status
        { };
        if (::statvfs(path().toLocal8Bit().constData(), &status) != 0) {
            return -1;
        }
        return static_cast<qint64>(status.f_bavail) * static_cast<qint64>(status.f_frsize);
    }

    // Takes the free space with a file of its own until `bytesLeft` bytes (rounded to the
    // disk's blocks) are left.
    bool fill(qint64 bytesLeft = 0)
    {
        QFile filler(filePath(QStringLiteral(".filler-%1").arg(m_fillers++)));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            return false;
        }
        const qint64 size = freeBytes() - bytesLeft;
        if (size > 0) {
            filler.write(QByteArray(size, '\0'));
        }
        return freeBytes() <= bytesLeft;
    }

    // Gives back the space that fill() took.
    void empty()
    {
        for (int index = 0; index < m_fillers; ++index) {
            QFile::remove(filePath(QStringLiteral(".filler-%1").arg(index)));
        }
        m_fillers = 0;
    }

    // Makes the file system read-only, or writable again.
    bool setReadOnly(bool readOnly)
    {
        const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return ::mount("tmpfs", path().toLocal8Bit().constData(), "tmpfs", flags, m_options.constData()) == 0;
    }

private:
    QTemporaryDir m_folder;
    QByteArray m_options;
    bool m_mounted = false;
    QString m_error;
    int m_fillers = 0;
};

} // namespace veyra::test
