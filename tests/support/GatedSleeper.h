#pragma once

#include "foundation/async/Sleeper.h"
#include "support/TestGate.h"

#include <QVector>

namespace veyra::test {

// A Sleeper whose sleeps end only when the test lets them (or when their token is
// cancelled), so that no test waits on the wall clock. Records when each sleep began and
// the deadline it was given.
class GatedSleeper : public Sleeper
{
public:
    struct Call
    {
        Clock::time_point startedAt;
        Clock::time_point deadline;
    };

    QCoro::Task<void> sleepUntil(Clock::time_point deadline, CancellationToken token) override
    {
        m_calls.append({Clock::now(), deadline});
        co_await m_gate.wait(token);
    }

    const QVector<Call> &calls() const { return m_calls; }
    // Sleeps neither ended nor cancelled yet.
    int sleepingCount() { return m_gate.waitingCount(); }
    bool releaseOne() { return m_gate.releaseOne(); }

private:
    QVector<Call> m_calls;
    TestGate m_gate;
};

} // namespace veyra::test
