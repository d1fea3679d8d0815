#include "capture/x11/XcbImageReader.h"

#include "capture/x11/XcbConnection.h"

#include <algorithm>

namespace veyra {

namespace {

// The server refused to convert (a format it would not draw with): the pixels can still
// be read and decoded here.
class XcbConversionError : public XcbError
{
public:
    using XcbError::XcbError;
};

// What Render writes: 8-bit ARGB at 24, 16, 8 and 0, in the server's byte order.
XcbPixelLayout convertedLayout(const xcb_setup_t *setup)
{
    XcbPixelLayout layout;
    const bool serverLittleEndian = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    layout.byteSwapped = serverLittleEndian != (Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    layout.redMask = 0xff0000;
    layout.greenMask = 0xff00;
    layout.blueMask = 0xff;
    return layout;
}

std::int16_t coordinate(int value)
{
    return static_cast<std::int16_t>(value);
}

std::uint16_t extent(int value)
{
    return static_cast<std::uint16_t>(value);
}

} // namespace

XcbImageReader::XcbImageReader(XcbConnection &x11, Conversion conversion)
    : m_x11(x11)
    , m_conversion(conversion)
    , m_sharedMemory(x11)
{ }

XcbImageReader::~XcbImageReader()
{
    releaseScratch();
}

bool XcbImageReader::canRead(xcb_visualid_t visual)
{
    return xcbPixelLayout(xcb_get_setup(m_x11.connection()), visual).has_value()
        || (m_conversion != Conversion::client && m_formats.conversionFor(m_x11, visual).has_value());
}

QImage XcbImageReader::read(xcb_drawable_t drawable, xcb_visualid_t visual, QRect area)
{
    if (area.isEmpty()) {
        throw XcbError(QStringLiteral("Empty image area"));
    }
    const std::optional<XcbPixelLayout> layout = xcbPixelLayout(xcb_get_setup(m_x11.connection()), visual);
    if (m_conversion != Conversion::client && !conversionRefused(visual)) {
        if (const auto conversion = m_formats.conversionFor(m_x11, visual)) {
            try {
                return readConverted(drawable, area, *conversion);
            } catch (const XcbConversionError &refusal) {
                if (!layout) {
                    throw;
                }
                // Read and decode here. Only when that works was the conversion the
                // problem (and not, say, a window that went away).
                QImage image = readPixels(drawable, area, *layout, false);
                if (m_refusedGeneration != m_x11.generation()) {
                    m_refusedGeneration = m_x11.generation();
                    m_refusedVisuals.clear();
                }
                m_refusedVisuals.push_back(visual);
                return image;
            }
        }
    }
    if (!layout) {
        throw XcbError(QStringLiteral("The drawable's visual has no true-colour pixels"));
    }
    return readPixels(drawable, area, *layout, false);
}

void XcbImageReader::releaseBuffers()
{
    m_sharedMemory.releaseAll();
    releaseScratch();
}

QImage XcbImageReader::readConverted(
    xcb_drawable_t drawable, QRect area, const XcbRenderFormats::Conversion &conversion)
{
    const QSize size = area.size();
    const std::size_t stride = std::size_t(size.width()) * 4;
    XcbConnection &x11 = m_x11;
    if (x11.hasShmPixmaps() && m_conversion == Conversion::server
        && m_sharedPixmapsFailedGeneration != x11.generation()) {
        if (XcbSharedMemoryPool::Segment *segment = m_sharedMemory.acquire(stride * std::size_t(size.height()))) {
            const xcb_render_picture_t target = m_sharedMemory.pictureOver(*segment, size, conversion.target);
            if (target != XCB_NONE) {
                // The server draws straight into our memory: once it has, the memory is
                // the image.
                convert(drawable, area, conversion.source, target);
                m_usedSharedMemory = true;
                const XcbPixelLayout layout = convertedLayout(xcb_get_setup(x11.connection()));
                if (layout.isNativeRGB32()) {
                    QImage image = XcbSharedMemoryPool::lend(*segment, size, stride, QImage::Format_RGB32);
                    if (image.isNull()) {
                        throw XcbError(QStringLiteral("Qt could not make an image of %1 x %2 pixels")
                                           .arg(size.width())
                                           .arg(size.height()));
                    }
                    return image;
                }
                return opaqueImageFromPixels(
                    static_cast<const std::uint8_t *>(segment->address()), stride, size.width(), size.height(), layout);
            }
            m_sharedPixmapsFailedGeneration = x11.generation();
        }
    }
    // Converted into a pixmap of the server's, then read from there.
    const xcb_render_picture_t target = scratchPicture(size, conversion.target);
    convert(drawable, area, conversion.source, target);
    return readPixels(
        m_scratch.pixmap, QRect(QPoint(0, 0), size), convertedLayout(xcb_get_setup(x11.connection())), true);
}

void XcbImageReader::convert(
    xcb_drawable_t drawable, QRect area, xcb_render_pictformat_t sourceFormat, xcb_render_picture_t target)
{
    xcb_connection_t *connection = m_x11.connection();
    // Render draws nothing (transparent) where the source has no pixels: make sure the
    // area lies inside the drawable, as GetImage would. The answer comes in the same trip.
    const auto geometryCookie = xcb_get_geometry(connection, drawable);
    const xcb_render_picture_t source = xcb_generate_id(connection);
    xcb_render_create_picture(connection, source, drawable, sourceFormat, 0, nullptr);
    const auto composited = xcb_render_composite_checked(connection, XCB_RENDER_PICT_OP_SRC, source, XCB_NONE, target,
        coordinate(area.x()), coordinate(area.y()), 0, 0, 0, 0, extent(area.width()), extent(area.height()));
    xcb_render_free_picture(connection, source);
    xcb_generic_error_t *rawError = nullptr;
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(connection, geometryCookie, &rawError));
    XcbReply<xcb_generic_error_t> geometryError(rawError);
    // Also waits until the server has drawn.
    XcbReply<xcb_generic_error_t> error(xcb_request_check(connection, composited));
    if (m_x11.hasFailed()) {
        throw XcbError(QStringLiteral("The connection to the X display broke"));
    }
    if (!geometry) {
        throw XcbError(QStringLiteral("The drawable to read is gone (X error %1)")
                           .arg(geometryError ? geometryError->error_code : 0));
    }
    if (!QRect(0, 0, geometry->width, geometry->height).contains(area)) {
        throw XcbError(QStringLiteral("The area to read lies outside the drawable"));
    }
    if (error) {
        throw XcbConversionError(
            QStringLiteral("Render refused to convert the image (X error %1)").arg(error->error_code));
    }
}

xcb_render_picture_t XcbImageReader::scratchPicture(QSize size, xcb_render_pictformat_t format)
{
    XcbConnection &x11 = m_x11;
    if (m_scratch.picture != XCB_NONE && m_scratch.generation == x11.generation() && m_scratch.size == size) {
        return m_scratch.picture;
    }
    releaseScratch();
    xcb_connection_t *connection = x11.connection();
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    const auto created
        = xcb_create_pixmap_checked(connection, 32, pixmap, x11.root(), extent(size.width()), extent(size.height()));
    std::uint8_t errorCode = 0;
    const std::optional<xcb_render_picture_t> picture = pictureOverNewPixmap(x11, pixmap, created, format, errorCode);
    if (!picture) {
        throw XcbConversionError(QStringLiteral("No %1 x %2 pixmap to convert the image in (X error %3)")
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(errorCode));
    }
    m_scratch = Scratch{x11.generation(), pixmap, *picture, size};
    return *picture;
}

void XcbImageReader::releaseScratch()
{
    if (m_scratch.picture != XCB_NONE && m_scratch.generation == m_x11.generation() && !m_x11.hasFailed()) {
        xcb_render_free_picture(m_x11.connection(), m_scratch.picture);
        xcb_free_pixmap(m_x11.connection(), m_scratch.pixmap);
        xcb_flush(m_x11.connection());
    }
    m_scratch = Scratch{};
}

QImage XcbImageReader::readPixels(xcb_drawable_t drawable, QRect area, const XcbPixelLayout &layout, bool opaque)
{
    xcb_connection_t *connection = m_x11.connection();
    const std::size_t stride = layout.stride(area.width());
    const std::size_t bytes = stride * std::size_t(area.height());
    // Pixels whose top byte is 255, in Format_RGB32's layout, are the image as they are.
    const bool asImage = opaque && layout.isNativeRGB32();
    xcb_generic_error_t *rawError = nullptr;

    if (XcbSharedMemoryPool::Segment *segment = m_sharedMemory.acquire(bytes)) {
        m_usedSharedMemory = true;
        XcbReply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(connection,
            xcb_shm_get_image(connection, drawable, coordinate(area.x()), coordinate(area.y()), extent(area.width()),
                extent(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment->id, 0),
            &rawError));
        XcbReply<xcb_generic_error_t> failure(rawError);
        if (!reply) {
            throw XcbError(failure
                    ? QStringLiteral("GetImage through shared memory failed with X error %1").arg(failure->error_code)
                    : QStringLiteral("The connection to the X display broke"));
        }
        if (std::size_t(reply->size) < bytes) {
            throw XcbError(QStringLiteral("GetImage returned fewer pixels than asked for"));
        }
        const auto *pixels = static_cast<const std::uint8_t *>(segment->address());
        if (asImage) {
            QImage image = XcbSharedMemoryPool::lend(*segment, area.size(), stride, QImage::Format_RGB32);
            if (!image.isNull()) {
                return image;
            }
        }
        return opaqueImageFromPixels(pixels, stride, area.width(), area.height(), layout);
    }

    m_usedSharedMemory = false;
    XcbReply<xcb_get_image_reply_t> reply(xcb_get_image_reply(connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, coordinate(area.x()), coordinate(area.y()),
            extent(area.width()), extent(area.height()), ~0u),
        &rawError));
    XcbReply<xcb_generic_error_t> failure(rawError);
    if (!reply) {
        throw XcbError(failure ? QStringLiteral("GetImage failed with X error %1").arg(failure->error_code)
                               : QStringLiteral("The connection to the X display broke"));
    }
    if (std::size_t(xcb_get_image_data_length(reply.get())) < bytes) {
        throw XcbError(QStringLiteral("GetImage returned fewer pixels than asked for"));
    }
    const std::uint8_t *pixels = xcb_get_image_data(reply.get());
    if (asImage) {
        // The reply's memory becomes the image's and is freed with it.
        xcb_get_image_reply_t *owned = reply.release();
        QImage image(
            pixels, area.width(), area.height(), static_cast<qsizetype>(stride), QImage::Format_RGB32,
            [](void *info) { std::free(info); }, owned);
        if (!image.isNull()) {
            return image;
        }
        reply.reset(owned);
    }
    return opaqueImageFromPixels(pixels, stride, area.width(), area.height(), layout);
}

bool XcbImageReader::conversionRefused(xcb_visualid_t visual) const
{
    return m_refusedGeneration == m_x11.generation()
        && std::find(m_refusedVisuals.begin(), m_refusedVisuals.end(), visual) != m_refusedVisuals.end();
}

} // namespace veyra
