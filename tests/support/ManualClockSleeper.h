#pragma once

#include "foundation/async/Sleeper.h"
#include "support/TestGate.h"

#include <QList>

namespace veyra::test {

// A sleeper on a clock that moves only when the test lets a sleep end: each sleep waits
// until releaseOne() (or its token is cancelled, then it throws CancellationError) and
// then sets the clock to its deadline. GUI thread only.
class ManualClockSleeper : public Sleeper
{
public:
    Clock::time_point now() const { return m_now; }

    QCoro::Task<void> sleepUntil(Clock::time_point deadline, CancellationToken token) override
    {
        m_deadlines.append(deadline);
        // Counted however the sleep ends.
        const struct Ended
        {
            int &count;
            ~Ended() { ++count; }
        } ended{m_endedCount};
        co_await m_gate.wait(token);
        if (deadline > m_now) {
            m_now = deadline;
        }
    }

    // The deadline of every sleep so far, in order.
    const QList<Clock::time_point> &deadlines() const { return m_deadlines; }
    // Sleeps that returned or threw.
    int endedCount() const { return m_endedCount; }
    int sleepingCount() { return m_gate.waitingCount(); }
    bool releaseOne() { return m_gate.releaseOne(); }

private:
    Clock::time_point m_now = Clock::time_point(std::chrono::hours(1000));
    QList<Clock::time_point> m_deadlines;
    int m_endedCount = 0;
    TestGate m_gate;
};

} // namespace veyra::test
