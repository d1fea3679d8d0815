#pragma once

#include "foundation/async/AsyncTask.h"
#include "foundation/async/CancellationToken.h"

#include <QPointer>

#include <utility>

namespace veyra {

// The handle of a task started by startTaskOnActor(): cancelling it cancels the token the
// task's body was given. Copies refer to the same task.
class ActorTask
{
public:
    ActorTask() = default;

    void cancel() const { m_token.cancel(); }
    bool isCancelled() const { return m_token.isCancelled(); }
    const CancellationToken &token() const { return m_token; }

    bool operator==(const ActorTask &) const = default;

private:
    CancellationToken m_token;
};

// Starts `body(QPointer<Owner>, CancellationToken)` as a detached task on the owner's
// (the GUI) thread and returns its handle. The body begins on a later turn of the event
// loop, never inside this call, so the caller can store the handle before the body can
// finish; a task cancelled or an owner destroyed before then never begins. Like
// startDetachedTask(), on which it is built, it holds the owner weakly and catches every
// exception: the body re-checks the owner and the token after each co_await.
template <typename Owner, typename Body>
ActorTask startTaskOnActor(Owner *owner, Body body, Logger logger)
{
    ActorTask task;
    const CancellationToken token = task.token();
    startDetachedTask(
        owner,
        [operation = std::move(body), token](QPointer<Owner> self) -> QCoro::Task<void> {
            co_await NextEventLoopTurn();
            if (!self || token.isCancelled()) {
                co_return;
            }
            co_await operation(self, token);
        },
        std::move(logger));
    return task;
}

} // namespace veyra
