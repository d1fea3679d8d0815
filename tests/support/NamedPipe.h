#pragma once

#include "support/TimeLimits.h"

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veyra::test {

// A named pipe (FIFO) where a file is expected. Opening it to read waits for a writer, so
// code that does would hang the test: should a reader still be waiting after a limit, the
// pipe is opened for writing and closed again, which lets the reader go on (it reads
// nothing), and readerWasStuck() tells. Removed with the object.
class NamedPipe
{
public:
    explicit NamedPipe(QString path, int limitMs = 5000)
        : m_path(std::move(path))
        , m_created(::mkfifo(QFile::encodeName(m_path).constData(), 0600) == 0)
        , m_watchdog([this, limitMs] { watch(limitMs); })
    { }
    ~NamedPipe()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_watchdog.join();
        ::unlink(QFile::encodeName(m_path).constData());
    }
    NamedPipe(const NamedPipe &) = delete;
    NamedPipe &operator=(const NamedPipe &) = delete;

    bool isValid() const { return m_created; }
    const QString &path() const { return m_path; }
    // True when a reader waited on the pipe until the limit.
    bool readerWasStuck() const { return m_readerWasStuck; }

private:
    void watch(int limitMs)
    {
        std::unique_lock lock(m_mutex);
        const auto limit = std::chrono::milliseconds(TimeLimits::scaled(limitMs));
        while (!m_stopping) {
            if (!m_wake.wait_for(lock, limit, [this] { return m_stopping; })) {
                // A writer that does not wait: it opens only when a reader is there.
                const int writer = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (writer >= 0) {
                    m_readerWasStuck = true;
                    ::close(writer);
                }
            }
        }
    }

    QString m_path;
    bool m_created;
    std::atomic<bool> m_readerWasStuck{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_watchdog;
};

} // namespace veyra::test
