#pragma once

#include "update/policy/MinimumVersionConfiguration.h"
#include "update/policy/MinimumVersionPolicyFetching.h"

#include <memory>

class QNetworkAccessManager;

namespace veyra {

class HTTPTransport;

// Downloads the policy document and its signature file at the same time with a plain GET
// each, and verifies them (on a worker thread) once both have arrived.
//
// - Redirects are followed to other hosts too (HTTPRedirectPolicy::anyOriginOverHTTPS):
//   the signature vouches for the bytes, wherever they come from.
// - A failed policy download cancels the signature download and waits for it to end.
// - The statuses are tested only after both downloads ended, the policy's first: both
//   must be 200 to 299.
// - Any failure that is not a verification error (transport failure, an answer that is
//   not HTTP or of another status, the cancellation of `token`) ends the fetch with
//   MinimumVersionPolicyError::downloadFailed; verification errors pass unchanged.
// It never retries and keeps nothing between fetches.
class QtNetworkMinimumVersionPolicyClient : public MinimumVersionPolicyFetching
{
public:
    // Sends through `transport` when given; else over `session`; else over a session of
    // its own.
    explicit QtNetworkMinimumVersionPolicyClient(MinimumVersionConfiguration configuration,
        std::shared_ptr<QNetworkAccessManager> session = nullptr, std::shared_ptr<HTTPTransport> transport = nullptr);

    QCoro::Task<VerifiedMinimumVersionPolicy> fetch(CancellationToken token) override;

    const MinimumVersionConfiguration &configuration() const { return m_configuration; }

private:
    MinimumVersionConfiguration m_configuration;
    std::shared_ptr<HTTPTransport> m_transport;
};

} // namespace veyra
