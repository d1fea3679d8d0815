#pragma once

#include "capture/target/GameWindowProfileKey.h"
#include "overlay/layout/OverlayLayout.h"

#include <optional>

namespace veyra {

// The overlay's layout per game window. Both operations may throw a veyra::Error; the
// layout controller logs it and goes on without the layout.
class OverlayLayoutStoring
{
public:
    virtual ~OverlayLayoutStoring() = default;

    virtual std::optional<OverlayLayout> layout(const GameWindowProfileKey &key) = 0;
    // Replaces the window's earlier layout.
    virtual void save(const OverlayLayout &layout, const GameWindowProfileKey &key) = 0;
};

} // namespace veyra
