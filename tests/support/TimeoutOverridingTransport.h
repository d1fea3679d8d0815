#pragma once

#include "translation/http/HTTPTransport.h"

#include <memory>

namespace veyra::test {

// Passes every request on with another time-out, so that a test of a client's time-out
// handling need not wait the client's full time-out.
class TimeoutOverridingTransport : public HTTPTransport
{
public:
    TimeoutOverridingTransport(std::shared_ptr<HTTPTransport> inner, std::chrono::milliseconds timeout)
        : m_inner(std::move(inner))
        , m_timeout(timeout)
    { }

    QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken token) override
    {
        originalTimeout = request.timeout;
        request.timeout = m_timeout;
        const std::shared_ptr<HTTPTransport> inner = m_inner;
        co_return co_await inner->data(std::move(request), std::move(token));
    }

    // The time-out given to the requests that follow.
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // The time-out of the last request as its client set it.
    std::chrono::milliseconds originalTimeout{0};

private:
    std::shared_ptr<HTTPTransport> m_inner;
    std::chrono::milliseconds m_timeout;
};

} // namespace veyra::test
