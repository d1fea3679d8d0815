#pragma once

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace veyra {

class XcbConnection;

// The Render picture formats with which the server turns a window's pixels into opaque
// 8-bit ARGB (alpha 255): the layout of QImage::Format_RGB32, so that the image it
// writes needs no conversion here. Read once per connection; X work thread only.
class XcbRenderFormats
{
public:
    struct Conversion
    {
        // How the window's pixels are read: its visual's format, with any alpha left out
        // (the window counts as opaque, as on a screen without a compositor).
        xcb_render_pictformat_t source = 0;
        // 32-bit ARGB with 8 bits a channel at 24, 16, 8 and 0.
        xcb_render_pictformat_t target = 0;
    };

    // The conversion for pixels of `visual`; nothing when Render cannot do it (no Render,
    // no format for the visual). Throws XcbError when the connection breaks.
    std::optional<Conversion> conversionFor(XcbConnection &x11, xcb_visualid_t visual);

private:
    struct VisualFormat
    {
        xcb_visualid_t visual;
        xcb_render_pictformat_t format;
    };

    void load(XcbConnection &x11);

    std::uint64_t m_generation = 0;
    std::vector<xcb_render_pictforminfo_t> m_formats;
    std::vector<VisualFormat> m_visualFormats;
    std::optional<xcb_render_pictformat_t> m_target;
};

// A Render picture of `format` over `pixmap`, whose creation was just requested with the
// checked request `created`. Waits for both; when the server refused either, frees what it
// made, stores the X error code in `errorCode` and answers nothing.
std::optional<xcb_render_picture_t> pictureOverNewPixmap(XcbConnection &x11, xcb_pixmap_t pixmap,
    xcb_void_cookie_t created, xcb_render_pictformat_t format, std::uint8_t &errorCode);

} // namespace veyra
