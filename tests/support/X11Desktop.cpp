#include "support/X11Desktop.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

namespace veyra::test {

namespace {

template <typename Reply>
using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPointer<Reply> owned(Reply *reply)
{
    return ReplyPointer<Reply>(reply, &std::free);
}

} // namespace

X11Desktop::X11Desktop(const QString &display)
{
    const QByteArray name = display.toLocal8Bit();
    int screenNumber = 0;
    m_connection = xcb_connect(name.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection) != 0) {
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screens);
    }
    m_root = screens.data->root;
    m_valid = true;
}

X11Desktop::~X11Desktop()
{
    xcb_disconnect(m_connection);
}

std::uint32_t X11Desktop::atom(const char *name)
{
    const auto reply = owned(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<std::uint32_t>(XCB_ATOM_NONE);
}

QByteArray X11Desktop::property(std::uint32_t window, std::uint32_t name, std::uint32_t type)
{
    const auto reply = owned(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, name, type, 0, 1 << 16), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) {
        return {};
    }
    return QByteArray(
        static_cast<const char *>(xcb_get_property_value(reply.get())), xcb_get_property_value_length(reply.get()));
}

X11ManagedWindow X11Desktop::describe(std::uint32_t id)
{
    X11ManagedWindow window;
    window.id = id;
    QByteArray title = property(window.id, atom("_NET_WM_NAME"), atom("UTF8_STRING"));
    if (title.isEmpty()) {
        title = property(window.id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
    }
    window.title = QString::fromUtf8(title);
    const QList<QByteArray> classes = property(window.id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
    window.windowClass = QString::fromUtf8(classes.value(1));
    window.role = QString::fromUtf8(property(window.id, atom("WM_WINDOW_ROLE"), XCB_ATOM_STRING));
    const QByteArray pid = property(window.id, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    if (pid.size() == 4) {
        std::uint32_t value = 0;
        std::memcpy(&value, pid.constData(), 4);
        window.processID = value;
    }
    const auto attributes = owned(
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window.id), nullptr));
    window.isViewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    window.bypassesWindowManager = attributes && attributes->override_redirect != 0;
    const auto geometry
        = owned(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window.id), nullptr));
    const auto origin = owned(xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window.id, m_root, 0, 0), nullptr));
    if (geometry && origin) {
        window.geometry = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    }
    return window;
}

QVector<X11ManagedWindow> X11Desktop::managedWindows()
{
    QVector<X11ManagedWindow> windows;
    if (!m_valid) {
        return windows;
    }
    const QByteArray list = property(m_root, atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    for (qsizetype offset = 0; offset + 4 <= list.size(); offset += 4) {
        std::uint32_t id = 0;
        std::memcpy(&id, list.constData() + offset, 4);
        windows.append(describe(id));
    }
    if (!list.isEmpty()) {
        return windows;
    }
    // A window manager that publishes no list (xfwm4 at times): the clients, found the
    // ICCCM way, by their WM_STATE, in the frames the root's children are, bottom first.
    const auto tree = owned(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
    if (!tree) {
        return windows;
    }
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const auto attributes = owned(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr));
        if (attributes && attributes->override_redirect == 0) {
            if (const std::uint32_t client = clientIn(children[i], 3); client != 0) {
                windows.append(describe(client));
            }
        }
    }
    return windows;
}

std::uint32_t X11Desktop::clientIn(std::uint32_t window, int depth)
{
    const std::uint32_t state = atom("WM_STATE");
    if (!property(window, state, state).isEmpty()) {
        return window;
    }
    if (depth <= 0) {
        return 0;
    }
    const auto tree = owned(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
    if (!tree) {
        return 0;
    }
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = xcb_query_tree_children_length(tree.get()) - 1; i >= 0; --i) {
        if (const std::uint32_t client = clientIn(children[i], depth - 1); client != 0) {
            return client;
        }
    }
    return 0;
}

QVector<X11ManagedWindow> X11Desktop::unmanagedWindows()
{
    QVector<X11ManagedWindow> windows;
    if (!m_valid) {
        return windows;
    }
    const auto tree = owned(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
    if (!tree) {
        return windows;
    }
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const X11ManagedWindow window = describe(children[i]);
        if (window.bypassesWindowManager) {
            windows.append(window);
        }
    }
    return windows;
}

namespace {

std::optional<X11ManagedWindow> topmostViewable(const QVector<QVector<X11ManagedWindow>> &lists,
    const std::function<bool(const X11ManagedWindow &)> &wanted, qint64 processID)
{
    for (const QVector<X11ManagedWindow> &windows : lists) {
        for (auto it = windows.crbegin(); it != windows.crend(); ++it) {
            if (it->isViewable && wanted(*it) && (processID == 0 || it->processID == processID)) {
                return *it;
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<X11ManagedWindow> X11Desktop::viewableWindow(const QString &title, qint64 processID)
{
    return topmostViewable(
        {managedWindows(), unmanagedWindows()},
        [&title](const X11ManagedWindow &window) { return window.title == title; }, processID);
}

std::optional<X11ManagedWindow> X11Desktop::viewableWindowWithRole(const QString &role, qint64 processID)
{
    return topmostViewable(
        {managedWindows(), unmanagedWindows()}, [&role](const X11ManagedWindow &window) { return window.role == role; },
        processID);
}

std::uint32_t X11Desktop::activeWindow()
{
    const QByteArray active = property(m_root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    std::uint32_t window = 0;
    if (active.size() == 4) {
        std::memcpy(&window, active.constData(), 4);
    }
    return window;
}

void X11Desktop::iconify(std::uint32_t window)
{
    // ICCCM: WM_CHANGE_STATE with IconicState (3), sent to the root window.
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("WM_CHANGE_STATE");
    message.data.data32[0] = 3;
    xcb_send_event(m_connection, 0, m_root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char *>(&message));
    xcb_flush(m_connection);
}

QImage X11Desktop::screenshot()
{
    if (!m_valid) {
        return {};
    }
    const auto geometry = owned(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_root), nullptr));
    if (!geometry) {
        return {};
    }
    QImage image(geometry->width, geometry->height, QImage::Format_RGB32);
    // In bands, so that no reply comes near the request-size limits.
    constexpr int bandHeight = 128;
    for (int top = 0; top < image.height(); top += bandHeight) {
        const int height = std::min(bandHeight, image.height() - top);
        const auto band = owned(xcb_get_image_reply(m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, 0, static_cast<int16_t>(top),
                static_cast<uint16_t>(image.width()), static_cast<uint16_t>(height), ~0U),
            nullptr));
        // A 24-bit screen keeps 32 bits a pixel, blue first: the layout of Format_RGB32.
        if (!band || band->depth != 24 || xcb_get_image_data_length(band.get()) < image.width() * height * 4) {
            return {};
        }
        const uint8_t *data = xcb_get_image_data(band.get());
        for (int row = 0; row < height; ++row) {
            std::memcpy(image.scanLine(top + row), data + static_cast<qsizetype>(row) * image.width() * 4,
                static_cast<std::size_t>(image.width()) * 4);
        }
    }
    // The unused byte is not necessarily 0xff.
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            line[x] |= 0xff000000U;
        }
    }
    return image;
}

} // namespace veyra::test
