#pragma once

#include "capture/windows/WindowSnapshotCapturing.h"
#include "support/ScriptedCalls.h"

#include <QColor>
#include <QVector>

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
        co_await m_script.play();
        CapturedWindowSnapshot snapshot;
        snapshot.image = image;
        co_return snapshot;
    }

    void endCapture(CaptureTarget target) override { m_ended.append(target); }

    void setImage(QImage image) { m_image = std::move(image); }
    const QImage &image() const { return m_image; }
    void failNext(std::exception_ptr failure) { m_script.failNext(std::move(failure)); }
    void failNext(WindowSnapshotError::Kind kind) { failNext(std::make_exception_ptr(WindowSnapshotError(kind))); }
    void holdNext(int count = 1) { m_script.holdNext(count); }
    TestGate &gate() { return m_script.gate(); }

    int callCount() const { return static_cast<int>(m_targets.size()); }
    const QVector<CaptureTarget> &targets() const { return m_targets; }
    // The targets whose capture was ended, in order.
    const QVector<CaptureTarget> &endedTargets() const { return m_ended; }

private:
    QImage m_image;
    ScriptedCalls m_script;
    QVector<CaptureTarget> m_targets;
    QVector<CaptureTarget> m_ended;
};

} // namespace veyra::test
