#include "capture/x11/XcbWindowSnapshotter.h"

#include "capture/x11/X11WorkPool.h"
#include "capture/x11/XcbWindowImageReader.h"
#include "foundation/async/AsyncTask.h"

namespace veyra {

XcbWindowSnapshotter::XcbWindowSnapshotter(QString displayName, XcbImageReader::Conversion conversion)
    : m_reader(std::make_shared<XcbWindowImageReader>(std::move(displayName), conversion))
{ }

// The reader may still be in use by a read on the X thread; the last owner closes it.
XcbWindowSnapshotter::~XcbWindowSnapshotter() = default;

QCoro::Task<CapturedWindowSnapshot> XcbWindowSnapshotter::capture(CaptureTarget target)
{
    // Made outside the co_await expression: g++ 12 destroys temporaries of a co_await
    // full-expression twice.
    QCoro::Task<QImage> reading
        = runOnWorker(x11WorkPool(), [reader = m_reader, windowID = target.windowID, processID = target.processID] {
              return reader->read(windowID, processID);
          });
    QImage image = co_await std::move(reading);
    co_return CapturedWindowSnapshot{std::move(image)};
}

void XcbWindowSnapshotter::endCapture(CaptureTarget target)
{
    // Queued behind the reads already started: the X thread runs its work in order.
    startOnWorker(x11WorkPool(), [reader = m_reader, windowID = target.windowID] { reader->release(windowID); });
}

} // namespace veyra
