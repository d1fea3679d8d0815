#pragma once

#include <QVector>

#include <cstdint>
#include <functional>

namespace veyra {

// Keeps some of this process's windows above every other application window on the screen,
// full-screen games included, whatever stacking rules the window manager has: they are
// restacked at once and again whenever another window goes above them.
class TopmostWindowKeeping
{
public:
    // The windows to keep on top, bottom first, asked afresh before each restacking
    // (windows that are not on the screen are left out).
    using KeptWindows = std::function<QVector<std::uint32_t>()>;

    virtual ~TopmostWindowKeeping() = default;

    // From now until stop(): keeps the windows above every window a window manager
    // manages, and above the game's window even where none manages it.
    virtual void keepOnTop(KeptWindows windows, std::uint32_t gameWindow) = 0;
    // Stops watching the screen (the windows have left it).
    virtual void stop() = 0;
};

} // namespace veyra
