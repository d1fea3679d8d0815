#pragma once

#include "support/TimeLimits.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <source_location>
#include <stdexcept>
#include <type_traits>

namespace veyra::test {

// Runs a task to completion in a nested event loop and returns its result, rethrowing
// its exception. (QCoro::waitFor drops the exception of the task and never returns.)
// Ends the program when the task has not finished within the time-out (scaled for this
// machine: TimeLimits), as nothing may resume the task's frame after that; it says first
// which call waited.
template <typename T>
T runTask(QCoro::Task<T> task, int timeoutMs = 60000, std::source_location caller = std::source_location::current())
{
    QEventLoop loop;
    bool finished = false;
    std::exception_ptr error;
    std::conditional_t<std::is_void_v<T>, bool, std::optional<T>> result{};

    auto driver = [](QCoro::Task<T> awaited, QEventLoop &eventLoop, bool &done, std::exception_ptr &failure,
                      decltype(result) &value) -> QCoro::Task<void> {
        try {
            if constexpr (std::is_void_v<T>) {
                co_await std::move(awaited);
            } else {
                value.emplace(co_await std::move(awaited));
            }
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        eventLoop.quit();
    };
    auto running = driver(std::move(task), loop, finished, error, result);
    if (!finished) {
        QTimer::singleShot(scaledMs(timeoutMs), &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!finished) {
        // The coroutine still refers to this frame's locals, so it must never resume.
        std::fprintf(stderr, "%s:%u: runTask: the task did not finish within %d ms; ending the program\n",
            caller.file_name(), static_cast<unsigned>(caller.line()), scaledMs(timeoutMs));
        std::fflush(stderr);
        std::terminate();
    }
    if (error) {
        std::rethrow_exception(error);
    }
    if constexpr (!std::is_void_v<T>) {
        return std::move(*result);
    }
}

// Runs the event loop until the condition holds or the time (scaled for this machine:
// TimeLimits) is up; returns the condition.
// The condition is checked once after every turn of the event loop, or, with a pause,
// once per pause of that many milliseconds (for a costly check, such as reading the
// screen), so it may have effects of its own.
inline bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 10000, int pauseMs = 0)
{
    const qint64 limit = scaledMs(timeoutMs);
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() >= limit) {
            return false;
        }
        if (pauseMs > 0) {
            QEventLoop pause;
            QTimer::singleShot(pauseMs, &pause, &QEventLoop::quit);
            pause.exec();
        } else {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        }
    }
    return true;
}

} // namespace veyra::test
