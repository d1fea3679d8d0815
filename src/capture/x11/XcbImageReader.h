#pragma once

#include "capture/x11/XcbPixelLayout.h"
#include "capture/x11/XcbRenderFormats.h"
#include "capture/x11/XcbSharedMemoryPool.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

namespace veyra {

class XcbConnection;

// Reads rectangles of drawables into opaque QImage::Format_RGB32 images.
//
// Where it can, the server converts the pixels (Render, into 8-bit ARGB with alpha 255,
// the very layout of Format_RGB32) and the image is the memory they arrive in, read-only:
// a shared-memory segment that the server draws into directly (a pixmap of shared
// memory) or reads into (MIT-SHM GetImage), or the reply of a plain GetImage. The
// segment is reused for the next image of the same size once this one is gone, so a
// steady capture neither copies nor allocates the frame. Otherwise the pixels come in
// the drawable's own layout (16, 24 or 32 bits a pixel) and are decoded here.
//
// Belongs to the X work thread, like the connection it reads through, which must
// outlive it. The images may go anywhere and outlive the reader.
class XcbImageReader
{
public:
    // Where the pixels of a drawable become opaque 8-bit RGB.
    enum class Conversion {
        // On the server where it can, else here.
        server,
        // On the server where it can, always into a pixmap of its own that is then read
        // back (what happens where the server makes no pixmaps of shared memory).
        serverReadBack,
        // Always here (what happens where the server cannot convert).
        client,
    };

    explicit XcbImageReader(XcbConnection &x11, Conversion conversion = Conversion::server);
    ~XcbImageReader();

    XcbImageReader(const XcbImageReader &) = delete;
    XcbImageReader &operator=(const XcbImageReader &) = delete;

    // Whether drawables of this visual can be read at all (true-colour pixels).
    bool canRead(xcb_visualid_t visual);

    // The pixels of `area` of a drawable of `visual`. Throws XcbError when the server
    // refuses (the drawable is gone, the area is outside it) or the connection breaks.
    QImage read(xcb_drawable_t drawable, xcb_visualid_t visual, QRect area);

    // Gives back what is kept for the next read (shared memory, the server's scratch
    // pixmap); images already read stay valid.
    void releaseBuffers();

    // Whether the last read went through shared memory.
    bool usedSharedMemory() const { return m_usedSharedMemory; }
    // The bytes of shared memory kept now.
    std::size_t sharedMemoryBytes() const { return m_sharedMemory.heldBytes(); }

private:
    struct Scratch
    {
        std::uint64_t generation = 0;
        xcb_pixmap_t pixmap = XCB_NONE;
        xcb_render_picture_t picture = XCB_NONE;
        QSize size;
    };

    QImage readConverted(xcb_drawable_t drawable, QRect area, const XcbRenderFormats::Conversion &conversion);
    void convert(
        xcb_drawable_t drawable, QRect area, xcb_render_pictformat_t sourceFormat, xcb_render_picture_t target);
    xcb_render_picture_t scratchPicture(QSize size, xcb_render_pictformat_t format);
    void releaseScratch();
    // Reads pixels of `layout`; `opaque`: their top byte is known to be 255.
    QImage readPixels(xcb_drawable_t drawable, QRect area, const XcbPixelLayout &layout, bool opaque);
    bool conversionRefused(xcb_visualid_t visual) const;

    XcbConnection &m_x11;
    Conversion m_conversion;
    XcbRenderFormats m_formats;
    XcbSharedMemoryPool m_sharedMemory;
    Scratch m_scratch;
    // The connection generation on which the server made no pixmaps of shared memory.
    std::uint64_t m_sharedPixmapsFailedGeneration = 0;
    // Visuals whose conversion the server refused on this connection generation.
    std::uint64_t m_refusedGeneration = 0;
    std::vector<xcb_visualid_t> m_refusedVisuals;
    bool m_usedSharedMemory = false;
};

} // namespace veyra
