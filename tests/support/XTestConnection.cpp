#include "support/XTestConnection.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace veyra::test {

xcb_connection_t *connectWithXTest(const QString &display, bool &hasXTest)
{
    const QByteArray name = display.toLocal8Bit();
    xcb_connection_t *connection = xcb_connect(name.constData(), nullptr);
    hasXTest = false;
    if (xcb_connection_has_error(connection) != 0) {
        return connection;
    }
    xcb_test_get_version_reply_t *version
        = xcb_test_get_version_reply(connection, xcb_test_get_version(connection, 2, 2), nullptr);
    hasXTest = version != nullptr;
    std::free(version);
    return connection;
}

} // namespace veyra::test
