#pragma once

#include <QVector>

#include <cstdint>
#include <optional>

namespace veyra {

// One window directly below the root, as the stacking order lists it.
struct StackedWindow
{
    std::uint32_t id = 0;
    bool isViewable = false;
    // No window manager manages it (override-redirect): menus, tooltips, screen lockers,
    // the overlay's own windows, some full-screen games.
    bool bypassesWindowManager = false;
};

// How the kept windows are restacked: the first directly above `above` (none: at the top
// of the stack), each next one directly above the one before.
struct TopmostRestacking
{
    std::optional<std::uint32_t> above;

    bool operator==(const TopmostRestacking &) const = default;
};

// Whether the kept windows (bottom first) must be restacked so that they stand, in their
// own order, above every viewable window a window manager manages and above the game's
// window; nothing when they already do, or when none of them is in the stack (bottom
// first). Windows that bypass the window manager are not risen above, so that menus,
// notifications and screen lockers of other programs stay on top and a program that
// keeps raising such a window above everything cannot pull the overlay into a race.
std::optional<TopmostRestacking> topmostRestacking(
    const QVector<StackedWindow> &stack, const QVector<std::uint32_t> &kept, std::uint32_t gameWindow);

} // namespace veyra
