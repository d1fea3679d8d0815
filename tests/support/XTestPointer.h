#pragma once

#include <QPoint>
#include <QString>

struct xcb_connection_t;

namespace veyra::test {

// The pointer of an X server driven through the XTEST extension: real input, delivered to
// whatever window is under the pointer as a user's mouse would be (unlike sent events).
// Every call returns once the server has handled it.
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

private:
    void fake(uint8_t type, uint8_t detail, QPoint position = {});

    xcb_connection_t *m_connection = nullptr;
    bool m_valid = false;
};

} // namespace veyra::test
