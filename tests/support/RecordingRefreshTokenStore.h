#pragma once

#include "account/tokens/RefreshTokenStoring.h"
#include "support/ScriptedCalls.h"

namespace veyra::test {

// An in-memory refresh-token store that counts its operations and plays back scripted
// failures and holds (see ScriptedCalls), one per operation in the order they begin.
class RecordingRefreshTokenStore : public RefreshTokenStoring
{
public:
    explicit RecordingRefreshTokenStore(std::optional<QString> stored = std::nullopt)
        : token(std::move(stored))
    { }

    QCoro::Task<std::optional<QString>> load() override
    {
        ++loads;
        co_await scripted.play();
        // A copy: QCoro moves from an lvalue given to co_return.
        co_return std::optional<QString>(token);
    }
    QCoro::Task<void> save(QString value) override
    {
        ++saves;
        co_await scripted.play();
        token = std::move(value);
    }
    QCoro::Task<void> deleteToken() override
    {
        ++deletes;
        co_await scripted.play();
        token.reset();
    }

    std::optional<QString> token;
    int loads = 0;
    int saves = 0;
    int deletes = 0;
    ScriptedCalls scripted;
};

} // namespace veyra::test
