#pragma once

#include "support/TestGate.h"

#include <deque>
#include <exception>

namespace veyra::test {

// The failures and holds that a fake plays back, one call after another: each call takes
// the next queued failure when it begins, waits at the gate while holds remain, and then
// throws the failure it took.
class ScriptedCalls
{
public:
    void failNext(std::exception_ptr failure) { m_failures.push_back(std::move(failure)); }
    void holdNext(int count = 1) { m_holds += count; }
    TestGate &gate() { return m_gate; }

    // Awaited at the start of every call of the fake (the fake outlives its calls).
    QCoro::Task<void> play()
    {
        std::exception_ptr failure;
        if (!m_failures.empty()) {
            failure = m_failures.front();
            m_failures.pop_front();
        }
        if (m_holds > 0) {
            --m_holds;
            co_await m_gate.wait();
        }
        if (failure) {
            std::rethrow_exception(failure);
        }
    }

private:
    std::deque<std::exception_ptr> m_failures;
    int m_holds = 0;
    TestGate m_gate;
};

} // namespace veyra::test
