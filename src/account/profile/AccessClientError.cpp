#include "account/profile/AccessClientError.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

namespace {
QString messageFor(AccessClientError::Kind kind)
{
    if (kind == AccessClientError::Kind::invalidConfiguration) {
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "The access server configuration is invalid."));
    }
    return QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "The access server returned an invalid response."));
}
} // namespace

AccessClientError::AccessClientError(Kind kind)
    : AccessClientError(kind, 0, QString(), messageFor(kind))
{ }

AccessClientError::AccessClientError(Kind kind, int statusCode, QString code, QString message)
    : LocalizedError(std::move(message))
    , m_kind(kind)
    , m_statusCode(statusCode)
    , m_code(std::move(code))
{ }

AccessClientError AccessClientError::server(int statusCode, QString code, QString message)
{
    return AccessClientError(Kind::server, statusCode, std::move(code), std::move(message));
}

QString AccessClientError::localizedDescription() const
{
    if (m_kind == Kind::server) {
        return message();
    }
    return LocalizedError::localizedDescription();
}

} // namespace veyra
