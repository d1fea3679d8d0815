#pragma once

#include <QImage>

#include <xcb/xcb.h>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace veyra {

// How the pixels of one true-colour visual are laid out in a ZPixmap image.
struct XcbPixelLayout
{
    std::uint32_t redMask = 0;
    std::uint32_t greenMask = 0;
    std::uint32_t blueMask = 0;
    // The image's byte order differs from this machine's.
    bool byteSwapped = false;
    // 16, 24 or 32.
    int bitsPerPixel = 32;
    // Every row starts on a multiple of this many bits.
    int scanlinePad = 32;

    // 8-bit red, green and blue at 0xff0000, 0xff00 and 0xff of 32-bit pixels in this
    // machine's order: the bytes of QImage::Format_RGB32, apart from the top byte.
    bool isNativeRGB32() const
    {
        return bitsPerPixel == 32 && redMask == 0xff0000 && greenMask == 0xff00 && blueMask == 0xff && !byteSwapped;
    }

    // The bytes of one row of `width` pixels.
    std::size_t stride(int width) const
    {
        const auto pad = static_cast<std::size_t>(scanlinePad);
        return (std::size_t(width) * static_cast<std::size_t>(bitsPerPixel) + pad - 1) / pad * pad / 8;
    }
};

// The layout of a TrueColor (or DirectColor) visual drawn with 16, 24 or 32 bits per
// pixel; nothing for other visuals (colour-mapped ones), which Veyra cannot read.
std::optional<XcbPixelLayout> xcbPixelLayout(const xcb_setup_t *setup, xcb_visualid_t visual);

// Decodes width x height pixels of `layout`, `sourceStride` bytes a row, into an opaque
// QImage::Format_RGB32 (every channel scaled to 8 bits, alpha 255). A null image when
// there is no memory for it.
QImage opaqueImageFromPixels(
    const std::uint8_t *pixels, std::size_t sourceStride, int width, int height, const XcbPixelLayout &layout);

} // namespace veyra
