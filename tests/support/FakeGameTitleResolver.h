#pragma once

#include "support/ManualCall.h"
#include "translation/titles/GameTitleResolving.h"

#include <vector>

namespace veyra::test {

// A resolver whose calls finish only when the test finishes them (see ManualCall).
class FakeGameTitleResolver : public GameTitleResolving
{
public:
    struct Call : ManualCall<GameTitleResolution>
    {
        Call(GameTitleWindowMetadata callMetadata, CancellationToken callToken)
            : ManualCall(std::move(callToken))
            , metadata(std::move(callMetadata))
        { }
        const GameTitleWindowMetadata metadata;
    };

    QCoro::Task<GameTitleResolution> resolve(GameTitleWindowMetadata metadata, CancellationToken token) override
    {
        auto call = std::make_shared<Call>(std::move(metadata), std::move(token));
        calls.push_back(call);
        // A named awaiter: g++ 12 destroys a temporary of a co_await expression twice.
        auto finished = call->untilFinished();
        co_await finished;
        co_return call->outcome();
    }

    std::vector<std::shared_ptr<Call>> calls;
};

} // namespace veyra::test
