#include "translation/titles/UnavailableGameTitleResolver.h"

#include "translation/titles/GameTitleClientError.h"

namespace veyra {

QCoro::Task<GameTitleResolution> UnavailableGameTitleResolver::resolve(
    GameTitleWindowMetadata metadata, CancellationToken token)
{
    Q_UNUSED(metadata);
    Q_UNUSED(token);
    throw GameTitleClientError(GameTitleClientError::Kind::invalidConfiguration);
    co_return GameTitleResolution();
}

} // namespace veyra
