#include "translation/titles/FixtureGameTitleResolver.h"

namespace veyra {

QCoro::Task<GameTitleResolution> FixtureGameTitleResolver::resolve(
    GameTitleWindowMetadata metadata, CancellationToken token)
{
    Q_UNUSED(token);
    co_return GameTitleResolution(metadata.windowTitle, metadata.windowTitle);
}

} // namespace veyra
