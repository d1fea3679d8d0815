// Test label: unit
// When the overlay's windows are restacked, and above which window: above every viewable
// window a window manager manages and above the game, never above menus, notifications or
// screen lockers of other programs, and in their own order.
#include "capture/windows/TopmostStacking.h"

#include <gtest/gtest.h>

using namespace veyra;

namespace {

constexpr std::uint32_t desktop = 1;
constexpr std::uint32_t gameFrame = 2;
constexpr std::uint32_t game = 3;
constexpr std::uint32_t panel = 10;
constexpr std::uint32_t strip = 11;
constexpr std::uint32_t popover = 12;
constexpr std::uint32_t otherMenu = 20;
constexpr std::uint32_t hiddenWindow = 21;

StackedWindow managed(std::uint32_t id)
{
    return {id, true, false};
}

StackedWindow bypassing(std::uint32_t id)
{
    return {id, true, true};
}

std::optional<TopmostRestacking> above(std::uint32_t id)
{
    return TopmostRestacking{id};
}

} // namespace

TEST(TopmostStacking, RestacksOnlyWhenAManagedWindowOrTheGameStandsAboveTheOverlay)
{
    const QVector<std::uint32_t> kept{panel, strip, popover};
    const auto restacking
        = [&kept](const QVector<StackedWindow> &stack) { return topmostRestacking(stack, kept, game); };
    // On top, in order: nothing to do.
    EXPECT_EQ(
        restacking({managed(desktop), managed(gameFrame), bypassing(panel), bypassing(strip), bypassing(popover)}),
        std::nullopt);
    // The game's frame raised above the overlay (a full-screen game going on top): directly
    // above it.
    EXPECT_EQ(
        restacking({managed(desktop), bypassing(panel), bypassing(strip), bypassing(popover), managed(gameFrame)}),
        above(gameFrame));
    // Above the highest managed window only, not above another program's menu or locker
    // that stands above it, and not above windows that are not on the screen.
    EXPECT_EQ(restacking({bypassing(panel), bypassing(strip), managed(gameFrame), bypassing(otherMenu),
                  {hiddenWindow, false, false}, bypassing(popover)}),
        above(gameFrame));
    EXPECT_EQ(restacking({managed(gameFrame), bypassing(panel), bypassing(strip), bypassing(popover),
                  bypassing(otherMenu), {hiddenWindow, false, false}}),
        std::nullopt);
    // A game that bypasses the window manager itself (some full-screen games do).
    EXPECT_EQ(restacking({managed(desktop), bypassing(panel), bypassing(strip), bypassing(game)}), above(game));
    // Out of their own order (the strip below the panel): restacked, from the top of the
    // stack when nothing else needs to stay below them.
    EXPECT_EQ(restacking({managed(desktop), bypassing(strip), bypassing(panel)}), above(desktop));
    EXPECT_EQ(restacking({bypassing(strip), bypassing(panel)}), TopmostRestacking{});
    // None of the kept windows in the stack (not created yet, or gone): nothing.
    EXPECT_EQ(topmostRestacking({managed(desktop), managed(gameFrame)}, kept, game), std::nullopt);
}
