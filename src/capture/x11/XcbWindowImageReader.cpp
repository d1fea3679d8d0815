#include "capture/x11/XcbWindowImageReader.h"

#include "capture/windows/SnapshotPixelSize.h"
#include "capture/windows/WindowSnapshotCapturing.h"
#include "capture/x11/XcbWindowList.h"

#include <QRegion>

#include <xcb/composite.h>
#include <xcb/damage.h>

#include <poll.h>

#include <chrono>

namespace veyra {

namespace {

using Kind = WindowSnapshotError::Kind;

// How long the first read of a newly redirected window waits for the window to repaint
// what the redirection exposed. A busy machine (a game rendering beside us, two cores)
// easily delays a repaint past half a second, and a swapping one past two seconds. The
// wait happens once per chosen window, off the GUI thread; waiting beats showing the
// player a capture failure for a window that is merely slow.
constexpr std::chrono::milliseconds repaintTimeout{5000};

constexpr std::uint8_t badWindowError = 3;

// Follows, in the order the server sent them, what the redirection exposed and what
// the window has repainted since.
class RepaintWatch
{
public:
    RepaintWatch(xcb_window_t window, std::uint32_t damage, std::uint8_t damageNotify)
        : m_window(window)
        , m_damage(damage)
        , m_damageNotify(damageNotify)
    { }

    // What is exposed and not yet repainted.
    const QRegion &pending() const { return m_pending; }
    bool canSeeRepaints() const { return m_damage != XCB_NONE; }

    void handle(const xcb_generic_event_t *event)
    {
        const std::uint8_t type = event->response_type & 0x7f;
        if (type == XCB_EXPOSE) {
            const auto *expose = reinterpret_cast<const xcb_expose_event_t *>(event);
            if (expose->window == m_window) {
                m_pending += QRect(expose->x, expose->y, expose->width, expose->height);
            }
        } else if (canSeeRepaints() && type == m_damageNotify) {
            const auto *notify = reinterpret_cast<const xcb_damage_notify_event_t *>(event);
            if (notify->damage != m_damage) {
                return;
            }
            // A new damage object first reports the whole window as damaged (one event
            // a rectangle, the last without the "more" flag): that is no repaint.
            if (!m_creationReported) {
                m_creationReported = (notify->level & moreFlag) == 0;
                return;
            }
            m_pending -= QRect(notify->area.x, notify->area.y, notify->area.width, notify->area.height);
        }
    }

private:
    static constexpr std::uint8_t moreFlag = 0x80;

    xcb_window_t m_window;
    std::uint32_t m_damage;
    std::uint8_t m_damageNotify;
    QRegion m_pending;
    bool m_creationReported = false;
};

// Waits until everything exposed has been repainted, or the time is up.
bool waitForRepaint(XcbConnection &x11, RepaintWatch &watch)
{
    if (!watch.canSeeRepaints()) {
        return false;
    }
    xcb_connection_t *connection = x11.connection();
    const auto deadline = std::chrono::steady_clock::now() + repaintTimeout;
    while (true) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            XcbReply<xcb_generic_event_t> owned(event);
            watch.handle(event);
        }
        if (watch.pending().isEmpty()) {
            return true;
        }
        if (x11.hasFailed()) {
            return false;
        }
        const auto remaining
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) {
            return false;
        }
        pollfd descriptor{xcb_get_file_descriptor(connection), POLLIN, 0};
        ::poll(&descriptor, 1, static_cast<int>(remaining.count()));
    }
}

} // namespace

XcbWindowImageReader::XcbWindowImageReader(QString displayName, XcbImageReader::Conversion conversion)
    : m_x11(std::move(displayName))
    , m_images(m_x11, conversion)
    , m_logger("WindowSnapshot")
{ }

XcbWindowImageReader::~XcbWindowImageReader() = default;

QImage XcbWindowImageReader::read(std::uint32_t windowID, std::int32_t processID)
{
    try {
        m_x11.open();
    } catch (const XcbError &error) {
        qCCritical(m_logger) << "Couldn't capture the window:" << error.localizedDescription();
        throw WindowSnapshotError(Kind::captureFailed);
    }
    xcb_connection_t *connection = m_x11.connection();
    if (m_redirectedGeneration != m_x11.generation()) {
        // A new connection: the redirections of the old one ended with it.
        m_redirected = XCB_NONE;
    }
    discardEvents();
    if (!m_x11.hasComposite()) {
        qCCritical(m_logger) << "Couldn't capture the window: the X display has no Composite extension";
        throw WindowSnapshotError(Kind::captureFailed);
    }

    const xcb_window_t window = windowID;
    const auto attributesCookie = xcb_get_window_attributes(connection, window);
    const auto geometryCookie = xcb_get_geometry(connection, window);
    std::vector<std::int32_t> owners;
    try {
        owners = readWindowProcessIDs(m_x11, {window});
    } catch (const XcbError &error) {
        qCCritical(m_logger) << "Couldn't capture the window:" << error.localizedDescription();
        throw WindowSnapshotError(Kind::captureFailed);
    }
    xcb_generic_error_t *rawError = nullptr;
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, attributesCookie, &rawError));
    XcbReply<xcb_generic_error_t> attributesError(rawError);
    rawError = nullptr;
    XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(connection, geometryCookie, &rawError));
    XcbReply<xcb_generic_error_t> geometryError(rawError);
    if (!attributes || !geometry) {
        if ((attributesError && attributesError->error_code == badWindowError)
            || (geometryError && geometryError->error_code == badWindowError)) {
            throw WindowSnapshotError(Kind::targetUnavailable);
        }
        throw WindowSnapshotError(Kind::captureFailed);
    }
    if (owners.front() != processID) {
        throw WindowSnapshotError(Kind::targetUnavailable);
    }
    if (attributes->map_state != XCB_MAP_STATE_VIEWABLE) {
        throw WindowSnapshotError(Kind::captureFailed);
    }
    bool readable = false;
    try {
        readable = m_images.canRead(attributes->visual);
    } catch (const XcbError &error) {
        qCCritical(m_logger) << "Couldn't capture the window:" << error.localizedDescription();
        throw WindowSnapshotError(Kind::captureFailed);
    }
    if (!readable) {
        qCCritical(m_logger) << "Couldn't capture the window: its visual has no true-colour pixels";
        throw WindowSnapshotError(Kind::captureFailed);
    }

    if (m_redirected != window) {
        redirect(window);
    }

    // The window's pixmap holds its border too; the client area starts inside it.
    const QSize size = snapshotPixelSize(QSizeF(geometry->width, geometry->height), 1.0);
    const QRect area(geometry->border_width, geometry->border_width, size.width(), size.height());
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    xcb_composite_name_window_pixmap(connection, window, pixmap);
    try {
        QImage image = m_images.read(pixmap, attributes->visual, area);
        xcb_free_pixmap(connection, pixmap);
        xcb_flush(connection);
        if (image.isNull()) {
            throw XcbError(QStringLiteral("Out of memory for a %1 x %2 image").arg(size.width()).arg(size.height()));
        }
        return image;
    } catch (const XcbError &error) {
        xcb_free_pixmap(connection, pixmap);
        xcb_flush(connection);
        qCCritical(m_logger) << "Couldn't capture the window:" << error.localizedDescription();
        // Redirect anew next time: the window may have been replaced under the same number.
        forgetRedirection();
        throw WindowSnapshotError(Kind::captureFailed);
    }
}

void XcbWindowImageReader::release(std::uint32_t windowID)
{
    if (m_redirected != XCB_NONE && m_redirected != windowID) {
        // Another window is being read now.
        return;
    }
    // Only a connection that still works has anything to undo: the server ended the
    // redirections of a broken one.
    if (m_redirected != XCB_NONE && !m_x11.hasFailed() && !m_x11.wasClosedByServer()) {
        forgetRedirection();
    }
    m_redirected = XCB_NONE;
    m_images.releaseBuffers();
}

void XcbWindowImageReader::redirect(xcb_window_t window)
{
    forgetRedirection();
    xcb_connection_t *connection = m_x11.connection();
    // Redirecting copies what the screen shows at the window's place into its new
    // pixmap; the parts other windows covered are exposed and the window repaints them.
    // Watching the exposures and the window's drawing tells when the copy is whole. The
    // server is held while the redirection is made and the watch begins: otherwise, on a
    // busy machine, the window can answer the exposure before the damage object exists,
    // and a repaint that has already happened is waited for in vain.
    const std::uint32_t exposures = XCB_EVENT_MASK_EXPOSURE;
    xcb_grab_server(connection);
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &exposures);
    const auto redirected = xcb_composite_redirect_window_checked(connection, window, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
    std::uint32_t damage = XCB_NONE;
    if (m_x11.hasDamage()) {
        damage = xcb_generate_id(connection);
        xcb_damage_create(connection, damage, window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    }
    xcb_ungrab_server(connection);
    // Waits for the server to handle them all.
    XcbReply<xcb_generic_error_t> failure(xcb_request_check(connection, redirected));
    const std::uint32_t noEvents = 0;
    if (failure || m_x11.hasFailed()) {
        if (damage != XCB_NONE) {
            xcb_damage_destroy(connection, damage);
        }
        xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &noEvents);
        xcb_flush(connection);
        qCCritical(m_logger) << "Couldn't redirect the window:"
                             << (failure ? QStringLiteral("X error %1").arg(failure->error_code)
                                         : QStringLiteral("the connection broke"));
        throw WindowSnapshotError(Kind::captureFailed);
    }
    m_redirected = window;
    m_redirectedGeneration = m_x11.generation();

    // The exposures of the redirection are queued by now; the damage object was made
    // after it, so the window's repaints are reported after those exposures.
    RepaintWatch watch(window, damage, m_x11.hasDamage() ? m_x11.damageNotifyEvent() : std::uint8_t(0));
    while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
        XcbReply<xcb_generic_event_t> owned(event);
        watch.handle(event);
    }
    const bool whole = watch.pending().isEmpty() || waitForRepaint(m_x11, watch);
    if (damage != XCB_NONE) {
        xcb_damage_destroy(connection, damage);
    }
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &noEvents);
    xcb_flush(connection);
    discardEvents();
    if (!whole) {
        // The redirection stays: by the next read the window has had time to repaint.
        qCCritical(m_logger) << "Couldn't capture the window: it did not repaint after redirection";
        throw WindowSnapshotError(Kind::captureFailed);
    }
}

void XcbWindowImageReader::forgetRedirection()
{
    if (m_redirected != XCB_NONE && m_redirectedGeneration == m_x11.generation() && !m_x11.hasFailed()) {
        // Fails harmlessly (an error event, discarded later) when the window is gone.
        xcb_composite_unredirect_window(m_x11.connection(), m_redirected, XCB_COMPOSITE_REDIRECT_AUTOMATIC);
        xcb_flush(m_x11.connection());
    }
    m_redirected = XCB_NONE;
}

void XcbWindowImageReader::discardEvents()
{
    // Errors of requests nobody checks and late exposures: nothing here waits for them.
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_x11.connection())) {
        std::free(event);
    }
}

} // namespace veyra
