#pragma once

#include <QString>

struct xcb_connection_t;

namespace veyra::test {

// A connection of its own to the X server on `display`, and whether the server offers
// the XTEST extension on it (false too when the connection failed). The caller
// disconnects the connection, which is never null.
xcb_connection_t *connectWithXTest(const QString &display, bool &hasXTest);

} // namespace veyra::test
