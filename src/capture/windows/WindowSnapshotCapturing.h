#pragma once

#include "capture/target/CaptureTarget.h"
#include "foundation/errors/Error.h"

#include <QImage>

#include <qcoro/qcorotask.h>

namespace veyra {

// One still image of the target window, at full pixel resolution, opaque.
struct CapturedWindowSnapshot
{
    QImage image;
};

class WindowSnapshotError : public LocalizedError
{
public:
    enum class Kind {
        // No window with the target's number belongs to the target's process any more.
        targetUnavailable,
        // The window exists but no image came back.
        captureFailed,
    };

    explicit WindowSnapshotError(Kind kind);
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// Takes snapshots of a game window. Called on the GUI thread; implementations keep
// the GUI thread free while the image is fetched.
class WindowSnapshotCapturing
{
public:
    virtual ~WindowSnapshotCapturing() = default;

    // A fresh image of the target's window; throws WindowSnapshotError (or another
    // Error for a failure of the display connection itself).
    virtual QCoro::Task<CapturedWindowSnapshot> capture(CaptureTarget target) = 0;

    // The caller stops capturing the target for now (the capture loop stopped, or moved
    // on to another window): whatever capturing set up for it is undone, after any
    // capture already under way. Returns at once; a later capture sets it up again.
    virtual void endCapture(CaptureTarget target) { Q_UNUSED(target) }
};

} // namespace veyra
