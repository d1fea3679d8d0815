#pragma once

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
