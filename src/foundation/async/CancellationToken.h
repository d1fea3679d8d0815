#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace veyra {

// An explicit cancellation signal shared by a task and whoever may cancel it. Copies
// share one state. cancel() and onCancel() belong to the GUI thread; isCancelled() may
// be read from any thread.
class CancellationToken
{
public:
    // Undoes an onCancel() registration when destroyed.
    class Registration
    {
    public:
        Registration() = default;
        Registration(Registration &&other) noexcept;
        Registration &operator=(Registration &&other) noexcept;
        Registration(const Registration &) = delete;
        Registration &operator=(const Registration &) = delete;
        ~Registration();

    private:
        friend class CancellationToken;
        struct State;
        Registration(std::weak_ptr<State> state, int id);
        void reset();
        std::weak_ptr<State> m_state;
        int m_id = 0;
    };

    CancellationToken();

    void cancel() const;
    bool isCancelled() const;
    // Throws CancellationError when cancelled.
    void throwIfCancelled() const;

    // Calls the callback once when the token is cancelled (at once if it already is),
    // unless the registration has been destroyed first.
    [[nodiscard]] Registration onCancel(std::function<void()> callback) const;

    bool operator==(const CancellationToken &other) const { return m_state == other.m_state; }

private:
    std::shared_ptr<Registration::State> m_state;
};

struct CancellationToken::Registration::State
{
    std::atomic<bool> cancelled{false};
    int nextID = 1;
    std::vector<std::pair<int, std::function<void()>>> callbacks;
};

} // namespace veyra
