#include "foundation/async/Sleeper.h"

#include "foundation/errors/Error.h"

#include <QTimer>

#include <coroutine>

namespace veyra {

namespace {

// Suspends the awaiting coroutine until a precise single-shot timer fires, or until the
// token is cancelled (which fires the timer at once). The timer lives on the heap and is
// deleted by the event loop, never from inside its own timeout signal.
class TimerAwaiter
{
public:
    TimerAwaiter(std::chrono::milliseconds interval, CancellationToken token)
        : m_interval(interval)
        , m_token(std::move(token))
    { }

    bool await_ready() const noexcept { return false; }

    void await_suspend(std::coroutine_handle<> handle)
    {
        auto *timer = new QTimer;
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, handle] {
            timer->deleteLater();
            handle.resume();
        });
        m_registration = m_token.onCancel([timer] { timer->start(0); });
        if (!timer->isActive()) {
            timer->start(m_interval);
        }
    }

    void await_resume() noexcept { }

private:
    std::chrono::milliseconds m_interval;
    CancellationToken m_token;
    CancellationToken::Registration m_registration;
};

} // namespace

QCoro::Task<void> Sleeper::sleepFor(std::chrono::milliseconds duration, CancellationToken token)
{
    co_await sleepUntil(Clock::now() + duration, std::move(token));
}

QCoro::Task<void> TimerSleeper::sleepUntil(Clock::time_point deadline, CancellationToken token)
{
    token.throwIfCancelled();
    // A timer may fire up to a millisecond early by the steady clock; wait again for
    // whatever remains so that the deadline is never missed on the early side.
    for (auto remaining = deadline - Clock::now(); remaining > Clock::duration::zero();
         remaining = deadline - Clock::now()) {
        co_await TimerAwaiter(std::chrono::ceil<std::chrono::milliseconds>(remaining), token);
        token.throwIfCancelled();
    }
}

} // namespace veyra
