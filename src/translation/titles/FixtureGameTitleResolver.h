#pragma once

#include "translation/titles/GameTitleResolving.h"

namespace veyra {

// The resolver of UI-testing mode: the window title, whitespace collapsed, is both
// names (both absent for a blank title). No request, no delay.
class FixtureGameTitleResolver : public GameTitleResolving
{
public:
    QCoro::Task<GameTitleResolution> resolve(GameTitleWindowMetadata metadata, CancellationToken token) override;
};

} // namespace veyra
