#pragma once

#include "foundation/async/CancellationToken.h"

#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace veyra::test {

// One call of a fake service that finishes only when the test says so: with a value,
// with an error, or never. Like a server whose answer is already on its way, it pays no
// attention to its token, so the code under test alone must drop what is stale; the
// token is kept for the test to look at. GUI thread only.
template <typename T>
class ManualCall
{
public:
    explicit ManualCall(CancellationToken callToken)
        : token(std::move(callToken))
    { }

    const CancellationToken token;

    bool finished() const { return m_finished; }

    template <typename U = T>
    requires(!std::is_void_v<U>) void succeed(U value)
    {
        m_value.emplace(std::move(value));
        finish();
    }
    void succeed() requires std::is_void_v<T> { finish(); }
    void fail(std::exception_ptr error)
    {
        m_error = std::move(error);
        finish();
    }
    template <typename Error>
    void fail(Error error)
    {
        fail(std::make_exception_ptr(std::move(error)));
    }

    struct Awaiter
    {
        ManualCall *call;
        bool await_ready() const noexcept { return call->m_finished; }
        void await_suspend(std::coroutine_handle<> handle) { call->m_waiter = handle; }
        void await_resume() const { }
    };

    // Waits until the call is finished (the caller holds the call alive meanwhile) and
    // then returns its value or throws its error.
    Awaiter untilFinished() { return Awaiter{this}; }
    auto outcome() const
    {
        if (m_error) {
            std::rethrow_exception(m_error);
        }
        if constexpr (!std::is_void_v<T>) {
            return *m_value;
        }
    }

private:
    struct Empty
    { };
    using Stored = std::conditional_t<std::is_void_v<T>, Empty, T>;

    void finish()
    {
        m_finished = true;
        if (m_waiter) {
            std::exchange(m_waiter, {}).resume();
        }
    }

    bool m_finished = false;
    std::optional<Stored> m_value;
    std::exception_ptr m_error;
    std::coroutine_handle<> m_waiter;
};

// Finishes every call still waiting with the error, so that no coroutine outlives a test.
template <typename Call>
void failPendingCalls(const std::vector<std::shared_ptr<Call>> &calls, std::exception_ptr error)
{
    for (const auto &call : calls) {
        if (!call->finished()) {
            call->fail(error);
        }
    }
}

} // namespace veyra::test
