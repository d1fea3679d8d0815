#pragma once

#include <QString>

#include <cstdint>

namespace veyra {

// Writes the role (WM_WINDOW_ROLE) of one of this process's own windows, on the X
// connection of Qt's platform, and sends it at once. Qt writes a widget's role only when
// it creates the native window; this also reaches a window that exists already. Does
// nothing where the application does not run on X (the offscreen platform of the tests).
// GUI thread.
void setOwnWindowRole(std::uint32_t window, const QString &role);

} // namespace veyra
