#include "support/X11Probe.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace veyra::test {

X11Probe::X11Probe(const QString &display)
    : m_connection(xcb_connect(display.toLocal8Bit().constData(), nullptr))
    , m_root(xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root)
{ }

X11Probe::~X11Probe()
{
    xcb_disconnect(m_connection);
}

QRect X11Probe::geometry(std::uint32_t window) const
{
    xcb_get_geometry_reply_t *geometry
        = xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
    xcb_translate_coordinates_reply_t *origin = xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr);
    QRect rect;
    if (geometry != nullptr && origin != nullptr) {
        rect = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    }
    std::free(geometry);
    std::free(origin);
    return rect;
}

QRect X11Probe::framedGeometry(std::uint32_t window) const
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, window, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL, 0, 4), nullptr);
    const bool framed = reply != nullptr && reply->format == 32 && xcb_get_property_value_length(reply) == 16;
    // Left, right, top, bottom.
    const auto *extents = framed ? static_cast<const std::int32_t *>(xcb_get_property_value(reply)) : nullptr;
    const QRect rect = geometry(window).adjusted(
        framed ? -extents[0] : 0, framed ? -extents[2] : 0, framed ? extents[1] : 0, framed ? extents[3] : 0);
    std::free(reply);
    return rect;
}

bool X11Probe::isViewable(std::uint32_t window) const
{
    xcb_get_window_attributes_reply_t *attributes
        = xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
    const bool viewable = attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return viewable;
}

int X11Probe::stackingIndex(std::uint32_t window) const
{
    const xcb_window_t frame = topLevel(window);
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr);
    int index = -1;
    if (tree != nullptr) {
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            if (children[i] == frame) {
                index = i;
            }
        }
    }
    std::free(tree);
    return index;
}

std::uint32_t X11Probe::topLevelUnderPointer() const
{
    xcb_query_pointer_reply_t *pointer
        = xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
    const xcb_window_t child = pointer != nullptr ? pointer->child : XCB_NONE;
    std::free(pointer);
    return child;
}

std::uint32_t X11Probe::topLevel(std::uint32_t window) const
{
    for (;;) {
        xcb_query_tree_reply_t *tree
            = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr);
        if (tree == nullptr) {
            return window;
        }
        const xcb_window_t parent = tree->parent;
        std::free(tree);
        if (parent == m_root || parent == XCB_NONE) {
            return window;
        }
        window = parent;
    }
}

std::uint32_t X11Probe::inputFocus() const
{
    xcb_get_input_focus_reply_t *focus
        = xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
    const xcb_window_t window = focus != nullptr ? focus->focus : XCB_NONE;
    std::free(focus);
    return window;
}

bool X11Probe::isSelectionOwned(const char *selection) const
{
    xcb_get_selection_owner_reply_t *reply
        = xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, atom(selection)), nullptr);
    const bool owned = reply != nullptr && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

int X11Probe::currentWorkspace() const
{
    return rootCardinal("_NET_CURRENT_DESKTOP");
}

int X11Probe::workspaceCount() const
{
    return rootCardinal("_NET_NUMBER_OF_DESKTOPS");
}

void X11Probe::requestWorkspaceCount(int count) const
{
    sendToWindowManager("_NET_NUMBER_OF_DESKTOPS", static_cast<std::uint32_t>(count));
}

void X11Probe::requestWorkspace(int index) const
{
    sendToWindowManager("_NET_CURRENT_DESKTOP", static_cast<std::uint32_t>(index));
}

std::uint32_t X11Probe::atom(const char *name) const
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

int X11Probe::rootCardinal(const char *name) const
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_root, atom(name), XCB_ATOM_CARDINAL, 0, 1), nullptr);
    int value = -1;
    if (reply != nullptr && reply->format == 32 && xcb_get_property_value_length(reply) == 4) {
        value = static_cast<int>(*static_cast<const std::uint32_t *>(xcb_get_property_value(reply)));
    }
    std::free(reply);
    return value;
}

void X11Probe::requestClose(std::uint32_t window) const
{
    sendToWindowManager("_NET_CLOSE_WINDOW", XCB_CURRENT_TIME, window);
}

void X11Probe::sendToWindowManager(const char *message, std::uint32_t value, std::uint32_t window) const
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window != 0 ? window : m_root;
    event.type = atom(message);
    event.data.data32[0] = value;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_connection, 0, m_root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
        reinterpret_cast<const char *>(&event));
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

} // namespace veyra::test
