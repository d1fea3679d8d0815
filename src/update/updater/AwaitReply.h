#pragma once

#include "foundation/async/CancellationToken.h"
#include "foundation/errors/Error.h"

#include <QTimer>

#include <coroutine>
#include <functional>
#include <memory>
#include <optional>

namespace veyra {

// Awaited, hands a one-shot reply callback to `ask` and suspends until the callback is
// called (at once or later); resumes on a later turn of the event loop with the value.
// Cancelling `token` first ends the wait with CancellationError. Calls of the callback
// after the first, or after the wait ended, do nothing. GUI thread only.
template <typename T>
class ReplyAwaiter
{
    struct State
    {
        std::optional<T> value;
        bool cancelled = false;
        bool scheduled = false;
        std::coroutine_handle<> waiter;
        CancellationToken::Registration registration;
    };

    static void resumeLater(const std::shared_ptr<State> &state)
    {
        if (state->scheduled) {
            return;
        }
        state->scheduled = true;
        QTimer::singleShot(0, [state] { state->waiter.resume(); });
    }

public:
    using Reply = std::function<void(T)>;

    ReplyAwaiter(std::function<void(Reply)> ask, CancellationToken token)
        : m_ask(std::move(ask))
        , m_token(std::move(token))
    { }

    bool await_ready() const noexcept { return m_token.isCancelled(); }

    void await_suspend(std::coroutine_handle<> handle)
    {
        m_state = std::make_shared<State>();
        m_state->waiter = handle;
        const std::weak_ptr<State> weak = m_state;
        m_state->registration = m_token.onCancel([weak] {
            if (const auto state = weak.lock(); state && !state->scheduled) {
                state->cancelled = true;
                resumeLater(state);
            }
        });
        m_ask([weak](T value) {
            if (const auto state = weak.lock(); state && !state->scheduled) {
                state->value = std::move(value);
                resumeLater(state);
            }
        });
    }

    T await_resume()
    {
        if (!m_state || m_state->cancelled || !m_state->value) {
            throw CancellationError();
        }
        return std::move(*m_state->value);
    }

private:
    std::function<void(Reply)> m_ask;
    CancellationToken m_token;
    std::shared_ptr<State> m_state;
};

} // namespace veyra
