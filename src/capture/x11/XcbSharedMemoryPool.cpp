#include "capture/x11/XcbSharedMemoryPool.h"

#include "capture/x11/XcbConnection.h"
#include "capture/x11/XcbRenderFormats.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <atomic>

namespace veyra {

// The process side of a segment. It is unmapped when the pool and every image lent from
// it have let go of it.
struct XcbSharedMemoryPool::Memory
{
    Memory(void *address, std::size_t size)
        : address(address)
        , size(size)
    { }
    ~Memory() { ::shmdt(address); }

    Memory(const Memory &) = delete;
    Memory &operator=(const Memory &) = delete;

    void *const address;
    const std::size_t size;
    // Set while an image over the memory exists. Cleared (release) by whichever thread
    // drops the last copy, read (acquire) on the X thread before the server writes again.
    std::atomic<bool> lent{false};
};

void *XcbSharedMemoryPool::Segment::address() const
{
    return memory->address;
}

std::size_t XcbSharedMemoryPool::Segment::size() const
{
    return memory->size;
}

XcbSharedMemoryPool::XcbSharedMemoryPool(XcbConnection &x11)
    : m_x11(x11)
{ }

XcbSharedMemoryPool::~XcbSharedMemoryPool()
{
    releaseAll();
}

XcbSharedMemoryPool::Segment *XcbSharedMemoryPool::acquire(std::size_t size)
{
    XcbConnection &x11 = m_x11;
    if (!x11.hasShm() || m_failedGeneration == x11.generation() || size == 0) {
        return nullptr;
    }
    Segment *chosen = nullptr;
    for (auto segment = m_segments.begin(); segment != m_segments.end();) {
        const bool current = segment->generation == x11.generation();
        const bool idle = !segment->memory->lent.load(std::memory_order_acquire);
        if (current && idle && chosen == nullptr && segment->size() == size) {
            chosen = &*segment;
            ++segment;
        } else if (!current || idle) {
            release(*segment);
            segment = m_segments.erase(segment);
        } else {
            ++segment;
        }
    }
    if (chosen != nullptr) {
        return chosen;
    }

    const int id = ::shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0) {
        return nullptr;
    }
    void *address = ::shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) {
        ::shmctl(id, IPC_RMID, nullptr);
        return nullptr;
    }
    auto memory = std::make_shared<Memory>(address, size);
    xcb_connection_t *connection = x11.connection();
    const xcb_shm_seg_t segment = xcb_generate_id(connection);
    XcbReply<xcb_generic_error_t> error(
        xcb_request_check(connection, xcb_shm_attach_checked(connection, segment, static_cast<std::uint32_t>(id), 0)));
    // Once both sides are attached the segment can be marked for removal: it then goes
    // away with the last detach, even if this process dies.
    ::shmctl(id, IPC_RMID, nullptr);
    if (error || x11.hasFailed()) {
        // A server on another machine cannot see our memory: read without it from now on.
        m_failedGeneration = x11.generation();
        return nullptr;
    }
    Segment &added = m_segments.emplace_back();
    added.memory = std::move(memory);
    added.id = segment;
    added.generation = x11.generation();
    return &added;
}

xcb_render_picture_t XcbSharedMemoryPool::pictureOver(Segment &segment, QSize size, xcb_render_pictformat_t format)
{
    if (segment.picture != XCB_NONE && segment.pixmapSize == size) {
        return segment.picture;
    }
    xcb_connection_t *connection = m_x11.connection();
    if (segment.picture != XCB_NONE) {
        xcb_render_free_picture(connection, segment.picture);
        xcb_free_pixmap(connection, segment.pixmap);
        segment.picture = XCB_NONE;
        segment.pixmap = XCB_NONE;
    }
    if (std::size_t(size.width()) * std::size_t(size.height()) * 4 > segment.size()) {
        return XCB_NONE;
    }
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    const auto created = xcb_shm_create_pixmap_checked(connection, pixmap, m_x11.root(),
        static_cast<std::uint16_t>(size.width()), static_cast<std::uint16_t>(size.height()), 32, segment.id, 0);
    std::uint8_t errorCode = 0;
    const std::optional<xcb_render_picture_t> picture = pictureOverNewPixmap(m_x11, pixmap, created, format, errorCode);
    if (!picture) {
        return XCB_NONE;
    }
    segment.pixmap = pixmap;
    segment.picture = *picture;
    segment.pixmapSize = size;
    return *picture;
}

QImage XcbSharedMemoryPool::lend(Segment &segment, QSize size, std::size_t stride, QImage::Format format)
{
    auto *holder = new std::shared_ptr<Memory>(segment.memory);
    segment.memory->lent.store(true, std::memory_order_relaxed);
    const auto giveBack = [](void *info) {
        auto *held = static_cast<std::shared_ptr<Memory> *>(info);
        (*held)->lent.store(false, std::memory_order_release);
        delete held;
    };
    QImage image(static_cast<const uchar *>(segment.address()), size.width(), size.height(),
        static_cast<qsizetype>(stride), format, giveBack, holder);
    if (image.isNull()) {
        giveBack(holder);
    }
    return image;
}

void XcbSharedMemoryPool::releaseAll()
{
    for (Segment &segment : m_segments) {
        release(segment);
    }
    m_segments.clear();
}

std::size_t XcbSharedMemoryPool::heldBytes() const
{
    std::size_t bytes = 0;
    for (const Segment &segment : m_segments) {
        bytes += segment.size();
    }
    return bytes;
}

void XcbSharedMemoryPool::release(Segment &segment)
{
    // The server side goes with the connection; free it explicitly only while that
    // connection is still the live one. The memory itself is unmapped when the last
    // image lent from it is gone.
    if (segment.generation == m_x11.generation() && !m_x11.hasFailed()) {
        xcb_connection_t *connection = m_x11.connection();
        if (segment.picture != XCB_NONE) {
            xcb_render_free_picture(connection, segment.picture);
            xcb_free_pixmap(connection, segment.pixmap);
        }
        xcb_shm_detach(connection, segment.id);
        xcb_flush(connection);
    }
    segment.memory.reset();
}

} // namespace veyra
