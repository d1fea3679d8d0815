#pragma once

#include <QImage>
#include <QRect>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace veyra {

class XcbConnection;

// How the pixels of one visual are laid out in a ZPixmap image.
struct XcbPixelLayout
{
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    // The image's byte order differs from this machine's.
    bool byteSwapped = false;

    // 8-bit red, green and blue at 0xff0000, 0xff00 and 0xff in this machine's order:
    // the pixels are already QImage::Format_RGB32 apart from the unused top byte.
    bool isNativeRGB32() const
    {
        return redMask == 0xff0000 && greenMask == 0xff00 && blueMask == 0xff && !byteSwapped;
    }
};

// The layout of a TrueColor visual drawn with 32 bits per pixel (depth 24 or 32);
// nothing for other visuals, which Veyra cannot read.
std::optional<XcbPixelLayout> xcbPixelLayout(const xcb_setup_t *setup, xcb_visualid_t visual);

// Copies width x height pixels of 32 bits, `sourceStride` bytes a row, into an opaque
// QImage::Format_RGB32 (alpha forced to 255).
QImage opaqueImageFromPixels(
    const std::uint8_t *pixels, std::size_t sourceStride, int width, int height, const XcbPixelLayout &layout);

// Reads rectangles of drawables into opaque QImage::Format_RGB32 images: through a
// shared-memory segment when the server offers MIT-SHM (kept between calls and grown
// when needed), else with a plain GetImage. Belongs to the X work thread, like the
// connection it reads through, which must outlive it.
class XcbImageReader
{
public:
    explicit XcbImageReader(XcbConnection &x11);
    ~XcbImageReader();

    XcbImageReader(const XcbImageReader &) = delete;
    XcbImageReader &operator=(const XcbImageReader &) = delete;

    // Throws XcbError when the server refuses (the drawable is gone, the area is
    // outside it) or the connection breaks.
    QImage read(xcb_drawable_t drawable, QRect area, const XcbPixelLayout &layout);

    // Whether the last read went through shared memory.
    bool usedSharedMemory() const { return m_usedSharedMemory; }

private:
    bool ensureSegment(std::size_t size);
    void releaseSegment();
    QImage readThroughSharedMemory(xcb_drawable_t drawable, QRect area, const XcbPixelLayout &layout);
    QImage readDirectly(xcb_drawable_t drawable, QRect area, const XcbPixelLayout &layout);

    XcbConnection &m_x11;
    // The connection generation the segment is attached to.
    std::uint64_t m_segmentGeneration = 0;
    xcb_shm_seg_t m_segment = 0;
    void *m_address = nullptr;
    std::size_t m_size = 0;
    // Shared memory failed on this connection (a remote server): read directly.
    std::uint64_t m_sharedMemoryFailedGeneration = 0;
    bool m_usedSharedMemory = false;
};

} // namespace veyra
