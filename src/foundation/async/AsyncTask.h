#pragma once

#include "foundation/async/ThreadHandOff.h"
#include "foundation/errors/Error.h"
#include "foundation/logging/Logger.h"

#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <qcoro/qcorofuture.h>
#include <qcoro/qcorotask.h>

#include <chrono>
#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace veyra {

// Starts `body(QPointer<Owner>)` now as a detached coroutine on the calling thread.
// The owner is held weakly: the body runs only while the owner exists, and must check
// the pointer again after every co_await. Every exception is caught here (an exception
// of a task nobody awaits would otherwise vanish); cancellations end the task quietly,
// anything else is logged under `logger`. The body object lives until the task ends,
// so a lambda's captures stay valid across its awaits.
template <typename Owner, typename Body>
void startDetachedTask(Owner *owner, Body body, Logger logger)
{
    [](QPointer<Owner> weakOwner, Body task, Logger log) -> QCoro::Task<void> {
        if (!weakOwner) {
            co_return;
        }
        try {
            co_await task(weakOwner);
        } catch (const CancellationError &) {
        } catch (const std::exception &error) {
            qCCritical(log) << "Background task failed:" << describeError(error);
        } catch (...) {
            qCCritical(log) << "Background task failed with an unknown error";
        }
    }(QPointer<Owner>(owner), std::move(body), std::move(logger));
}

// Awaited, resumes the coroutine on a later turn of its thread's event loop.
struct NextEventLoopTurn
{
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) const
    {
        QTimer::singleShot(0, [handle] { handle.resume(); });
    }
    void await_resume() const noexcept { }
};

// A new pool of at most `maximumThreadCount` worker threads that never expire, named
// `name`, which finishApplicationWork() ends. Every pool of the application is made here.
QThreadPool &newWorkerPool(const QString &name, int maximumThreadCount);

// Whether the pools have ended (finishApplicationWork() began): work given to a pool from
// then on never runs.
bool workerPoolsHaveEnded();

// How long the end of the application waits for the work that runs on its pools.
inline constexpr std::chrono::seconds workerPoolEndLimit{10};

// The end of the application's work, once its objects are destroyed and before the
// application object goes: main() ends with it, and it is the only way to end the pools.
// In order:
// - the standard user defaults are written, so that the last changes are kept whatever
//   happens next;
// - every pool that newWorkerPool() made ends for good: work that has not started yet,
//   and work given to any pool from now on, is dropped (runOnWorker() then throws a
//   CancellationError to its awaiting task), and the work that runs is waited for, so that
//   no pool thread is still inside Qt's code once the application object is gone;
// - the tasks cancelled as the application's objects went get the turns of the event loop
//   they need to end (a cancelled sleep, like a task waiting for the next turn, resumes on
//   a later turn, and a task left suspended holds its memory for ever): turns until one has
//   nothing to do (at most 100), then the deletions left.
// Should work on a pool outlast workerPoolEndLimit, the process ends at once with
// `status`, without destroying anything more.
void finishApplicationWork(int status);

// How long what is left of the process's end after finishApplicationWork() may take: the
// application object's destruction, which waits for every host-name lookup Qt started (a
// name server that never answers holds one for minutes), and the exit.
inline constexpr std::chrono::milliseconds processEndLimit{250};

// For the very end of main(), once finishApplicationWork() has run the last saves: should
// the process still run `limit` from now, it ends then with `status`, destroying nothing
// more (a build with AddressSanitizer checks for leaks first, as its exit would).
void endProcessWithin(int status, std::chrono::milliseconds limit = processEndLimit);

// The last step of finishApplicationWork() on its own, for code that destroys objects
// while no event loop runs (a test between its cases): the tasks they cancelled get the
// turns they need to end. It ends no pool and is no way to end the application.
void giveRemainingTurns();

// The thread pool for CPU work (text recognition, detection, JPEG encoding). Its
// threads never expire, so per-thread engines stay initialised.
QThreadPool &cpuWorkPool();

namespace detail {
template <typename T>
struct WorkerOutcome
{
    std::optional<T> value;
    std::exception_ptr error;
};
template <>
struct WorkerOutcome<void>
{
    std::exception_ptr error;
};

// What a pool thread runs for startOnWorker and runOnWorker. To a thread checker the pool
// itself stands for the pool's lock, which every job passes on its way in and on its way out.
template <typename Fn>
struct WorkerJob
{
    // First, so that the pool thread takes the hand-off before it touches anything else of
    // the job (it moves the job before running it).
    threadHandOff::Receipt receipt;
    Fn work;

    void operator()()
    {
        threadHandOff::received(receipt.key());
        work();
        threadHandOff::published(receipt.key());
    }
};
} // namespace detail

// Runs fn() on a thread of `pool`, after the work started there before it, without waiting
// for it; once the pools have ended (finishApplicationWork()), it never runs. fn() must not
// throw.
template <typename Fn>
void startOnWorker(QThreadPool &pool, Fn fn)
{
    if (workerPoolsHaveEnded()) {
        return;
    }
    auto work = [work = std::move(fn)]() mutable {
        if (!workerPoolsHaveEnded()) {
            work();
        }
    };
    detail::WorkerJob<decltype(work)> task{threadHandOff::Receipt(&pool), std::move(work)};
    threadHandOff::published(&pool);
    const threadHandOff::UncheckedAccesses queueing;
    pool.start(std::move(task));
}

// Runs fn() on a thread of `pool` and resumes the awaiting coroutine on its own thread
// with the result, or with the exception fn() threw. Once the pools have ended
// (finishApplicationWork()), fn() never runs and the coroutine resumes with a
// CancellationError.
template <typename Fn>
auto runOnWorker(QThreadPool &pool, Fn fn) -> QCoro::Task<std::invoke_result_t<Fn>>
{
    using T = std::invoke_result_t<Fn>;
    using Outcome = detail::WorkerOutcome<T>;
    if (workerPoolsHaveEnded()) {
        throw CancellationError();
    }
    // The outcome comes back in a place of its own rather than in the future's result store,
    // so that a thread checker can be told of the hand-off both ways (the pool on the way
    // there, this outcome on the way back).
    auto outcome = std::make_shared<Outcome>();
    auto work = [work = std::move(fn), outcome]() mutable {
        try {
            if (workerPoolsHaveEnded()) {
                throw CancellationError();
            }
            if constexpr (std::is_void_v<T>) {
                work();
            } else {
                outcome->value.emplace(work());
            }
        } catch (...) {
            outcome->error = std::current_exception();
        }
        threadHandOff::published(outcome.get());
    };
    detail::WorkerJob<decltype(work)> task{threadHandOff::Receipt(&pool), std::move(work)};
    threadHandOff::published(&pool);
    QFuture<void> finished;
    {
        const threadHandOff::UncheckedAccesses queueing;
        finished = QtConcurrent::run(&pool, std::move(task));
    }
    co_await finished;
    threadHandOff::received(outcome.get());
    if (outcome->error) {
        std::rethrow_exception(outcome->error);
    }
    if constexpr (!std::is_void_v<T>) {
        co_return std::move(*outcome->value);
    }
}

} // namespace veyra
