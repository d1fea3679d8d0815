#pragma once

#include <QPoint>
#include <QString>

#include <cstdint>
#include <functional>

struct xcb_connection_t;

namespace veyra::test {

class X11Probe;

// The pointer of an X server driven through the XTEST extension: real input, delivered to
// whatever window is under the pointer as a user's mouse would be (unlike sent events).
//
// Every call returns once the server has delivered its input, not merely queued it: the
// pointer stands where it was sent, a pressed button is down, a released one up. Until
// then the pointer may be frozen by another client's grab: a window manager that takes a
// click on a window it manages (to focus and raise it) holds the pointer until it lets
// the click through, and the server queues all input meanwhile and replays it later,
// button events at the place of an earlier move. A call that is not delivered within the
// (scaled) time limit adds a test failure saying what the server has instead.
class XTestPointer
{
public:
    explicit XTestPointer(const QString &display);
    ~XTestPointer();

    XTestPointer(const XTestPointer &) = delete;
    XTestPointer &operator=(const XTestPointer &) = delete;

    // False without a connection or without XTEST.
    bool isValid() const { return m_valid; }

    void moveTo(QPoint rootPosition);
    void pressLeft();
    void releaseLeft();
    void clickAt(QPoint rootPosition);
    // A click of the right button, which opens context menus.
    void rightClickAt(QPoint rootPosition);
    // A drag with the left button through `steps` points in between, as a hand moves;
    // `betweenMoves` runs after each move.
    void dragLeft(QPoint from, QPoint to, int steps, const std::function<void()> &betweenMoves = {});

private:
    // What the server's pointer is now.
    struct State
    {
        QPoint position;
        std::uint16_t buttons = 0;
    };

    void press(std::uint8_t button);
    void release(std::uint8_t button);
    void fake(std::uint8_t type, std::uint8_t detail, QPoint position = {});
    State state() const;
    // Waits until the server's pointer is as `delivered` wants it after `input`.
    void awaitDelivery(const char *input, const std::function<bool(const State &)> &delivered);

    xcb_connection_t *m_connection = nullptr;
    bool m_valid = false;
    std::uint32_t m_root = 0;
    QPoint m_lastPosition;
    QPoint m_screenLimit;
};

// Moves the pointer to a point and waits until the X server has the window's top level
// under the pointer there (mapped, in place and above every other window that takes input
// there), so that a press there goes to it. The pointer goes a pixel away and back while
// it waits, so that the server looks again after a window changed its input area. False
// when that does not happen within the (scaled) time limit.
[[nodiscard]] bool moveOnto(
    XTestPointer &pointer, const X11Probe &probe, std::uint32_t window, QPoint rootPosition, int timeoutMs = 60000);

} // namespace veyra::test
