#include "support/X11ServerState.h"

#include <QFile>

#include <xcb/composite.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace veyra::test {

bool isRedirected(const QString &display, std::uint32_t window)
{
    const QByteArray name = display.toLocal8Bit();
    xcb_connection_t *connection = xcb_connect(name.constData(), nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    // The extension must be asked for before its requests are sent.
    std::free(xcb_composite_query_version_reply(connection, xcb_composite_query_version(connection, 0, 4), nullptr));
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    xcb_generic_error_t *error
        = xcb_request_check(connection, xcb_composite_name_window_pixmap_checked(connection, window, pixmap));
    const bool redirected = error == nullptr;
    std::free(error);
    if (redirected) {
        xcb_free_pixmap(connection, pixmap);
    }
    xcb_disconnect(connection);
    return redirected;
}

std::size_t mappedSharedMemoryBytes()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) {
        return 0;
    }
    std::size_t bytes = 0;
    // "start-end perms offset device inode /SYSV<key> (deleted)"
    for (const QByteArray &line : maps.readAll().split('\n')) {
        if (!line.contains("/SYSV")) {
            continue;
        }
        const QList<QByteArray> range = line.left(line.indexOf(' ')).split('-');
        if (range.size() == 2) {
            bytes += static_cast<std::size_t>(range[1].toULongLong(nullptr, 16) - range[0].toULongLong(nullptr, 16));
        }
    }
    return bytes;
}

} // namespace veyra::test
