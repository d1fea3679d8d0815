#pragma once

#include "capture/target/CaptureTarget.h"

#include <optional>

namespace veyra {

// What the capture-area editor window needs of the application session: the game window
// being played, and the two requests it makes after the user is done. GUI thread.
class CaptureAreaEditorSessionProviding
{
public:
    virtual ~CaptureAreaEditorSessionProviding() = default;

    // The game window being played, if any.
    virtual std::optional<CaptureTarget> selectedTarget() const = 0;
    // True once the application is quitting; the editor then asks for nothing more.
    virtual bool isTerminating() const = 0;

    // Reloads the saved capture areas of the target and restarts capture with them.
    virtual void prepareOverlay(CaptureTarget target) = 0;
    // Leaves the overlay and returns to the choice of a game window.
    virtual void chooseAnotherWindow() = 0;
};

} // namespace veyra
