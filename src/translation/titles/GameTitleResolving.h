#pragma once

#include "foundation/async/CancellationToken.h"
#include "translation/titles/GameTitleResolution.h"
#include "translation/titles/GameTitleWindowMetadata.h"

#include <qcoro/qcorotask.h>

namespace veyra {

// Names the game of a window. Called on the GUI thread; calls are independent and may
// run at once. Throws CancellationError only when the token was cancelled, any other
// error for a failed resolution.
class GameTitleResolving
{
public:
    virtual ~GameTitleResolving() = default;

    virtual QCoro::Task<GameTitleResolution> resolve(GameTitleWindowMetadata metadata, CancellationToken token) = 0;
};

} // namespace veyra
