#include "update/policy/FixtureMinimumVersionPolicyClient.h"

#include "update/policy/MinimumVersionPolicyError.h"

#include <QTimer>

#include <coroutine>

namespace veyra {

namespace {

// Suspends the awaiting coroutine until the token is cancelled, with no timer, and then
// resumes it on a later turn of the event loop with CancellationError.
class CancellationAwaiter
{
public:
    explicit CancellationAwaiter(CancellationToken token)
        : m_token(std::move(token))
    { }

    bool await_ready() const noexcept { return m_token.isCancelled(); }

    void await_suspend(std::coroutine_handle<> handle)
    {
        m_registration = m_token.onCancel([handle] { QTimer::singleShot(0, [handle] { handle.resume(); }); });
    }

    void await_resume() const { throw CancellationError(); }

private:
    CancellationToken m_token;
    CancellationToken::Registration m_registration;
};

VerifiedMinimumVersionPolicy fixturePolicy(const QString &build, const QString &version, const QString &digest)
{
    return {{1, 1, build, version}, digest};
}

} // namespace

FixtureMinimumVersionPolicyClient::FixtureMinimumVersionPolicyClient(Result result)
    : m_result(result)
{ }

QCoro::Task<VerifiedMinimumVersionPolicy> FixtureMinimumVersionPolicyClient::fetch(CancellationToken token)
{
    switch (m_result) {
    case Result::allowed:
        co_return fixturePolicy(QStringLiteral("1"), QStringLiteral("0.1.0"), QStringLiteral("fixture-1"));
    case Result::required:
        co_return fixturePolicy(QStringLiteral("9999"), QStringLiteral("99.0.0"), QStringLiteral("fixture-9999"));
    case Result::failed:
        throw MinimumVersionPolicyError(MinimumVersionPolicyError::Kind::downloadFailed);
    case Result::suspended:
        break;
    }
    co_await CancellationAwaiter(std::move(token));
    throw CancellationError();
}

} // namespace veyra
