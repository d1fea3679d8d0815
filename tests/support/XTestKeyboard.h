#pragma once

#include <QString>

#include <cstdint>

struct xcb_connection_t;

namespace veyra::test {

// The keyboard of an X server driven through the XTEST extension: real key presses,
// delivered to the window that has the input focus, as a user's typing is. Every call
// returns once the server has handled it.
class XTestKeyboard
{
public:
    // Key symbols of the keys the tests press.
    static constexpr std::uint32_t returnKey = 0xff0d;
    static constexpr std::uint32_t escapeKey = 0xff1b;
    static constexpr std::uint32_t tabKey = 0xff09;

    explicit XTestKeyboard(const QString &display);
    ~XTestKeyboard();

    XTestKeyboard(const XTestKeyboard &) = delete;
    XTestKeyboard &operator=(const XTestKeyboard &) = delete;

    // False without a connection or without XTEST.
    bool isValid() const { return m_valid; }

    // Presses and releases the key that carries the key symbol (unshifted); false when
    // no key does.
    bool tap(std::uint32_t keySymbol);
    // Types the text key by key; it may hold lower-case ASCII letters, digits and spaces
    // only (keys without Shift). False when a key is missing.
    bool type(const QString &text);

private:
    std::uint8_t keyCode(std::uint32_t keySymbol);
    void fake(std::uint8_t type, std::uint8_t keyCode);

    xcb_connection_t *m_connection = nullptr;
    bool m_valid = false;
};

} // namespace veyra::test
