#pragma once

#include <QImage>
#include <QSize>

#include <xcb/render.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>

namespace veyra {

class XcbConnection;

// Shared-memory segments that the X server writes window images into. A segment can be
// lent out as a read-only QImage over its own memory, so an image the server wrote in
// the layout of the frame becomes the frame without a copy; it is not written again
// until every copy of that image is gone, and is then reused for the next image of the
// same size. Idle segments of another size are given back, so the memory follows the
// window when it shrinks.
//
// Belongs to the X work thread, like the connection it attaches through, which must
// outlive it. Lent images may live anywhere, longer than the pool: their memory stays
// mapped until the last copy is gone.
class XcbSharedMemoryPool
{
public:
    struct Memory;

    // One segment attached to the server.
    struct Segment
    {
        std::shared_ptr<Memory> memory;
        xcb_shm_seg_t id = 0;
        // The connection generation it is attached on.
        std::uint64_t generation = 0;
        // A 32-bit pixmap over the segment and a Render picture of it, made on demand.
        xcb_pixmap_t pixmap = XCB_NONE;
        xcb_render_picture_t picture = XCB_NONE;
        QSize pixmapSize;

        void *address() const;
        std::size_t size() const;
    };

    explicit XcbSharedMemoryPool(XcbConnection &x11);
    ~XcbSharedMemoryPool();

    XcbSharedMemoryPool(const XcbSharedMemoryPool &) = delete;
    XcbSharedMemoryPool &operator=(const XcbSharedMemoryPool &) = delete;

    // An idle segment of exactly `size` bytes on the current connection, attached anew
    // when there is none; every other idle segment is given back. Nothing when shared
    // memory cannot be used now (no MIT-SHM, a server that cannot attach this process's
    // memory, no segment to be had): the caller then reads without it.
    Segment *acquire(std::size_t size);

    // A picture of `size` 32-bit pixels of `format` over the segment, which must hold
    // them, for the server to draw into; made once per segment and size. XCB_NONE when
    // the server refuses (it makes no pixmaps of shared memory).
    xcb_render_picture_t pictureOver(Segment &segment, QSize size, xcb_render_pictformat_t format);

    // The segment's memory as a read-only image of `size` pixels, `stride` bytes a row;
    // the segment stays out of use until every copy of the image is gone. A null image
    // when Qt cannot make one (the segment stays idle then).
    static QImage lend(Segment &segment, QSize size, std::size_t stride, QImage::Format format);

    // Gives every segment back to the system; images lent out stay valid.
    void releaseAll();

    // The bytes of the segments the pool holds now, lent or idle.
    std::size_t heldBytes() const;

private:
    void release(Segment &segment);

    XcbConnection &m_x11;
    // A list: the segments handed out stay where they are while others come and go.
    std::list<Segment> m_segments;
    // The connection generation on which the server could not attach our memory.
    std::uint64_t m_failedGeneration = 0;
};

} // namespace veyra
