#include "capture/x11/XcbPixelLayout.h"

#include <bit>

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

// Reads one pixel value of `bytes` bytes stored in the image's byte order.
template <int bytes>
std::uint32_t pixelValue(const std::uint8_t *source, bool leastSignificantFirst)
{
    std::uint32_t value = 0;
    for (int index = 0; index < bytes; ++index) {
        const int shift = leastSignificantFirst ? 8 * index : 8 * (bytes - 1 - index);
        value |= std::uint32_t(source[index]) << shift;
    }
    return value;
}

template <int bytes>
void decodeRows(const std::uint8_t *pixels, std::size_t sourceStride, QImage &image, const XcbPixelLayout &layout)
{
    const Channel red(layout.redMask);
    const Channel green(layout.greenMask);
    const Channel blue(layout.blueMask);
    const bool leastSignificantFirst = (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) != layout.byteSwapped;
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t *source = pixels + std::size_t(y) * sourceStride;
        auto *target = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const std::uint32_t value = pixelValue<bytes>(source + std::size_t(x) * bytes, leastSignificantFirst);
            target[x]
                = qRgb(static_cast<int>(red(value)), static_cast<int>(green(value)), static_cast<int>(blue(value)));
        }
    }
}

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
                    if (formats.data->depth != depth) {
                        continue;
                    }
                    const int bitsPerPixel = formats.data->bits_per_pixel;
                    const int pad = formats.data->scanline_pad;
                    const std::uint32_t masks
                        = visuals.data->red_mask | visuals.data->green_mask | visuals.data->blue_mask;
                    if ((bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) || pad < 8 || pad % 8 != 0
                        || visuals.data->red_mask == 0 || visuals.data->green_mask == 0 || visuals.data->blue_mask == 0
                        || (bitsPerPixel < 32 && (masks >> bitsPerPixel) != 0)) {
                        return std::nullopt;
                    }
                    XcbPixelLayout layout;
                    layout.redMask = visuals.data->red_mask;
                    layout.greenMask = visuals.data->green_mask;
                    layout.blueMask = visuals.data->blue_mask;
                    layout.bitsPerPixel = bitsPerPixel;
                    layout.scanlinePad = pad;
                    const bool serverLittleEndian = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
                    layout.byteSwapped = serverLittleEndian != (Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
                    return layout;
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
    switch (layout.bitsPerPixel) {
    case 16:
        decodeRows<2>(pixels, sourceStride, image, layout);
        break;
    case 24:
        decodeRows<3>(pixels, sourceStride, image, layout);
        break;
    default:
        decodeRows<4>(pixels, sourceStride, image, layout);
        break;
    }
    return image;
}

} // namespace veyra
