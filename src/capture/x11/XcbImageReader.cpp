#include "capture/x11/XcbImageReader.h"

#include "capture/x11/XcbConnection.h"

#include <QtEndian>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <cstring>

namespace veyra {

namespace {

// One colour channel of a pixel value, scaled to 8 bits.
struct Channel
{
    explicit Channel(std::uint32_t mask)
        : mask(mask)
        , shift(mask == 0 ? 0 : std::countr_zero(mask))
        , maximum(mask == 0 ? 1 : mask >> shift)
    { }

    std::uint32_t operator()(std::uint32_t value) const { return ((value & mask) >> shift) * 255 / maximum; }

    std::uint32_t mask;
    int shift;
    std::uint32_t maximum;
};

} // namespace

std::optional<XcbPixelLayout> xcbPixelLayout(const xcb_setup_t *setup, xcb_visualid_t visual)
{
    for (auto screens = xcb_setup_roots_iterator(setup); screens.rem > 0; xcb_screen_next(&screens)) {
        for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem > 0; xcb_depth_next(&depths)) {
            for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
                 xcb_visualtype_next(&visuals)) {
                if (visuals.data->visual_id != visual) {
                    continue;
                }
                if (visuals.data->_class != XCB_VISUAL_CLASS_TRUE_COLOR
                    && visuals.data->_class != XCB_VISUAL_CLASS_DIRECT_COLOR) {
                    return std::nullopt;
                }
                const std::uint8_t depth = depths.data->depth;
                for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
                     xcb_format_next(&formats)) {
                    if (formats.data->depth == depth) {
                        if (formats.data->bits_per_pixel != 32 || formats.data->scanline_pad != 32) {
                            return std::nullopt;
                        }
                        XcbPixelLayout layout;
                        layout.redMask = visuals.data->red_mask;
                        layout.greenMask = visuals.data->green_mask;
                        layout.blueMask = visuals.data->blue_mask;
                        const bool serverLittleEndian = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
                        layout.byteSwapped = serverLittleEndian != (Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
                        return layout;
                    }
                }
                return std::nullopt;
            }
        }
    }
    return std::nullopt;
}

QImage opaqueImageFromPixels(
    const std::uint8_t *pixels, std::size_t sourceStride, int width, int height, const XcbPixelLayout &layout)
{
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    if (layout.isNativeRGB32()) {
        for (int y = 0; y < height; ++y) {
            const auto *source = reinterpret_cast<const std::uint32_t *>(pixels + std::size_t(y) * sourceStride);
            auto *target = reinterpret_cast<std::uint32_t *>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                target[x] = source[x] | 0xff000000u;
            }
        }
        return image;
    }
    const Channel red(layout.redMask);
    const Channel green(layout.greenMask);
    const Channel blue(layout.blueMask);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *source = pixels + std::size_t(y) * sourceStride;
        auto *target = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            std::uint32_t value = 0;
            std::memcpy(&value, source + std::size_t(x) * 4, 4);
            if (layout.byteSwapped) {
                value = qbswap(value);
            }
            target[x]
                = qRgb(static_cast<int>(red(value)), static_cast<int>(green(value)), static_cast<int>(blue(value)));
        }
    }
    return image;
}

XcbImageReader::XcbImageReader(XcbConnection &x11)
    : m_x11(x11)
{ }

XcbImageReader::~XcbImageReader()
{
    releaseSegment();
}

QImage XcbImageReader::read(xcb_drawable_t drawable, QRect area, const XcbPixelLayout &layout)
{
    XcbConnection &x11 = m_x11;
    if (area.isEmpty()) {
        throw XcbError(QStringLiteral("Empty image area"));
    }
    if (x11.hasShm() && m_sharedMemoryFailedGeneration != x11.generation()) {
        const std::size_t size = std::size_t(area.width()) * std::size_t(area.height()) * 4;
        if (ensureSegment(size)) {
            m_usedSharedMemory = true;
            return readThroughSharedMemory(drawable, area, layout);
        }
        m_sharedMemoryFailedGeneration = x11.generation();
    }
    m_usedSharedMemory = false;
    return readDirectly(drawable, area, layout);
}

bool XcbImageReader::ensureSegment(std::size_t size)
{
    XcbConnection &x11 = m_x11;
    xcb_connection_t *connection = x11.connection();
    const bool current = m_address != nullptr && m_segmentGeneration == x11.generation();
    // Kept while it fits and is not more than twice what is needed.
    if (current && size <= m_size && size * 2 >= m_size) {
        return true;
    }
    releaseSegment();
    const int id = ::shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0) {
        return false;
    }
    void *address = ::shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) {
        ::shmctl(id, IPC_RMID, nullptr);
        return false;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(connection);
    XcbReply<xcb_generic_error_t> error(
        xcb_request_check(connection, xcb_shm_attach_checked(connection, segment, static_cast<std::uint32_t>(id), 0)));
    // Once both sides are attached the segment can be marked for removal: it then goes
    // away with the last detach, even if this process dies.
    ::shmctl(id, IPC_RMID, nullptr);
    if (error || x11.hasFailed()) {
        ::shmdt(address);
        return false;
    }
    m_segmentGeneration = x11.generation();
    m_segment = segment;
    m_address = address;
    m_size = size;
    return true;
}

void XcbImageReader::releaseSegment()
{
    if (m_address == nullptr) {
        return;
    }
    // The server side of the segment goes with the connection; detach it explicitly
    // only while that connection is still the live one.
    if (m_segmentGeneration == m_x11.generation() && !m_x11.hasFailed()) {
        xcb_shm_detach(m_x11.connection(), m_segment);
        xcb_flush(m_x11.connection());
    }
    ::shmdt(m_address);
    m_address = nullptr;
    m_size = 0;
    m_segment = 0;
}

QImage XcbImageReader::readThroughSharedMemory(xcb_drawable_t drawable, QRect area, const XcbPixelLayout &layout)
{
    xcb_connection_t *connection = m_x11.connection();
    xcb_generic_error_t *error = nullptr;
    XcbReply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(connection,
        xcb_shm_get_image(connection, drawable, static_cast<std::int16_t>(area.x()),
            static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
            static_cast<std::uint16_t>(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, m_segment, 0),
        &error));
    XcbReply<xcb_generic_error_t> failure(error);
    if (!reply) {
        throw XcbError(failure
                ? QStringLiteral("GetImage through shared memory failed with X error %1").arg(failure->error_code)
                : QStringLiteral("The connection to the X display broke"));
    }
    const std::size_t stride = std::size_t(area.width()) * 4;
    if (std::size_t(reply->size) < stride * std::size_t(area.height())) {
        throw XcbError(QStringLiteral("GetImage returned fewer pixels than asked for"));
    }
    return opaqueImageFromPixels(
        static_cast<const std::uint8_t *>(m_address), stride, area.width(), area.height(), layout);
}

QImage XcbImageReader::readDirectly(xcb_drawable_t drawable, QRect area, const XcbPixelLayout &layout)
{
    xcb_connection_t *connection = m_x11.connection();
    xcb_generic_error_t *error = nullptr;
    XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, static_cast<std::int16_t>(area.x()),
            static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
            static_cast<std::uint16_t>(area.height()), ~0u),
        &error));
    XcbReply<xcb_generic_error_t> failure(error);
    if (!reply) {
        throw XcbError(failure ? QStringLiteral("GetImage failed with X error %1").arg(failure->error_code)
                               : QStringLiteral("The connection to the X display broke"));
    }
    const std::size_t stride = std::size_t(area.width()) * 4;
    if (std::size_t(xcb_get_image_data_length(reply.get())) < stride * std::size_t(area.height())) {
        throw XcbError(QStringLiteral("GetImage returned fewer pixels than asked for"));
    }
    return opaqueImageFromPixels(xcb_get_image_data(reply.get()), stride, area.width(), area.height(), layout);
}

} // namespace veyra
