#pragma once

#include "translation/titles/GameTitleStoring.h"

#include <memory>

namespace veyra {

// The game-title store of the running application: an empty in-memory store in
// UI-testing fixture mode, otherwise the file "game-titles.json" in the application
// folder.
std::shared_ptr<GameTitleStoring> makeGameTitleStore(bool isUITesting);

} // namespace veyra
