#include "capture/x11/XcbConnection.h"

#include <xcb/composite.h>
#include <xcb/damage.h>
#include <xcb/render.h>
#include <xcb/res.h>
#include <xcb/shm.h>

#include <poll.h>

#include <cstring>

namespace veyra {

namespace {

const char *connectionErrorText(int code)
{
    switch (code) {
    case XCB_CONN_ERROR:
        return "the connection failed";
    case XCB_CONN_CLOSED_EXT_NOTSUPPORTED:
        return "an extension is not supported";
    case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
        return "out of memory";
    case XCB_CONN_CLOSED_REQ_LEN_EXCEED:
        return "a request was too long";
    case XCB_CONN_CLOSED_PARSE_ERR:
        return "the display name is invalid";
    case XCB_CONN_CLOSED_INVALID_SCREEN:
        return "the display has no such screen";
    default:
        return "unknown failure";
    }
}

const xcb_query_extension_reply_t *extension(xcb_connection_t *connection, xcb_extension_t *id)
{
    const xcb_query_extension_reply_t *data = xcb_get_extension_data(connection, id);
    return data != nullptr && data->present != 0 ? data : nullptr;
}

} // namespace

XcbConnection::XcbConnection(QString displayName)
    : m_displayName(std::move(displayName))
{ }

XcbConnection::~XcbConnection()
{
    close();
}

xcb_connection_t *XcbConnection::open()
{
    if (m_connection != nullptr && xcb_connection_has_error(m_connection) == 0 && !wasClosedByServer()) {
        return m_connection;
    }
    close();
    connect();
    return m_connection;
}

void XcbConnection::close()
{
    if (m_ewmhValid) {
        xcb_ewmh_connection_wipe(&m_ewmh);
        m_ewmhValid = false;
    }
    if (m_connection != nullptr) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
    }
    m_root = XCB_NONE;
    m_wmState = XCB_ATOM_NONE;
    m_hasComposite = false;
    m_damageEventBase = -1;
    m_hasShm = false;
    m_hasShmPixmaps = false;
    m_hasRender = false;
    m_hasResource = false;
}

void XcbConnection::connect()
{
    const QByteArray name = m_displayName.toLocal8Bit();
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(name.isEmpty() ? nullptr : name.constData(), &screenNumber);
    if (const int failure = xcb_connection_has_error(connection); failure != 0) {
        xcb_disconnect(connection);
        throw XcbError(QStringLiteral("Cannot connect to the X display %1: %2")
                           .arg(m_displayName.isEmpty() ? qEnvironmentVariable("DISPLAY") : m_displayName,
                               QString::fromLatin1(connectionErrorText(failure))));
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        throw XcbError(QStringLiteral("The X display has no screen %1").arg(screenNumber));
    }
    m_connection = connection;
    m_root = screens.data->root;

    // Every question of the set-up goes out at once; the answers come back in one trip.
    xcb_prefetch_extension_data(connection, &xcb_composite_id);
    xcb_prefetch_extension_data(connection, &xcb_damage_id);
    xcb_prefetch_extension_data(connection, &xcb_shm_id);
    xcb_prefetch_extension_data(connection, &xcb_render_id);
    xcb_prefetch_extension_data(connection, &xcb_res_id);
    xcb_intern_atom_cookie_t *ewmhCookies = xcb_ewmh_init_atoms(connection, &m_ewmh);
    static constexpr char wmStateName[] = "WM_STATE";
    const xcb_intern_atom_cookie_t wmStateCookie
        = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(wmStateName)), wmStateName);

    const auto *composite = extension(connection, &xcb_composite_id);
    const auto *damage = extension(connection, &xcb_damage_id);
    const bool shm = extension(connection, &xcb_shm_id) != nullptr;
    const bool render = extension(connection, &xcb_render_id) != nullptr;
    const bool res = extension(connection, &xcb_res_id) != nullptr;
    xcb_composite_query_version_cookie_t compositeCookie{};
    xcb_damage_query_version_cookie_t damageCookie{};
    xcb_shm_query_version_cookie_t shmCookie{};
    xcb_render_query_version_cookie_t renderCookie{};
    xcb_res_query_version_cookie_t resCookie{};
    if (composite != nullptr) {
        compositeCookie = xcb_composite_query_version(connection, 0, 4);
    }
    if (damage != nullptr) {
        damageCookie = xcb_damage_query_version(connection, 1, 1);
    }
    if (shm) {
        shmCookie = xcb_shm_query_version(connection);
    }
    if (render) {
        renderCookie = xcb_render_query_version(connection, 0, 11);
    }
    if (res) {
        resCookie = xcb_res_query_version(connection, 1, 2);
    }

    m_ewmhValid = xcb_ewmh_init_atoms_replies(&m_ewmh, ewmhCookies, nullptr) != 0;
    XcbReply<xcb_intern_atom_reply_t> wmState(xcb_intern_atom_reply(connection, wmStateCookie, nullptr));
    m_wmState = wmState ? wmState->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (composite != nullptr) {
        XcbReply<xcb_composite_query_version_reply_t> version(
            xcb_composite_query_version_reply(connection, compositeCookie, nullptr));
        // Naming a window's pixmap needs Composite 0.2.
        m_hasComposite = version && (version->major_version > 0 || version->minor_version >= 2);
    }
    if (damage != nullptr) {
        XcbReply<xcb_damage_query_version_reply_t> version(
            xcb_damage_query_version_reply(connection, damageCookie, nullptr));
        if (version) {
            m_damageEventBase = damage->first_event;
        }
    }
    if (shm) {
        XcbReply<xcb_shm_query_version_reply_t> version(xcb_shm_query_version_reply(connection, shmCookie, nullptr));
        m_hasShm = static_cast<bool>(version);
        m_hasShmPixmaps
            = version && version->shared_pixmaps != 0 && version->pixmap_format == XCB_IMAGE_FORMAT_Z_PIXMAP;
    }
    if (render) {
        XcbReply<xcb_render_query_version_reply_t> version(
            xcb_render_query_version_reply(connection, renderCookie, nullptr));
        m_hasRender = static_cast<bool>(version);
    }
    if (res) {
        XcbReply<xcb_res_query_version_reply_t> version(xcb_res_query_version_reply(connection, resCookie, nullptr));
        // Client-id queries need X-Resource 1.2.
        m_hasResource = version && (version->server_major > 1 || version->server_minor >= 2);
    }
    if (!m_ewmhValid || m_wmState == XCB_ATOM_NONE || xcb_connection_has_error(connection) != 0) {
        close();
        throw XcbError(QStringLiteral("The X display did not answer while setting up the connection"));
    }
    ++m_generation;
}

std::uint8_t XcbConnection::damageNotifyEvent() const
{
    return static_cast<std::uint8_t>(m_damageEventBase + XCB_DAMAGE_NOTIFY);
}

bool XcbConnection::hasFailed() const
{
    return m_connection == nullptr || xcb_connection_has_error(m_connection) != 0;
}

bool XcbConnection::wasClosedByServer() const
{
    if (m_connection == nullptr) {
        return false;
    }
    // A closed peer shows as a hang-up (a local socket) or a read hang-up (TCP); pending
    // events alone are no reason to reconnect.
    pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLRDHUP, 0};
    return ::poll(&descriptor, 1, 0) > 0 && (descriptor.revents & (POLLHUP | POLLRDHUP | POLLERR | POLLNVAL)) != 0;
}

void XcbConnection::sync()
{
    XcbReply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    if (!reply) {
        throw XcbError(QStringLiteral("The connection to the X display broke"));
    }
}

} // namespace veyra
