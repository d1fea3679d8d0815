#include "notes/model/GameMemoContext.h"

namespace veyra {

std::optional<GameMemoContext> GameMemoContext::make(
    const CaptureTarget &target, const std::optional<QString> &representativeGameName)
{
    std::optional<GameWindowProfileKey> key = target.profileKey();
    if (!key) {
        return std::nullopt;
    }
    std::optional<QString> name;
    if (representativeGameName) {
        name = representativeGameName->trimmed();
    }
    return GameMemoContext{std::move(*key), target.applicationName, target.windowTitle, std::move(name)};
}

} // namespace veyra
