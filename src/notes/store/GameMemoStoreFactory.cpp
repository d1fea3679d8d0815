#include "notes/store/GameMemoStoreFactory.h"

#include "notes/store/FileGameMemoStore.h"
#include "notes/store/InMemoryGameMemoStore.h"

namespace veyra {

std::unique_ptr<GameMemoStoring> makeGameMemoStore(bool isUITesting)
{
    if (isUITesting) {
        return std::make_unique<InMemoryGameMemoStore>();
    }
    return std::make_unique<FileGameMemoStore>(
        FileGameMemoStore::defaultFileURL(), FileGameMemoStore::defaultFallbackFolders());
}

} // namespace veyra
