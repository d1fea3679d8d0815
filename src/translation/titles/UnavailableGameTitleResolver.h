#pragma once

#include "translation/titles/GameTitleResolving.h"

namespace veyra {

// The resolver of an application without a valid server base URL: every resolution
// fails with GameTitleClientError::invalidConfiguration.
class UnavailableGameTitleResolver : public GameTitleResolving
{
public:
    QCoro::Task<GameTitleResolution> resolve(GameTitleWindowMetadata metadata, CancellationToken token) override;
};

} // namespace veyra
