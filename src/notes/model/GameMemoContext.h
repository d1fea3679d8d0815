#pragma once

#include "capture/target/CaptureTarget.h"
#include "capture/target/GameWindowProfileKey.h"

#include <QString>

#include <optional>

namespace veyra {

// The game window whose note the overlay's note popover edits.
struct GameMemoContext
{
    GameWindowProfileKey key;
    // As the capture target gives them (the title untrimmed; the key holds it trimmed).
    QString applicationName;
    QString windowTitle;
    // Trimmed of whitespace and line breaks; absent while no name is known. A name of
    // only blanks is kept as the empty text.
    std::optional<QString> representativeGameName;

    // The context of the target's game window, or nothing when the target has no profile
    // key (neither a bundle identifier nor an executable).
    static std::optional<GameMemoContext> make(
        const CaptureTarget &target, const std::optional<QString> &representativeGameName);

    friend bool operator==(const GameMemoContext &, const GameMemoContext &) = default;
};

} // namespace veyra
