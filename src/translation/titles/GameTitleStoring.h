#pragma once

#include "capture/target/GameWindowProfileKey.h"
#include "translation/titles/GameTitleResolution.h"

#include <optional>

namespace veyra {

// Keeps the server's answer about each game window so that it is asked only once.
// Used on the GUI thread; every operation finishes before it returns and throws an
// Error on failure.
class GameTitleStoring
{
public:
    virtual ~GameTitleStoring() = default;

    // The answer stored for the key, or nothing.
    virtual std::optional<GameTitleResolution> resolution(const GameWindowProfileKey &key) = 0;

    // Stores the answer under the key, replacing an earlier one.
    virtual void save(const GameTitleResolution &resolution, const GameWindowProfileKey &key) = 0;
};

} // namespace veyra
