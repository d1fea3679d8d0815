#pragma once

#include "foundation/async/CancellationToken.h"
#include "foundation/errors/Error.h"

#include <QTimer>

#include <coroutine>
#include <deque>
#include <memory>
#include <optional>

namespace veyra::test {

// Holds coroutines until the test lets them go, one at a time or all at once. A waiter
// given a token also ends when the token is cancelled, and then throws CancellationError.
// Waiters resume on the next turn of the event loop, never inside releaseOne(),
// releaseAll() or cancel(). GUI thread only.
class TestGate
{
    struct Waiter
    {
        std::coroutine_handle<> handle;
        bool scheduled = false;
        bool cancelled = false;
        CancellationToken::Registration registration;
    };

    static void schedule(const std::shared_ptr<Waiter> &waiter, bool cancelled)
    {
        if (waiter->scheduled) {
            return;
        }
        waiter->scheduled = true;
        waiter->cancelled = cancelled;
        QTimer::singleShot(0, [waiter] { waiter->handle.resume(); });
    }

public:
    class Awaiter
    {
    public:
        Awaiter(TestGate &gate, std::optional<CancellationToken> token)
            : m_gate(gate)
            , m_token(std::move(token))
        { }

        bool await_ready() const noexcept { return false; }

        void await_suspend(std::coroutine_handle<> handle)
        {
            m_waiter = std::make_shared<Waiter>();
            m_waiter->handle = handle;
            m_gate.m_waiters.push_back(m_waiter);
            if (m_token) {
                std::weak_ptr<Waiter> weak = m_waiter;
                m_waiter->registration = m_token->onCancel([weak] {
                    if (auto waiter = weak.lock()) {
                        schedule(waiter, true);
                    }
                });
            }
        }

        void await_resume()
        {
            if (m_waiter->cancelled) {
                throw CancellationError();
            }
        }

    private:
        TestGate &m_gate;
        std::optional<CancellationToken> m_token;
        std::shared_ptr<Waiter> m_waiter;
    };

    Awaiter wait(std::optional<CancellationToken> token = std::nullopt) { return Awaiter(*this, std::move(token)); }

    // Waiters neither released nor cancelled yet.
    int waitingCount()
    {
        prune();
        return static_cast<int>(m_waiters.size());
    }

    // Lets the oldest waiter go; false when none is waiting.
    bool releaseOne()
    {
        prune();
        if (m_waiters.empty()) {
            return false;
        }
        schedule(m_waiters.front(), false);
        m_waiters.pop_front();
        return true;
    }

    void releaseAll()
    {
        while (releaseOne()) { }
    }

private:
    void prune()
    {
        std::erase_if(m_waiters, [](const auto &waiter) { return waiter->scheduled; });
    }

    std::deque<std::shared_ptr<Waiter>> m_waiters;
};

} // namespace veyra::test
