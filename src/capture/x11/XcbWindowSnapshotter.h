#pragma once

#include "capture/windows/WindowSnapshotCapturing.h"
#include "capture/x11/XcbImageReader.h"

#include <QString>

#include <memory>

namespace veyra {

class XcbWindowImageReader;

// Snapshots of X windows (XcbWindowImageReader) taken on the X work thread: the GUI
// thread only starts the read and resumes with the image. The window stays redirected
// while it is the one being captured: until endCapture() or the capture of another
// window.
class XcbWindowSnapshotter : public WindowSnapshotCapturing
{
public:
    // An empty display name means $DISPLAY. `conversion`: see XcbImageReader.
    explicit XcbWindowSnapshotter(
        QString displayName = QString(), XcbImageReader::Conversion conversion = XcbImageReader::Conversion::server);
    ~XcbWindowSnapshotter() override;

    QCoro::Task<CapturedWindowSnapshot> capture(CaptureTarget target) override;
    void endCapture(CaptureTarget target) override;

private:
    std::shared_ptr<XcbWindowImageReader> m_reader;
};

} // namespace veyra
