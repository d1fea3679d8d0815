#pragma once

#include "notes/store/GameMemoStoring.h"

#include <memory>

namespace veyra {

// The note store of the running application: in fixture mode (UI testing) an empty
// in-memory store, otherwise the file "game-memos.json" in the application folder, with
// the default fallback folders for the notes kept aside.
std::unique_ptr<GameMemoStoring> makeGameMemoStore(bool isUITesting);

} // namespace veyra
