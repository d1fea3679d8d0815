#pragma once

#include <QFile>

#include <gtest/gtest.h>

namespace veyra::test {

// Every byte that this process has read through read(2) and its kin, sockets included.
inline qint64 bytesReadByThisProcess()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no /proc/self/io";
        return 0;
    }
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:")) {
            return line.mid(6).trimmed().toLongLong();
        }
    }
    ADD_FAILURE() << "no rchar in /proc/self/io";
    return 0;
}

} // namespace veyra::test
