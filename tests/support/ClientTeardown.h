#pragma once

#include "foundation/async/AsyncTask.h"
#include "foundation/async/CancellationToken.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "translation/http/NetworkReplyHolder.h"

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

#include <exception>
#include <memory>

namespace veyra::test {

// What a task awaited in the background ended with.
struct DetachedOutcome
{
    bool ended = false;
    std::exception_ptr error;

    template <typename Error>
    bool failedWith() const
    {
        if (!error) {
            return false;
        }
        try {
            std::rethrow_exception(error);
        } catch (const Error &) {
            return true;
        } catch (...) {
            return false;
        }
    }
};

// Awaits the task in a coroutine that nobody holds, as the application's detached tasks
// do: that coroutine, and whatever it holds (the last share of a client or transport,
// say), goes the moment the task ends, wherever that happens.
template <typename T>
std::shared_ptr<DetachedOutcome> awaitDetached(QCoro::Task<T> task)
{
    auto outcome = std::make_shared<DetachedOutcome>();
    [](QCoro::Task<T> awaited, std::shared_ptr<DetachedOutcome> into) -> QCoro::Task<void> {
        try {
            co_await std::move(awaited);
        } catch (...) {
            into->error = std::current_exception();
        }
        into->ended = true;
    }(std::move(task), outcome);
    return outcome;
}

// Starts `call(client, token)` against a stand-in that holds its answers, waits until
// `heldAnswers` are held, destroys the client (the only owner of its transport) and
// cancels the call, as an owner that goes does. Once the call has ended and the held
// requests' connections were closed, the stand-in sends its answers and the event loop
// gets the turns that the application gives it when it quits. Returns what the call
// ended with.
//
// What this guards goes wrong inside Qt, where the sanitizers see nothing (Qt is not
// instrumented, and freed memory stays mapped): a coroutine that resumes inside a reply's
// abort() or finished, ends there and drops the last share of the manager. So the test
// also fails when NetworkReplyHolder saw a coroutine resume inside such a call, or a
// reply or its manager destroyed inside one.
template <typename Client, typename Call>
std::shared_ptr<DetachedOutcome> destroyWhileInFlight(
    ServiceStandIn &standIn, std::unique_ptr<Client> client, Call call, int heldAnswers = 1)
{
    const NetworkReplyHolder::Violations violationsBefore = NetworkReplyHolder::violations();
    const CancellationToken token;
    const auto outcome = awaitDetached(call(*client, token));
    EXPECT_TRUE(waitUntil([&] { return standIn.pendingResponseCount() == heldAnswers; }, 20000));
    client.reset();
    token.cancel();
    EXPECT_TRUE(waitUntil([&] { return outcome->ended; }, 20000));
    EXPECT_TRUE(waitUntil(
        [&] {
            const QList<RecordedRequest> requests = standIn.requests();
            for (qsizetype index = requests.size() - heldAnswers; index < requests.size(); ++index) {
                if (!requests[index].clientDisconnected) {
                    return false;
                }
            }
            return true;
        },
        20000));
    standIn.releaseHeldResponses();
    giveRemainingTurns();
    const NetworkReplyHolder::Violations violations = NetworkReplyHolder::violations();
    EXPECT_EQ(violations.resumedInsideReplyCall, violationsBefore.resumedInsideReplyCall)
        << "a coroutine resumed inside a reply's abort() or finished";
    EXPECT_EQ(violations.destroyedInsideReplyCall, violationsBefore.destroyedInsideReplyCall)
        << "a reply or its manager was destroyed inside the reply's abort() or finished";
    return outcome;
}

} // namespace veyra::test
