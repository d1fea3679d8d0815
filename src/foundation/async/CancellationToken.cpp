#include "foundation/async/CancellationToken.h"

#include "foundation/errors/Error.h"

#include <algorithm>

namespace veyra {

CancellationToken::Registration::Registration(std::weak_ptr<State> state, int id)
    : m_state(std::move(state))
    , m_id(id)
{ }

CancellationToken::Registration::Registration(Registration &&other) noexcept
    : m_state(std::move(other.m_state))
    , m_id(std::exchange(other.m_id, 0))
{ }

CancellationToken::Registration &CancellationToken::Registration::operator=(Registration &&other) noexcept
{
    if (this != &other) {
        reset();
        m_state = std::move(other.m_state);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

CancellationToken::Registration::~Registration()
{
    reset();
}

void CancellationToken::Registration::reset()
{
    if (auto state = m_state.lock(); state && m_id != 0) {
        auto &callbacks = state->callbacks;
        callbacks.erase(std::remove_if(callbacks.begin(), callbacks.end(),
                            [id = m_id](const auto &entry) { return entry.first == id; }),
            callbacks.end());
    }
    m_state.reset();
    m_id = 0;
}

CancellationToken::CancellationToken()
    : m_state(std::make_shared<Registration::State>())
{ }

void CancellationToken::cancel() const
{
    if (m_state->cancelled.exchange(true)) {
        return;
    }
    // A callback may destroy registrations (even the token's last other owner): each one
    // is taken out of the list just before it runs, so a registration that an earlier
    // callback destroyed has already left the list and is never called.
    const auto keepAlive = m_state;
    auto &callbacks = keepAlive->callbacks;
    while (!callbacks.empty()) {
        const std::function<void()> callback = std::move(callbacks.front().second);
        callbacks.erase(callbacks.begin());
        callback();
    }
}

bool CancellationToken::isCancelled() const
{
    return m_state->cancelled.load();
}

void CancellationToken::throwIfCancelled() const
{
    if (isCancelled()) {
        throw CancellationError();
    }
}

CancellationToken::Registration CancellationToken::onCancel(std::function<void()> callback) const
{
    if (isCancelled()) {
        callback();
        return {};
    }
    const int id = m_state->nextID++;
    m_state->callbacks.emplace_back(id, std::move(callback));
    return Registration(m_state, id);
}

} // namespace veyra
