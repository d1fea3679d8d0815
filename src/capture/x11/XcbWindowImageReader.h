#pragma once

#include "capture/x11/XcbConnection.h"
#include "capture/x11/XcbImageReader.h"
#include "foundation/logging/Logger.h"

#include <QImage>
#include <QString>

#include <cstdint>

namespace veyra {

// Reads one window's own pixels, on the X work thread: what the window itself drew,
// even where other windows cover it. The window is redirected off-screen through
// Composite (automatically, so the server keeps showing it as before) while it is the
// window being read, until release(); each read names a fresh pixmap of it, since the
// server replaces the pixmap whenever the window is resized.
class XcbWindowImageReader
{
public:
    // An empty display name means $DISPLAY. `conversion`: see XcbImageReader.
    explicit XcbWindowImageReader(
        QString displayName, XcbImageReader::Conversion conversion = XcbImageReader::Conversion::server);
    ~XcbWindowImageReader();

    XcbWindowImageReader(const XcbWindowImageReader &) = delete;
    XcbWindowImageReader &operator=(const XcbWindowImageReader &) = delete;

    // An opaque QImage::Format_RGB32 image of the window's client area (read-only where
    // it is the memory the pixels were read into; see XcbImageReader). Throws
    // WindowSnapshotError: targetUnavailable when the window is gone or belongs to
    // another process; captureFailed when it is not mapped (hidden, minimised) or the
    // server refuses.
    QImage read(std::uint32_t windowID, std::int32_t processID);

    // Reading the window pauses: its redirection is undone (the server shows it directly
    // again) and the memory kept for the next read is given back. Images already read
    // stay valid. Nothing happens for a window that is not the one being read.
    void release(std::uint32_t windowID);

    // Whether the last read went through shared memory.
    bool usedSharedMemory() const { return m_images.usedSharedMemory(); }
    // The bytes of shared memory kept for the next read.
    std::size_t sharedMemoryBytes() const { return m_images.sharedMemoryBytes(); }

private:
    void redirect(xcb_window_t window);
    void forgetRedirection();
    void discardEvents();

    XcbConnection m_x11;
    XcbImageReader m_images;
    // The redirected window, and the connection generation that redirected it.
    xcb_window_t m_redirected = XCB_NONE;
    std::uint64_t m_redirectedGeneration = 0;
    Logger m_logger;
};

} // namespace veyra
