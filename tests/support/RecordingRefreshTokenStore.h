#pragma once

#include "account/tokens/RefreshTokenStoring.h"
#include "support/ScriptedCalls.h"

#include <memory>

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

// Passes every operation on to another store (the real keyring, say) and counts them,
// failed ones included.
class CountingRefreshTokenStore : public RefreshTokenStoring
{
public:
    explicit CountingRefreshTokenStore(std::shared_ptr<RefreshTokenStoring> inner)
        : m_inner(std::move(inner))
    { }

    QCoro::Task<std::optional<QString>> load() override
    {
        ++loads;
        const std::shared_ptr<RefreshTokenStoring> inner = m_inner;
        co_return co_await inner->load();
    }
    QCoro::Task<void> save(QString value) override
    {
        ++saves;
        const std::shared_ptr<RefreshTokenStoring> inner = m_inner;
        co_await inner->save(std::move(value));
    }
    QCoro::Task<void> deleteToken() override
    {
        ++deletes;
        const std::shared_ptr<RefreshTokenStoring> inner = m_inner;
        co_await inner->deleteToken();
    }

    int loads = 0;
    int saves = 0;
    int deletes = 0;

private:
    const std::shared_ptr<RefreshTokenStoring> m_inner;
};

} // namespace veyra::test
