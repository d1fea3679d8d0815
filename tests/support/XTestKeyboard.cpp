#include "support/XTestKeyboard.h"

#include "support/XTestConnection.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace veyra::test {

XTestKeyboard::XTestKeyboard(const QString &display)
{
    m_connection = connectWithXTest(display, m_valid);
}

XTestKeyboard::~XTestKeyboard()
{
    xcb_disconnect(m_connection);
}

bool XTestKeyboard::tap(std::uint32_t keySymbol)
{
    const std::uint8_t code = keyCode(keySymbol);
    if (code == 0) {
        return false;
    }
    fake(XCB_KEY_PRESS, code);
    fake(XCB_KEY_RELEASE, code);
    return true;
}

bool XTestKeyboard::type(const QString &text)
{
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        const bool unshifted = (unit >= u'a' && unit <= u'z') || (unit >= u'0' && unit <= u'9') || unit == u' ';
        // Latin-1 key symbols are the characters' own codes.
        if (!unshifted || !tap(unit)) {
            return false;
        }
    }
    return true;
}

std::uint8_t XTestKeyboard::keyCode(std::uint32_t keySymbol)
{
    if (!m_valid) {
        return 0;
    }
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *mapping = xcb_get_keyboard_mapping_reply(
        m_connection, xcb_get_keyboard_mapping(m_connection, setup->min_keycode, static_cast<uint8_t>(count)), nullptr);
    if (mapping == nullptr) {
        return 0;
    }
    const xcb_keysym_t *symbols = xcb_get_keyboard_mapping_keysyms(mapping);
    const int perCode = mapping->keysyms_per_keycode;
    std::uint8_t found = 0;
    for (int i = 0; i < count && found == 0 && perCode > 0; ++i) {
        if (symbols[i * perCode] == keySymbol) {
            found = static_cast<std::uint8_t>(setup->min_keycode + i);
        }
    }
    std::free(mapping);
    return found;
}

void XTestKeyboard::fake(std::uint8_t type, std::uint8_t keyCode)
{
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    xcb_test_fake_input(m_connection, type, keyCode, XCB_CURRENT_TIME, root, 0, 0, 0);
    // A round trip: the server has handled the input (and queued its events) before it.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

} // namespace veyra::test
