#pragma once

#include "foundation/async/CancellationToken.h"
#include "translation/http/HTTPMessage.h"

#include <qcoro/qcorotask.h>

namespace veyra {

// Sends one HTTP request and returns the server's answer, whatever its status. Throws
// HTTPTransportError when no answer arrives (network failure, time-out, an answer too
// large to accept) and CancellationError only when the token was cancelled. Used on the
// GUI thread; any number of requests may run at once.
class HTTPTransport
{
public:
    virtual ~HTTPTransport() = default;

    virtual QCoro::Task<HTTPResponse> data(HTTPRequest request, CancellationToken token) = 0;
};

} // namespace veyra
