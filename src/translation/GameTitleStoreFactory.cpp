#include "translation/GameTitleStoreFactory.h"

#include "translation/FileGameTitleStore.h"
#include "translation/InMemoryGameTitleStore.h"

namespace veyra {

std::shared_ptr<GameTitleStoring> makeGameTitleStore(bool isUITesting)
{
    if (isUITesting) {
        return std::make_shared<InMemoryGameTitleStore>();
    }
    return std::make_shared<FileGameTitleStore>(FileGameTitleStore::defaultFileURL(), Logger("GameTitleStore"));
}

} // namespace veyra
