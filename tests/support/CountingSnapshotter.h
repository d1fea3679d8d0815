#pragma once

#include "capture/windows/WindowSnapshotCapturing.h"

#include <exception>
#include <memory>
#include <optional>

namespace veyra::test {

// Passes another snapshotter's work through and counts the captures that have finished,
// so that a test can wait for passes of the capture loop instead of for time.
class CountingSnapshotter : public WindowSnapshotCapturing
{
public:
    explicit CountingSnapshotter(std::shared_ptr<WindowSnapshotCapturing> snapshotter)
        : m_snapshotter(std::move(snapshotter))
        , m_finished(std::make_shared<int>(0))
    { }

    QCoro::Task<CapturedWindowSnapshot> capture(CaptureTarget target) override
    {
        const std::shared_ptr<WindowSnapshotCapturing> snapshotter = m_snapshotter;
        const std::shared_ptr<int> finished = m_finished;
        std::exception_ptr failure;
        std::optional<CapturedWindowSnapshot> snapshot;
        try {
            snapshot = co_await snapshotter->capture(std::move(target));
        } catch (...) {
            failure = std::current_exception();
        }
        ++*finished;
        if (failure) {
            std::rethrow_exception(failure);
        }
        co_return std::move(*snapshot);
    }

    void endCapture(CaptureTarget target) override { m_snapshotter->endCapture(std::move(target)); }

    int finished() const { return *m_finished; }

private:
    std::shared_ptr<WindowSnapshotCapturing> m_snapshotter;
    std::shared_ptr<int> m_finished;
};

} // namespace veyra::test
