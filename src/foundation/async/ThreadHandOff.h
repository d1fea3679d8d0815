#pragma once

#if defined(__SANITIZE_THREAD__)
#include <QString>
#include <QThread>
#include <QtCore/qnamespace.h>

#include <cstdint>

#include <pthread.h>
#endif

namespace veyra::threadHandOff {

// Work that Veyra hands to another thread goes through Qt (a thread pool's queue, a future),
// whose locks live in the Qt libraries; ThreadSanitizer does not see them, as those are not
// built with it. In a ThreadSanitizer build these tell it what Qt's locks guarantee; in every
// other build they are nothing.

#if defined(__SANITIZE_THREAD__)
extern "C" {
void __tsan_acquire(void *address);
void __tsan_release(void *address);
void __tsan_ignore_thread_begin();
void __tsan_ignore_thread_end();
}

// What this thread has done so far happens before whatever a thread does after
// `received(key)` with the same key.
inline void published(void *key)
{
    __tsan_release(key);
}

inline void received(void *key)
{
    __tsan_acquire(key);
}

// While one exists, the memory accesses of this thread go unchecked: for the moment in which
// Qt copies a task into its queue, from where another thread takes it under Qt's lock.
class UncheckedAccesses
{
public:
    UncheckedAccesses() { __tsan_ignore_thread_begin(); }
    ~UncheckedAccesses() { __tsan_ignore_thread_end(); }
    UncheckedAccesses(const UncheckedAccesses &) = delete;
    UncheckedAccesses &operator=(const UncheckedAccesses &) = delete;
};
#else
inline void published(void *) { }
inline void received(void *) { }

class UncheckedAccesses
{
public:
    UncheckedAccesses() { }
    ~UncheckedAccesses() { }
    UncheckedAccesses(const UncheckedAccesses &) = delete;
    UncheckedAccesses &operator=(const UncheckedAccesses &) = delete;
};
#endif

#if defined(__SANITIZE_THREAD__)
namespace detail {
inline void endUncheckedThread(void *roundsLeft);

// A thread-specific value whose destructor ends the unchecked accesses of a thread when it
// ends (the checker requires that of every thread). The C library runs such destructors in
// rounds, the checker's own in the last one: this one sets itself again until the third, so
// that it runs after Qt's clean-up in that thread and before the checker's.
inline pthread_key_t uncheckedThreadEnd()
{
    static const pthread_key_t key = [] {
        pthread_key_t created{};
        pthread_key_create(&created, &endUncheckedThread);
        return created;
    }();
    return key;
}

inline void endUncheckedThread(void *roundsLeft)
{
    const auto left = reinterpret_cast<std::uintptr_t>(roundsLeft);
    if (left > 1) {
        pthread_setspecific(uncheckedThreadEnd(), reinterpret_cast<void *>(left - 1));
    } else {
        __tsan_ignore_thread_end();
    }
}

// Called by Qt before it delivers any event, in the receiving thread. The first event that
// Qt's network thread receives starts unchecked accesses there until the thread ends.
inline bool uncheckQtNetworkThread(void **)
{
    const pthread_key_t threadEnd = uncheckedThreadEnd();
    thread_local bool seen = false;
    if (!seen) {
        seen = true;
        if (QThread::currentThread()->objectName() == QLatin1String("QNetworkAccessManager thread")) {
            __tsan_ignore_thread_begin();
            pthread_setspecific(threadEnd, reinterpret_cast<void *>(std::uintptr_t{3}));
        }
    }
    return false;
}
} // namespace detail

// Qt's network thread (each QNetworkAccessManager starts one, named "QNetworkAccessManager
// thread") runs only Qt's own code, and what it allocates and frees it hands to and from the
// GUI thread under Qt's locks, through functions of Qt Core that carry no names in the
// system's build (so no suppression can select them). Its accesses go unchecked from its first event on; its
// synchronisation still counts. Call before the first request; calls after the first do nothing.
inline void uncheckQtNetworkThreads()
{
    static const bool registered
        = QInternal::registerCallback(QInternal::EventNotifyCallback, &detail::uncheckQtNetworkThread);
    (void)registered;
}
#else
inline void uncheckQtNetworkThreads() { }
#endif

// Received by every thread that copies or moves it: travels first in a task, so that the
// thread that takes the task from Qt's queue receives the hand-off before it touches the
// rest of the task.
class Receipt
{
public:
    explicit Receipt(void *key)
        : m_key(key)
    { }
    Receipt(const Receipt &other)
        : m_key(other.m_key)
    {
        received(m_key);
    }
    Receipt &operator=(const Receipt &other)
    {
        m_key = other.m_key;
        received(m_key);
        return *this;
    }
    ~Receipt() = default;

    void *key() const { return m_key; }

private:
    void *m_key;
};

} // namespace veyra::threadHandOff
