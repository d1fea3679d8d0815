#include "account/session/AuthenticationEventRouter.h"

namespace veyra {

void AuthenticationEventRouter::deliver(AuthenticationRuntimeEvent event) const
{
    // A copy: the handler may replace itself.
    const EventHandler handler = m_onEvent;
    if (handler) {
        handler(event);
    }
}

} // namespace veyra
