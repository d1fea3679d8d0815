#include "capture/x11/XcbWindowList.h"

#include "capture/windows/ProcessInformation.h"
#include "capture/x11/XcbConnection.h"

#include <QHash>

#include <xcb/res.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace veyra {

namespace {

// Upper bounds of what one property read asks for, in 32-bit units.
constexpr std::uint32_t maxListLength = 65536;
constexpr std::uint32_t maxTextLength = 1024;
constexpr std::uint32_t maxTypeCount = 32;
constexpr std::uint32_t maxIconLength = 1u << 20;
// An icon larger than this per side is malformed rather than useful.
constexpr std::uint32_t maxIconSide = 1024;

// ICCCM WM_STATE values.
constexpr std::uint32_t normalState = 1;
constexpr std::uint32_t iconicState = 3;

using PropertyReply = XcbReply<xcb_get_property_reply_t>;

xcb_get_property_cookie_t requestProperty(
    xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type, std::uint32_t length)
{
    return xcb_get_property(connection, 0, window, property, type, 0, length);
}

PropertyReply takeProperty(xcb_connection_t *connection, xcb_get_property_cookie_t cookie)
{
    xcb_generic_error_t *error = nullptr;
    PropertyReply reply(xcb_get_property_reply(connection, cookie, &error));
    std::free(error);
    return reply;
}

// The 32-bit values of a property of format 32 (none for any other format).
std::pair<const std::uint32_t *, std::size_t> values32(const xcb_get_property_reply_t *reply)
{
    if (reply == nullptr || reply->format != 32) {
        return {nullptr, 0};
    }
    return {static_cast<const std::uint32_t *>(xcb_get_property_value(reply)),
        static_cast<std::size_t>(xcb_get_property_value_length(reply)) / 4};
}

std::uint32_t firstValue32(const xcb_get_property_reply_t *reply)
{
    const auto [values, count] = values32(reply);
    return count > 0 ? values[0] : 0;
}

QByteArray bytesOf(const xcb_get_property_reply_t *reply)
{
    if (reply == nullptr || reply->format != 8) {
        return {};
    }
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
}

// UTF-8 where the bytes are valid UTF-8, else Latin-1 (what ICCCM's STRING type holds).
QString decodeLocalText(const QByteArray &bytes)
{
    const QString utf8 = QString::fromUtf8(bytes);
    return utf8.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(bytes) : utf8;
}

// WM_NAME in whichever text type the client chose. Compound text is read only when it
// holds no escape sequences (plain Latin-1); other encodings of it count as no title.
QString legacyTitle(const xcb_get_property_reply_t *reply, xcb_atom_t utf8String)
{
    const QByteArray bytes = bytesOf(reply);
    if (bytes.isEmpty()) {
        return {};
    }
    if (reply->type == utf8String) {
        return QString::fromUtf8(bytes);
    }
    if (reply->type == XCB_ATOM_STRING || !bytes.contains('\x1b')) {
        return QString::fromLatin1(bytes);
    }
    return {};
}

// 0 for an ordinary window: the first window type this program knows is normal or
// dialog, or the window names no known type.
int layerOf(const xcb_get_property_reply_t *reply, const xcb_ewmh_connection_t &ewmh)
{
    const auto [atoms, count] = values32(reply);
    const xcb_atom_t otherTypes[] = {ewmh._NET_WM_WINDOW_TYPE_DESKTOP, ewmh._NET_WM_WINDOW_TYPE_DOCK,
        ewmh._NET_WM_WINDOW_TYPE_TOOLBAR, ewmh._NET_WM_WINDOW_TYPE_MENU, ewmh._NET_WM_WINDOW_TYPE_UTILITY,
        ewmh._NET_WM_WINDOW_TYPE_SPLASH, ewmh._NET_WM_WINDOW_TYPE_DROPDOWN_MENU, ewmh._NET_WM_WINDOW_TYPE_POPUP_MENU,
        ewmh._NET_WM_WINDOW_TYPE_TOOLTIP, ewmh._NET_WM_WINDOW_TYPE_NOTIFICATION, ewmh._NET_WM_WINDOW_TYPE_COMBO,
        ewmh._NET_WM_WINDOW_TYPE_DND};
    for (std::size_t i = 0; i < count; ++i) {
        if (atoms[i] == ewmh._NET_WM_WINDOW_TYPE_NORMAL || atoms[i] == ewmh._NET_WM_WINDOW_TYPE_DIALOG) {
            return 0;
        }
        if (std::find(std::begin(otherTypes), std::end(otherTypes), atoms[i]) != std::end(otherTypes)) {
            return 1;
        }
    }
    return 0;
}

std::int32_t processIDFromValue(std::uint32_t value)
{
    return value > 0 && value <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())
        ? static_cast<std::int32_t>(value)
        : 0;
}

// Asks the X-Resource extension for the local process of each window whose entry in
// `processIDs` is still 0, and fills those entries in.
void resolveProcessIDsThroughServer(
    XcbConnection &x11, const std::vector<xcb_window_t> &windows, std::vector<std::int32_t> &processIDs)
{
    if (!x11.hasResourceExtension()) {
        return;
    }
    xcb_connection_t *connection = x11.connection();
    std::vector<std::pair<std::size_t, xcb_res_query_client_ids_cookie_t>> pending;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (processIDs[i] == 0) {
            const xcb_res_client_id_spec_t query{windows[i], XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
            pending.emplace_back(i, xcb_res_query_client_ids(connection, 1, &query));
        }
    }
    for (const auto &[index, cookie] : pending) {
        xcb_generic_error_t *error = nullptr;
        XcbReply<xcb_res_query_client_ids_reply_t> reply(xcb_res_query_client_ids_reply(connection, cookie, &error));
        std::free(error);
        if (!reply) {
            continue;
        }
        for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem > 0;
             xcb_res_client_id_value_next(&ids)) {
            if ((ids.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0
                && xcb_res_client_id_value_value_length(ids.data) >= 1) {
                processIDs[index] = processIDFromValue(*xcb_res_client_id_value_value(ids.data));
                break;
            }
        }
    }
}

std::vector<xcb_window_t> windowsOf(const xcb_get_property_reply_t *reply)
{
    const auto [values, count] = values32(reply);
    return std::vector<xcb_window_t>(values, values + count);
}

bool windowManagerHoldsRoot(XcbConnection &x11)
{
    xcb_connection_t *connection = x11.connection();
    XcbReply<xcb_get_window_attributes_reply_t> root(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, x11.root()), nullptr));
    if (!root) {
        throw XcbError(QStringLiteral("The X display did not describe its root window"));
    }
    return (root->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT) != 0;
}

std::vector<xcb_window_t> readTopLevelClientWindows(XcbConnection &x11)
{
    xcb_connection_t *connection = x11.connection();
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, x11.root()), nullptr));
    if (!tree) {
        throw XcbError(QStringLiteral("The X display did not list its top-level windows"));
    }
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    const int childCount = xcb_query_tree_children_length(tree.get());
    std::vector<std::pair<xcb_get_window_attributes_cookie_t, xcb_get_property_cookie_t>> cookies;
    cookies.reserve(static_cast<std::size_t>(childCount));
    for (int i = 0; i < childCount; ++i) {
        cookies.emplace_back(xcb_get_window_attributes(connection, children[i]),
            requestProperty(connection, children[i], x11.wmStateAtom(), x11.wmStateAtom(), 2));
    }
    const bool unmanaged = !windowManagerHoldsRoot(x11);
    std::vector<xcb_window_t> windows;
    for (int i = 0; i < childCount; ++i) {
        xcb_generic_error_t *error = nullptr;
        XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection, cookies[static_cast<std::size_t>(i)].first, &error));
        std::free(error);
        const PropertyReply state = takeProperty(connection, cookies[static_cast<std::size_t>(i)].second);
        if (!attributes || attributes->override_redirect != 0 || attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT) {
            continue;
        }
        const bool hasState = state && state->type == x11.wmStateAtom() && state->format == 32;
        const std::uint32_t stateValue = hasState ? firstValue32(state.get()) : 0;
        if ((hasState && (stateValue == normalState || stateValue == iconicState))
            || (unmanaged && attributes->map_state == XCB_MAP_STATE_VIEWABLE)) {
            windows.push_back(children[i]);
        }
    }
    if (x11.hasFailed()) {
        throw XcbError(QStringLiteral("The connection to the X display broke"));
    }
    return windows;
}

QString windowClass(const xcb_get_property_reply_t *reply)
{
    // "instance\0class\0"
    const QByteArray bytes = bytesOf(reply);
    const qsizetype end = bytes.indexOf('\0');
    if (end < 0) {
        return {};
    }
    QByteArray className = bytes.mid(end + 1);
    if (const qsizetype terminator = className.indexOf('\0'); terminator >= 0) {
        className.truncate(terminator);
    }
    return decodeLocalText(className).trimmed();
}

} // namespace

std::vector<xcb_window_t> readClientWindows(XcbConnection &x11)
{
    xcb_connection_t *connection = x11.connection();
    xcb_ewmh_connection_t &ewmh = x11.ewmh();
    const auto checkCookie = requestProperty(connection, x11.root(), ewmh._NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1);
    const auto listCookie
        = requestProperty(connection, x11.root(), ewmh._NET_CLIENT_LIST, XCB_ATOM_WINDOW, maxListLength);
    const PropertyReply check = takeProperty(connection, checkCookie);
    const PropertyReply list = takeProperty(connection, listCookie);
    if (!check || !list) {
        throw XcbError(QStringLiteral("The X display did not answer the window-list request"));
    }
    const xcb_window_t manager = firstValue32(check.get());
    if (manager != XCB_NONE && list->type == XCB_ATOM_WINDOW) {
        // A running manager's check window names itself; the property a manager that
        // has exited left on the root window points nowhere.
        const PropertyReply self = takeProperty(
            connection, requestProperty(connection, manager, ewmh._NET_SUPPORTING_WM_CHECK, XCB_ATOM_WINDOW, 1));
        if (self && firstValue32(self.get()) == manager) {
            return windowsOf(list.get());
        }
        if (x11.hasFailed()) {
            throw XcbError(QStringLiteral("The connection to the X display broke"));
        }
    }
    return readTopLevelClientWindows(x11);
}

std::vector<std::int32_t> readWindowProcessIDs(XcbConnection &x11, const std::vector<xcb_window_t> &windows)
{
    xcb_connection_t *connection = x11.connection();
    std::vector<xcb_get_property_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t window : windows) {
        cookies.push_back(requestProperty(connection, window, x11.ewmh()._NET_WM_PID, XCB_ATOM_CARDINAL, 1));
    }
    std::vector<std::int32_t> processIDs;
    processIDs.reserve(windows.size());
    for (const auto &cookie : cookies) {
        processIDs.push_back(processIDFromValue(firstValue32(takeProperty(connection, cookie).get())));
    }
    resolveProcessIDsThroughServer(x11, windows, processIDs);
    if (x11.hasFailed()) {
        throw XcbError(QStringLiteral("The connection to the X display broke"));
    }
    return processIDs;
}

QVector<WindowRecord> readWindowRecords(XcbConnection &x11, const std::vector<xcb_window_t> &windows)
{
    xcb_connection_t *connection = x11.connection();
    xcb_ewmh_connection_t &ewmh = x11.ewmh();
    struct Pending
    {
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
        xcb_get_property_cookie_t name;
        xcb_get_property_cookie_t legacyName;
        xcb_get_property_cookie_t type;
    };
    std::vector<Pending> pending;
    pending.reserve(windows.size());
    for (const xcb_window_t window : windows) {
        pending.push_back(
            {xcb_get_geometry(connection, window), xcb_translate_coordinates(connection, window, x11.root(), 0, 0),
                requestProperty(connection, window, ewmh._NET_WM_NAME, ewmh.UTF8_STRING, maxTextLength),
                requestProperty(connection, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, maxTextLength),
                requestProperty(connection, window, ewmh._NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, maxTypeCount)});
    }
    const std::vector<std::int32_t> processIDs = readWindowProcessIDs(x11, windows);

    QVector<WindowRecord> records;
    records.reserve(static_cast<qsizetype>(windows.size()));
    for (std::size_t i = 0; i < windows.size(); ++i) {
        xcb_generic_error_t *error = nullptr;
        XcbReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(connection, pending[i].geometry, &error));
        std::free(error);
        error = nullptr;
        XcbReply<xcb_translate_coordinates_reply_t> origin(
            xcb_translate_coordinates_reply(connection, pending[i].origin, &error));
        std::free(error);
        const PropertyReply name = takeProperty(connection, pending[i].name);
        const PropertyReply legacyName = takeProperty(connection, pending[i].legacyName);
        const PropertyReply type = takeProperty(connection, pending[i].type);
        if (!geometry || !origin || processIDs[i] == 0) {
            continue;
        }
        WindowRecord record;
        record.windowID = windows[i];
        record.processID = processIDs[i];
        QString title = name && name->type == ewmh.UTF8_STRING ? QString::fromUtf8(bytesOf(name.get())) : QString();
        if (title.trimmed().isEmpty()) {
            title = legacyTitle(legacyName.get(), ewmh.UTF8_STRING);
        }
        record.title = title.trimmed();
        record.frame = QRectF(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
        record.layer = layerOf(type.get(), ewmh);
        record.isShareable = true;
        records.append(std::move(record));
    }
    if (x11.hasFailed()) {
        throw XcbError(QStringLiteral("The connection to the X display broke"));
    }
    return records;
}

QVector<RunningApplicationRecord> readRunningApplications(XcbConnection &x11, const QVector<WindowRecord> &windows)
{
    xcb_connection_t *connection = x11.connection();
    std::vector<xcb_get_property_cookie_t> classCookies;
    classCookies.reserve(static_cast<std::size_t>(windows.size()));
    QHash<std::int32_t, xcb_get_property_cookie_t> iconCookies;
    QVector<std::int32_t> order;
    for (const WindowRecord &window : windows) {
        classCookies.push_back(requestProperty(connection, window.windowID, XCB_ATOM_WM_CLASS, XCB_ATOM_ANY, 256));
        if (!iconCookies.contains(window.processID)) {
            iconCookies.insert(window.processID,
                requestProperty(
                    connection, window.windowID, x11.ewmh()._NET_WM_ICON, XCB_ATOM_CARDINAL, maxIconLength));
            order.append(window.processID);
        }
    }

    QHash<std::int32_t, QString> classes;
    for (qsizetype i = 0; i < windows.size(); ++i) {
        const PropertyReply reply = takeProperty(connection, classCookies[static_cast<std::size_t>(i)]);
        const QString className = windowClass(reply.get());
        if (!className.isEmpty() && !classes.contains(windows[i].processID)) {
            classes.insert(windows[i].processID, className);
        }
    }

    QVector<RunningApplicationRecord> applications;
    applications.reserve(order.size());
    for (const std::int32_t processID : order) {
        const PropertyReply iconReply = takeProperty(connection, iconCookies.value(processID));
        RunningApplicationRecord application;
        application.processID = processID;
        const QString className = classes.value(processID);
        if (!className.isEmpty()) {
            application.bundleIdentifier = className;
        }
        application.executableURL = processExecutableURL(processID);
        application.applicationName = className.isEmpty() ? processCommandName(processID) : className;
        const auto [data, count] = values32(iconReply.get());
        application.icon = windowIconFromProperty(data, count);
        application.isRegularApplication = true;
        applications.append(std::move(application));
    }
    if (x11.hasFailed()) {
        throw XcbError(QStringLiteral("The connection to the X display broke"));
    }
    return applications;
}

QImage windowIconFromProperty(const std::uint32_t *data, std::size_t count, int preferredSize)
{
    const std::uint32_t *best = nullptr;
    std::uint32_t bestWidth = 0;
    std::uint32_t bestHeight = 0;
    const auto wanted = static_cast<std::uint32_t>(std::max(preferredSize, 1));
    const auto better
        = [wanted](std::uint32_t width, std::uint32_t height, std::uint32_t oldWidth, std::uint32_t oldHeight) {
              const bool fits = std::min(width, height) >= wanted;
              const bool oldFits = std::min(oldWidth, oldHeight) >= wanted;
              if (fits != oldFits) {
                  return fits;
              }
              const std::uint64_t area = std::uint64_t(width) * height;
              const std::uint64_t oldArea = std::uint64_t(oldWidth) * oldHeight;
              return fits ? area < oldArea : area > oldArea;
          };
    std::size_t at = 0;
    while (data != nullptr && count - at >= 2) {
        const std::uint32_t width = data[at];
        const std::uint32_t height = data[at + 1];
        if (width == 0 || height == 0 || width > maxIconSide || height > maxIconSide
            || std::uint64_t(width) * height > count - at - 2) {
            break;
        }
        if (best == nullptr || better(width, height, bestWidth, bestHeight)) {
            best = data + at + 2;
            bestWidth = width;
            bestHeight = height;
        }
        at += 2 + std::size_t(width) * height;
    }
    if (best == nullptr) {
        return {};
    }
    QImage icon(static_cast<int>(bestWidth), static_cast<int>(bestHeight), QImage::Format_ARGB32);
    if (icon.isNull()) {
        return {};
    }
    for (std::uint32_t row = 0; row < bestHeight; ++row) {
        std::memcpy(icon.scanLine(static_cast<int>(row)), best + std::size_t(row) * bestWidth, bestWidth * 4);
    }
    return icon;
}

} // namespace veyra
