#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// A request that got no usable answer from the server.
class HTTPTransportError : public Error
{
public:
    enum class Kind {
        // The request took longer than its time-out.
        timedOut,
        // The answer was larger than the transport accepts.
        responseTooLarge,
        // The connection could not be made or broke (the detail names the cause).
        networkFailure,
    };

    explicit HTTPTransportError(Kind kind, QString detail = {});

    Kind kind() const { return m_kind; }
    const QString &detail() const { return m_detail; }

    QString localizedDescription() const override;

private:
    Kind m_kind;
    QString m_detail;
};

} // namespace veyra
