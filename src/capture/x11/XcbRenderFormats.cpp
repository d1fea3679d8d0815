#include "capture/x11/XcbRenderFormats.h"

#include "capture/x11/XcbConnection.h"

#include <algorithm>

namespace veyra {

namespace {

bool sameColours(const xcb_render_directformat_t &a, const xcb_render_directformat_t &b)
{
    return a.red_shift == b.red_shift && a.red_mask == b.red_mask && a.green_shift == b.green_shift
        && a.green_mask == b.green_mask && a.blue_shift == b.blue_shift && a.blue_mask == b.blue_mask;
}

bool isOpaqueARGB32Target(const xcb_render_pictforminfo_t &format)
{
    const xcb_render_directformat_t &direct = format.direct;
    return format.type == XCB_RENDER_PICT_TYPE_DIRECT && format.depth == 32 && direct.alpha_shift == 24
        && direct.alpha_mask == 0xff && direct.red_shift == 16 && direct.red_mask == 0xff && direct.green_shift == 8
        && direct.green_mask == 0xff && direct.blue_shift == 0 && direct.blue_mask == 0xff;
}

} // namespace

std::optional<XcbRenderFormats::Conversion> XcbRenderFormats::conversionFor(XcbConnection &x11, xcb_visualid_t visual)
{
    if (!x11.hasRender()) {
        return std::nullopt;
    }
    if (m_generation != x11.generation()) {
        load(x11);
    }
    if (!m_target) {
        return std::nullopt;
    }
    const auto visualFormat = std::find_if(m_visualFormats.begin(), m_visualFormats.end(),
        [visual](const VisualFormat &entry) { return entry.visual == visual; });
    if (visualFormat == m_visualFormats.end()) {
        return std::nullopt;
    }
    const auto format = std::find_if(m_formats.begin(), m_formats.end(),
        [id = visualFormat->format](const xcb_render_pictforminfo_t &entry) { return entry.id == id; });
    if (format == m_formats.end() || format->type != XCB_RENDER_PICT_TYPE_DIRECT) {
        return std::nullopt;
    }
    if (format->direct.alpha_mask == 0) {
        return Conversion{format->id, *m_target};
    }
    // A window with alpha: read it through the format of the same depth and colours
    // without alpha.
    const auto opaque = std::find_if(m_formats.begin(), m_formats.end(), [&](const xcb_render_pictforminfo_t &entry) {
        return entry.type == XCB_RENDER_PICT_TYPE_DIRECT && entry.depth == format->depth && entry.direct.alpha_mask == 0
            && sameColours(entry.direct, format->direct);
    });
    if (opaque == m_formats.end()) {
        return std::nullopt;
    }
    return Conversion{opaque->id, *m_target};
}

void XcbRenderFormats::load(XcbConnection &x11)
{
    m_formats.clear();
    m_visualFormats.clear();
    m_target.reset();
    m_generation = x11.generation();
    xcb_connection_t *connection = x11.connection();
    XcbReply<xcb_render_query_pict_formats_reply_t> reply(
        xcb_render_query_pict_formats_reply(connection, xcb_render_query_pict_formats(connection), nullptr));
    if (!reply) {
        if (x11.hasFailed()) {
            m_generation = 0;
            throw XcbError(QStringLiteral("The connection to the X display broke"));
        }
        return;
    }
    for (auto formats = xcb_render_query_pict_formats_formats_iterator(reply.get()); formats.rem > 0;
         xcb_render_pictforminfo_next(&formats)) {
        m_formats.push_back(*formats.data);
        if (!m_target && isOpaqueARGB32Target(*formats.data)) {
            m_target = formats.data->id;
        }
    }
    for (auto screens = xcb_render_query_pict_formats_screens_iterator(reply.get()); screens.rem > 0;
         xcb_render_pictscreen_next(&screens)) {
        for (auto depths = xcb_render_pictscreen_depths_iterator(screens.data); depths.rem > 0;
             xcb_render_pictdepth_next(&depths)) {
            for (auto visuals = xcb_render_pictdepth_visuals_iterator(depths.data); visuals.rem > 0;
                 xcb_render_pictvisual_next(&visuals)) {
                m_visualFormats.push_back({visuals.data->visual, visuals.data->format});
            }
        }
    }
}

std::optional<xcb_render_picture_t> pictureOverNewPixmap(XcbConnection &x11, xcb_pixmap_t pixmap,
    xcb_void_cookie_t created, xcb_render_pictformat_t format, std::uint8_t &errorCode)
{
    xcb_connection_t *connection = x11.connection();
    const xcb_render_picture_t picture = xcb_generate_id(connection);
    const auto pictured = xcb_render_create_picture_checked(connection, picture, pixmap, format, 0, nullptr);
    XcbReply<xcb_generic_error_t> pixmapError(xcb_request_check(connection, created));
    XcbReply<xcb_generic_error_t> pictureError(xcb_request_check(connection, pictured));
    if (!pixmapError && !pictureError && !x11.hasFailed()) {
        return picture;
    }
    if (!pictureError) {
        xcb_render_free_picture(connection, picture);
    }
    if (!pixmapError) {
        xcb_free_pixmap(connection, pixmap);
    }
    xcb_flush(connection);
    errorCode = pixmapError ? pixmapError->error_code : (pictureError ? pictureError->error_code : 0);
    return std::nullopt;
}

} // namespace veyra
