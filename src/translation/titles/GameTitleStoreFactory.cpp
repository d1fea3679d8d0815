#include "translation/titles/GameTitleStoreFactory.h"

#include "translation/titles/FileGameTitleStore.h"
#include "translation/titles/InMemoryGameTitleStore.h"

namespace veyra {

std::shared_ptr<GameTitleStoring> makeGameTitleStore(bool isUITesting)
{
    if (isUITesting) {
        return std::make_shared<InMemoryGameTitleStore>();
    }
    return std::make_shared<FileGameTitleStore>(FileGameTitleStore::defaultFileURL(), Logger("GameTitleStore"));
}

} // namespace veyra
