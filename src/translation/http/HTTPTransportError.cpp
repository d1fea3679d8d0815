#include "translation/http/HTTPTransportError.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

namespace {
const char *patternFor(HTTPTransportError::Kind kind)
{
    switch (kind) {
    case HTTPTransportError::Kind::timedOut:
        return QT_TRANSLATE_NOOP("Veyra", "The request to the server timed out.");
    case HTTPTransportError::Kind::responseTooLarge:
        return QT_TRANSLATE_NOOP("Veyra", "The server's response was too large.");
    case HTTPTransportError::Kind::networkFailure:
        break;
    }
    return QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't reach the server: %@");
}
} // namespace

HTTPTransportError::HTTPTransportError(Kind kind, QString detail)
    : Error(formatPlaceholders(QString::fromUtf8(patternFor(kind)), {detail}))
    , m_kind(kind)
    , m_detail(std::move(detail))
{ }

QString HTTPTransportError::localizedDescription() const
{
    return localizedFormat(patternFor(m_kind), {m_detail});
}

} // namespace veyra
