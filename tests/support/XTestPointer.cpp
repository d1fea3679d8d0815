#include "support/XTestPointer.h"

#include "support/XTestConnection.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace veyra::test {

XTestPointer::XTestPointer(const QString &display)
{
    m_connection = connectWithXTest(display, m_valid);
}

XTestPointer::~XTestPointer()
{
    xcb_disconnect(m_connection);
}

void XTestPointer::moveTo(QPoint rootPosition)
{
    fake(XCB_MOTION_NOTIFY, 0, rootPosition);
}

void XTestPointer::pressLeft()
{
    fake(XCB_BUTTON_PRESS, 1);
}

void XTestPointer::releaseLeft()
{
    fake(XCB_BUTTON_RELEASE, 1);
}

void XTestPointer::clickAt(QPoint rootPosition)
{
    moveTo(rootPosition);
    pressLeft();
    releaseLeft();
}

void XTestPointer::rightClickAt(QPoint rootPosition)
{
    moveTo(rootPosition);
    fake(XCB_BUTTON_PRESS, 3);
    fake(XCB_BUTTON_RELEASE, 3);
}

void XTestPointer::fake(uint8_t type, uint8_t detail, QPoint position)
{
    if (!m_valid) {
        return;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME, type == XCB_MOTION_NOTIFY ? root : XCB_NONE,
        static_cast<int16_t>(position.x()), static_cast<int16_t>(position.y()), 0);
    // A round trip: the server has handled the input (and queued its events) before it.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

} // namespace veyra::test
