#include "update/policy/QtNetworkMinimumVersionPolicyClient.h"

#include "foundation/async/AsyncTask.h"
#include "translation/http/QtNetworkHTTPTransport.h"
#include "update/policy/MinimumVersionPolicyError.h"

#include <optional>

namespace veyra {

namespace {

// The signature, not the host, vouches for both files: they may be served from
// anywhere a redirect leads over https (a CDN, say).
HTTPRequest plainGet(const QUrl &url)
{
    HTTPRequest request;
    request.method = "GET";
    request.url = url;
    request.redirectPolicy = HTTPRedirectPolicy::anyOriginOverHTTPS;
    return request;
}

bool isSuccess(const HTTPResponse &response)
{
    return response.statusCode && *response.statusCode >= 200 && *response.statusCode <= 299;
}

MinimumVersionPolicyError downloadFailed()
{
    return MinimumVersionPolicyError(MinimumVersionPolicyError::Kind::downloadFailed);
}

QCoro::Task<VerifiedMinimumVersionPolicy> downloadAndVerify(
    MinimumVersionConfiguration configuration, std::shared_ptr<HTTPTransport> transport, CancellationToken token)
{
    // Each download has a token of its own, so that a failed policy download can end the
    // signature download; cancelling the caller's token ends both.
    const CancellationToken policyToken;
    const CancellationToken signatureToken;
    const CancellationToken::Registration registration = token.onCancel([policyToken, signatureToken] {
        policyToken.cancel();
        signatureToken.cancel();
    });

    QCoro::Task<HTTPResponse> policyDownload = transport->data(plainGet(configuration.policyURL), policyToken);
    QCoro::Task<HTTPResponse> signatureDownload = transport->data(plainGet(configuration.signatureURL), signatureToken);

    std::optional<HTTPResponse> policy;
    try {
        policy = co_await policyDownload;
    } catch (...) { }
    if (!policy) {
        signatureToken.cancel();
        try {
            co_await signatureDownload;
        } catch (...) { }
        throw downloadFailed();
    }
    const HTTPResponse signature = co_await signatureDownload;

    if (!isSuccess(*policy) || !isSuccess(signature)) {
        throw downloadFailed();
    }
    auto verification = [policyData = policy->body, signatureData = signature.body, key = configuration.publicKey] {
        return VerifiedMinimumVersionPolicy::verify(policyData, signatureData, key);
    };
    co_return co_await runOnWorker(cpuWorkPool(), std::move(verification));
}

} // namespace

QtNetworkMinimumVersionPolicyClient::QtNetworkMinimumVersionPolicyClient(MinimumVersionConfiguration configuration,
    std::shared_ptr<QNetworkAccessManager> session, std::shared_ptr<HTTPTransport> transport)
    : m_configuration(std::move(configuration))
    , m_transport(chooseHTTPTransport(std::move(transport), std::move(session)))
{ }

QCoro::Task<VerifiedMinimumVersionPolicy> QtNetworkMinimumVersionPolicyClient::fetch(CancellationToken token)
{
    // The fetch keeps what it needs, so that it may outlive the client.
    std::optional<VerifiedMinimumVersionPolicy> verified;
    try {
        verified = co_await downloadAndVerify(m_configuration, m_transport, std::move(token));
    } catch (const MinimumVersionPolicyError &) {
        throw;
    } catch (...) {
        throw downloadFailed();
    }
    co_return std::move(*verified);
}

} // namespace veyra
