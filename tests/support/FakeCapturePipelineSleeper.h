#pragma once

#include "capture/pipeline/CapturePipelineSleeping.h"
#include "support/TestGate.h"

#include <QVector>

namespace veyra::test {

// A clock that only moves when the test lets a sleep end: each sleep waits until the test
// calls releaseOne() (or its token is cancelled), then sets the clock to its deadline.
class FakeCapturePipelineSleeper : public CapturePipelineSleeping
{
public:
    struct Call
    {
        Clock::time_point now;
        Clock::time_point deadline;
    };

    Clock::time_point now() const override { return m_now; }

    QCoro::Task<void> sleep(Clock::time_point deadline, CancellationToken token) override
    {
        m_calls.append({m_now, deadline});
        co_await m_gate.wait(token);
        if (deadline > m_now) {
            m_now = deadline;
        }
    }

    const QVector<Call> &calls() const { return m_calls; }
    int callCount() const { return static_cast<int>(m_calls.size()); }
    int sleepingCount() { return m_gate.waitingCount(); }
    bool releaseOne() { return m_gate.releaseOne(); }

private:
    Clock::time_point m_now = Clock::time_point(std::chrono::hours(1000));
    QVector<Call> m_calls;
    TestGate m_gate;
};

} // namespace veyra::test
