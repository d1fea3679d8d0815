#include "translation/translations/TranslationClientError.h"

namespace veyra {

namespace {
QString messageFor(TranslationClientError::Kind kind, int statusCode)
{
    switch (kind) {
    case TranslationClientError::Kind::unexpectedStatusCode:
        return QStringLiteral("The translation server returned HTTP status %1.").arg(statusCode);
    case TranslationClientError::Kind::invalidConfiguration:
        return QStringLiteral("The translation server configuration is invalid.");
    case TranslationClientError::Kind::invalidSourceText:
        return QStringLiteral("The source text cannot be translated.");
    case TranslationClientError::Kind::invalidResponse:
        return QStringLiteral("The translation server returned an invalid response.");
    case TranslationClientError::Kind::emptyTranslation:
        break;
    }
    return QStringLiteral("The translation server returned an empty translation.");
}
} // namespace

TranslationClientError::TranslationClientError(Kind kind)
    : TranslationClientError(kind, 0)
{ }

TranslationClientError::TranslationClientError(Kind kind, int statusCode)
    : Error(messageFor(kind, statusCode))
    , m_kind(kind)
    , m_statusCode(statusCode)
{ }

TranslationClientError TranslationClientError::unexpectedStatusCode(int statusCode)
{
    return TranslationClientError(Kind::unexpectedStatusCode, statusCode);
}

} // namespace veyra
