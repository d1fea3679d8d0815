#pragma once

#include "capture/WindowSnapshotCapturing.h"
#include "support/TestGate.h"

#include <QColor>
#include <QVector>

#include <deque>
#include <exception>

namespace veyra::test {

// Returns the image set by the test, or throws the failures queued with failNext() in
// order. Calls marked with holdNext() wait at gate() until the test releases them; the
// image and the failure of a call are chosen when it begins.
class FakeWindowSnapshotter : public WindowSnapshotCapturing
{
public:
    FakeWindowSnapshotter()
        : m_image(64, 36, QImage::Format_RGB32)
    {
        m_image.fill(QColor(20, 30, 40));
    }

    QCoro::Task<CapturedWindowSnapshot> capture(CaptureTarget target) override
    {
        m_targets.append(target);
        const QImage image = m_image;
        std::exception_ptr failure;
        if (!m_failures.empty()) {
            failure = m_failures.front();
            m_failures.pop_front();
        }
        if (m_holds > 0) {
            --m_holds;
            co_await m_gate.wait();
        }
        if (failure) {
            std::rethrow_exception(failure);
        }
        CapturedWindowSnapshot snapshot;
        snapshot.image = image;
        co_return snapshot;
    }

    void setImage(QImage image) { m_image = std::move(image); }
    const QImage &image() const { return m_image; }
    void failNext(std::exception_ptr failure) { m_failures.push_back(std::move(failure)); }
    void failNext(WindowSnapshotError::Kind kind) { failNext(std::make_exception_ptr(WindowSnapshotError(kind))); }
    void holdNext(int count = 1) { m_holds += count; }
    TestGate &gate() { return m_gate; }

    int callCount() const { return static_cast<int>(m_targets.size()); }
    const QVector<CaptureTarget> &targets() const { return m_targets; }

private:
    QImage m_image;
    std::deque<std::exception_ptr> m_failures;
    int m_holds = 0;
    TestGate m_gate;
    QVector<CaptureTarget> m_targets;
};

} // namespace veyra::test
