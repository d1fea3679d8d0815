#include "capture/x11/XcbWindowRole.h"

#include "capture/x11/XcbConnection.h"

#include <QGuiApplication>

namespace veyra {

void setOwnWindowRole(std::uint32_t window, const QString &role)
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr || window == 0) {
        return;
    }
    static constexpr char atomName[] = "WM_WINDOW_ROLE";
    const XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof atomName - 1, atomName), nullptr));
    if (!atom) {
        return;
    }
    const QByteArray value = role.toUtf8();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom->atom, XCB_ATOM_STRING, 8,
        static_cast<std::uint32_t>(value.size()), value.constData());
    xcb_flush(connection);
}

} // namespace veyra
