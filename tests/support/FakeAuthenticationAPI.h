#pragma once

#include "account/authentication/AuthenticationAPIProviding.h"
#include "support/ManualCall.h"

#include <vector>

namespace veyra::test {

// An authentication API whose calls finish only when the test finishes them (see
// ManualCall): a refresh can answer after its session was signed out.
class FakeAuthenticationAPI : public AuthenticationAPIProviding
{
public:
    // One call and the token it was given.
    template <typename T>
    struct TokenCall : ManualCall<T>
    {
        TokenCall(QString callToken, CancellationToken cancellation)
            : ManualCall<T>(std::move(cancellation))
            , tokenSent(std::move(callToken))
        { }
        const QString tokenSent;
    };
    using Call = TokenCall<AuthTokenPair>;
    using LogoutCall = TokenCall<void>;

    QCoro::Task<AuthTokenPair> login(QString idToken, CancellationToken token) override
    {
        co_return co_await play(logins, std::move(idToken), std::move(token));
    }
    QCoro::Task<AuthTokenPair> refresh(QString refreshToken, CancellationToken token) override
    {
        co_return co_await play(refreshes, std::move(refreshToken), std::move(token));
    }
    QCoro::Task<void> logout(QString refreshToken, CancellationToken token) override
    {
        co_await play(logouts, std::move(refreshToken), std::move(token));
    }

    std::vector<std::shared_ptr<Call>> logins;
    std::vector<std::shared_ptr<Call>> refreshes;
    std::vector<std::shared_ptr<LogoutCall>> logouts;

private:
    template <typename T>
    static QCoro::Task<T> play(
        std::vector<std::shared_ptr<TokenCall<T>>> &calls, QString tokenSent, CancellationToken token)
    {
        auto call = std::make_shared<TokenCall<T>>(std::move(tokenSent), std::move(token));
        calls.push_back(call);
        // A named awaiter: g++ 12 destroys a temporary of a co_await expression twice.
        auto finished = call->untilFinished();
        co_await finished;
        if constexpr (std::is_void_v<T>) {
            call->outcome();
        } else {
            co_return call->outcome();
        }
    }
};

} // namespace veyra::test
