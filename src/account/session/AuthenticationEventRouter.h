#pragma once

#include "account/session/AuthenticationRuntimeEvent.h"

#include <functional>

namespace veyra {

// Carries the authorised session's run-time events to whoever listens. Set, read and
// called on the GUI thread; without a handler an event is dropped.
class AuthenticationEventRouter
{
public:
    using EventHandler = std::function<void(AuthenticationRuntimeEvent)>;

    const EventHandler &onEvent() const { return m_onEvent; }
    void setOnEvent(EventHandler handler) { m_onEvent = std::move(handler); }

    // Calls the handler, if one is set, before returning.
    void deliver(AuthenticationRuntimeEvent event) const;

private:
    EventHandler m_onEvent;
};

} // namespace veyra
