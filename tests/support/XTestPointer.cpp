#include "support/XTestPointer.h"

#include "support/RunTask.h"
#include "support/TimeLimits.h"
#include "support/X11Probe.h"
#include "support/XTestConnection.h"

#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdlib>

namespace veyra::test {

namespace {

// Only ends a test whose input never arrives; every wait ends as soon as it is delivered.
constexpr int deliveryTimeoutMs = 60000;

std::uint16_t buttonMask(std::uint8_t button)
{
    return static_cast<std::uint16_t>(XCB_BUTTON_MASK_1 << (button - 1));
}

} // namespace

XTestPointer::XTestPointer(const QString &display)
{
    m_connection = connectWithXTest(display, m_valid);
    if (m_valid) {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_root = screen->root;
        m_screenLimit = QPoint(screen->width_in_pixels - 1, screen->height_in_pixels - 1);
        m_lastPosition = state().position;
    }
}

XTestPointer::~XTestPointer()
{
    xcb_disconnect(m_connection);
}

void XTestPointer::moveTo(QPoint rootPosition)
{
    // The server keeps the pointer on the screen.
    m_lastPosition = QPoint(
        std::clamp(rootPosition.x(), 0, m_screenLimit.x()), std::clamp(rootPosition.y(), 0, m_screenLimit.y()));
    fake(XCB_MOTION_NOTIFY, 0, rootPosition);
    awaitDelivery("a move", [this](const State &now) { return now.position == m_lastPosition; });
}

void XTestPointer::pressLeft()
{
    press(1);
}

void XTestPointer::releaseLeft()
{
    release(1);
}

void XTestPointer::clickAt(QPoint rootPosition)
{
    moveTo(rootPosition);
    press(1);
    release(1);
}

void XTestPointer::rightClickAt(QPoint rootPosition)
{
    moveTo(rootPosition);
    press(3);
    release(3);
}

void XTestPointer::dragLeft(QPoint from, QPoint to, int steps, const std::function<void()> &betweenMoves)
{
    moveTo(from);
    press(1);
    for (int step = 1; step <= steps; ++step) {
        moveTo(from + (to - from) * step / steps);
        if (betweenMoves) {
            betweenMoves();
        }
    }
    release(1);
}

void XTestPointer::press(std::uint8_t button)
{
    fake(XCB_BUTTON_PRESS, button);
    awaitDelivery("a press", [button](const State &now) { return (now.buttons & buttonMask(button)) != 0; });
}

void XTestPointer::release(std::uint8_t button)
{
    fake(XCB_BUTTON_RELEASE, button);
    awaitDelivery("a release", [button](const State &now) { return (now.buttons & buttonMask(button)) == 0; });
}

void XTestPointer::fake(std::uint8_t type, std::uint8_t detail, QPoint position)
{
    if (!m_valid) {
        return;
    }
    xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME, type == XCB_MOTION_NOTIFY ? m_root : XCB_NONE,
        static_cast<int16_t>(position.x()), static_cast<int16_t>(position.y()), 0);
}

XTestPointer::State XTestPointer::state() const
{
    // The pointer as delivered: input the server holds queued has not moved it yet.
    xcb_query_pointer_reply_t *pointer
        = xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr);
    State now;
    if (pointer != nullptr) {
        now.position = QPoint(pointer->root_x, pointer->root_y);
        now.buttons = pointer->mask
            & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3 | XCB_BUTTON_MASK_4 | XCB_BUTTON_MASK_5);
    }
    std::free(pointer);
    return now;
}

void XTestPointer::awaitDelivery(const char *input, const std::function<bool(const State &)> &delivered)
{
    if (!m_valid) {
        return;
    }
    State now;
    if (!waitUntil(
            [&] {
                now = state();
                return delivered(now);
            },
            deliveryTimeoutMs)) {
        ADD_FAILURE() << "XTestPointer: " << input << " sent to the X server was not delivered within "
                      << scaledMs(deliveryTimeoutMs) << " ms (a grab of another client holds the pointer?): "
                      << "the pointer is at " << now.position.x() << "," << now.position.y() << " with buttons 0x"
                      << std::hex << now.buttons << std::dec << ", the last move went to " << m_lastPosition.x() << ","
                      << m_lastPosition.y();
    }
}

bool moveOnto(XTestPointer &pointer, const X11Probe &probe, std::uint32_t window, QPoint rootPosition, int timeoutMs)
{
    return waitUntil(
        [&] {
            pointer.moveTo(rootPosition + QPoint(1, 0));
            pointer.moveTo(rootPosition);
            return probe.topLevelUnderPointer() == probe.topLevel(window);
        },
        timeoutMs);
}

} // namespace veyra::test
