#include "translation/reports/TranslationErrorReportClientError.h"

namespace veyra {

namespace {
QString messageFor(TranslationErrorReportClientError::Kind kind, int statusCode)
{
    switch (kind) {
    case TranslationErrorReportClientError::Kind::unexpectedStatusCode:
        return QStringLiteral("The translation server returned HTTP status %1.").arg(statusCode);
    case TranslationErrorReportClientError::Kind::invalidResponse:
        return QStringLiteral("The translation server returned an invalid response.");
    case TranslationErrorReportClientError::Kind::invalidScreenshot:
        break;
    }
    return QStringLiteral("The report screenshot has an invalid file name or media type.");
}
} // namespace

TranslationErrorReportClientError::TranslationErrorReportClientError(Kind kind)
    : TranslationErrorReportClientError(kind, 0)
{ }

TranslationErrorReportClientError::TranslationErrorReportClientError(Kind kind, int statusCode)
    : Error(messageFor(kind, statusCode))
    , m_kind(kind)
    , m_statusCode(statusCode)
{ }

TranslationErrorReportClientError TranslationErrorReportClientError::unexpectedStatusCode(int statusCode)
{
    return TranslationErrorReportClientError(Kind::unexpectedStatusCode, statusCode);
}

} // namespace veyra
