#include "capture/x11/XcbTopmostWindowKeeper.h"

#include "capture/windows/TopmostStacking.h"
#include "capture/x11/X11WorkPool.h"
#include "capture/x11/XcbConnection.h"
#include "foundation/async/AsyncTask.h"

#include <xcb/xcb.h>

#include <utility>

namespace veyra {

namespace {

// The root's children, bottom first, with what the stacking rule needs of each.
QVector<StackedWindow> readStack(XcbConnection &x11)
{
    xcb_connection_t *connection = x11.connection();
    const XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, x11.root()), nullptr));
    if (!tree) {
        throw XcbError(QStringLiteral("the window tree could not be read"));
    }
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    QVector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(count);
    for (int i = 0; i < count; ++i) {
        cookies.append(xcb_get_window_attributes(connection, children[i]));
    }
    QVector<StackedWindow> stack;
    stack.reserve(count);
    for (int i = 0; i < count; ++i) {
        // A window destroyed meanwhile has no attributes: it is gone from the stack.
        const XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection, cookies[i], nullptr));
        if (attributes) {
            stack.append(
                {children[i], attributes->map_state == XCB_MAP_STATE_VIEWABLE, attributes->override_redirect != 0});
        }
    }
    return stack;
}

// Restacks the kept windows when another window stands above them. True when it did.
bool restackOnTop(XcbConnection &x11, const QVector<std::uint32_t> &kept, std::uint32_t gameWindow)
{
    x11.open();
    const QVector<StackedWindow> stack = readStack(x11);
    const std::optional<TopmostRestacking> restacking = topmostRestacking(stack, kept, gameWindow);
    if (!restacking) {
        return false;
    }
    xcb_connection_t *connection = x11.connection();
    std::optional<std::uint32_t> below = restacking->above;
    for (const std::uint32_t window : kept) {
        if (below) {
            const std::uint32_t values[] = {*below, XCB_STACK_MODE_ABOVE};
            xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
        } else {
            const std::uint32_t values[] = {XCB_STACK_MODE_ABOVE};
            xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, values);
        }
        below = window;
    }
    // A window that went away meanwhile answers with an error, harmlessly: the errors of
    // this connection, which selects no events, are dropped here.
    x11.sync();
    while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
        std::free(event);
    }
    return true;
}

} // namespace

void XcbTopmostWindowKeeper::Disconnect::operator()(xcb_connection_t *connection) const
{
    xcb_disconnect(connection);
}

XcbTopmostWindowKeeper::XcbTopmostWindowKeeper(QString displayName, QObject *parent)
    : QObject(parent)
    , m_displayName(std::move(displayName))
    , m_logger("TopmostWindows")
    , m_queries(std::make_shared<XcbConnection>(m_displayName))
{
    m_delayedCheck.setSingleShot(true);
    connect(&m_delayedCheck, &QTimer::timeout, this, &XcbTopmostWindowKeeper::requestCheck);
}

XcbTopmostWindowKeeper::~XcbTopmostWindowKeeper()
{
    dropEventConnection();
}

void XcbTopmostWindowKeeper::keepOnTop(KeptWindows windows, std::uint32_t gameWindow)
{
    m_windows = std::move(windows);
    m_gameWindow = gameWindow;
    m_active = true;
    if (!m_events) {
        openEventConnection();
        return;
    }
    selectEvents(true);
    requestCheck();
}

void XcbTopmostWindowKeeper::stop()
{
    m_active = false;
    m_checkPending = false;
    m_delayedCheck.stop();
    if (m_events) {
        selectEvents(false);
    }
}

void XcbTopmostWindowKeeper::openEventConnection()
{
    if (m_openingEvents) {
        return;
    }
    m_openingEvents = true;
    // Connecting is a round trip: made on the X work thread.
    startDetachedTask(
        this,
        [display = m_displayName.toLocal8Bit()](QPointer<XcbTopmostWindowKeeper> self) -> QCoro::Task<void> {
            QCoro::Task<std::pair<xcb_connection_t *, int>> connecting = runOnWorker(x11WorkPool(), [display] {
                int screen = 0;
                xcb_connection_t *connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screen);
                return std::pair{connection, screen};
            });
            const auto [connection, screen] = co_await std::move(connecting);
            if (!self) {
                xcb_disconnect(connection);
                co_return;
            }
            self->adoptEventConnection(connection, screen);
        },
        m_logger);
}

void XcbTopmostWindowKeeper::adoptEventConnection(xcb_connection_t *connection, int screen)
{
    m_openingEvents = false;
    std::unique_ptr<xcb_connection_t, Disconnect> owned(connection);
    if (xcb_connection_has_error(connection) != 0) {
        qCCritical(m_logger) << "Couldn't watch the window stack: no X server answers";
        return;
    }
    m_events = std::move(owned);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screen && screens.rem > 1; ++i) {
        xcb_screen_next(&screens);
    }
    m_root = screens.data->root;
    m_eventNotifier = new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this);
    connect(m_eventNotifier, &QSocketNotifier::activated, this, &XcbTopmostWindowKeeper::readEvents);
    if (m_active) {
        selectEvents(true);
        requestCheck();
    }
}

void XcbTopmostWindowKeeper::dropEventConnection()
{
    delete m_eventNotifier;
    m_events.reset();
}

void XcbTopmostWindowKeeper::selectEvents(bool watching)
{
    const std::uint32_t mask[] = {watching ? std::uint32_t(XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY) : 0U};
    xcb_change_window_attributes(m_events.get(), m_root, XCB_CW_EVENT_MASK, mask);
    xcb_flush(m_events.get());
}

void XcbTopmostWindowKeeper::readEvents()
{
    bool stackChanged = false;
    // A window the window manager manages, or the game's window, was mapped or restacked
    // (events of the root's children only; windows that bypass the window manager, the
    // kept ones among them, do not count).
    const auto counts = [this](std::uint32_t window, bool bypassesWindowManager) {
        return !bypassesWindowManager || window == m_gameWindow;
    };
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_events.get())) {
        switch (event->response_type & 0x7f) {
        case XCB_MAP_NOTIFY: {
            const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
            stackChanged = stackChanged || counts(map->window, map->override_redirect != 0);
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
            stackChanged = stackChanged || counts(configure->window, configure->override_redirect != 0);
            break;
        }
        case XCB_CIRCULATE_NOTIFY:
            stackChanged = true;
            break;
        default:
            break;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_events.get()) != 0) {
        // The server went away; the next keepOnTop() connects anew.
        qCCritical(m_logger) << "Stopped watching the window stack: the X connection broke";
        dropEventConnection();
        return;
    }
    if (stackChanged) {
        requestCheck();
    }
}

void XcbTopmostWindowKeeper::requestCheck()
{
    if (!m_active || !m_events) {
        return;
    }
    if (m_checkRunning) {
        m_checkPending = true;
        return;
    }
    const qint64 wait = m_lastCheck.isValid() ? minimumCheckIntervalMs - m_lastCheck.elapsed() : 0;
    if (wait > 0) {
        if (!m_delayedCheck.isActive()) {
            m_delayedCheck.start(static_cast<int>(wait));
        }
        return;
    }
    runCheck();
}

void XcbTopmostWindowKeeper::runCheck()
{
    m_checkRunning = true;
    m_lastCheck.start();
    const QVector<std::uint32_t> kept = m_windows ? m_windows() : QVector<std::uint32_t>();
    startDetachedTask(
        this,
        [queries = m_queries, kept, game = m_gameWindow, logger = m_logger](
            QPointer<XcbTopmostWindowKeeper> self) -> QCoro::Task<void> {
            bool restacked = false;
            try {
                QCoro::Task<bool> restacking
                    = runOnWorker(x11WorkPool(), [queries, kept, game] { return restackOnTop(*queries, kept, game); });
                restacked = co_await std::move(restacking);
            } catch (const std::exception &error) {
                qCCritical(logger) << "Couldn't keep the overlay on top:" << describeError(error);
            }
            if (self) {
                self->checkFinished(restacked);
            }
        },
        m_logger);
}

void XcbTopmostWindowKeeper::checkFinished(bool restacked)
{
    m_checkRunning = false;
    if (restacked) {
        ++m_restackings;
    }
    if (m_checkPending) {
        m_checkPending = false;
        requestCheck();
    }
}

} // namespace veyra
