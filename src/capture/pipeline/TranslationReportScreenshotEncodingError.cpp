#include "capture/pipeline/TranslationReportScreenshotEncodingError.h"

namespace veyra {

namespace {
QString messageFor(TranslationReportScreenshotEncodingError::Kind kind)
{
    switch (kind) {
    case TranslationReportScreenshotEncodingError::Kind::destinationCreationFailed:
        return QStringLiteral("The report screenshot couldn't be encoded (destinationCreationFailed).");
    case TranslationReportScreenshotEncodingError::Kind::encodingFailed:
        return QStringLiteral("The report screenshot couldn't be encoded (encodingFailed).");
    case TranslationReportScreenshotEncodingError::Kind::emptyData:
        break;
    }
    return QStringLiteral("The report screenshot couldn't be encoded (emptyData).");
}
} // namespace

TranslationReportScreenshotEncodingError::TranslationReportScreenshotEncodingError(Kind kind)
    : Error(messageFor(kind))
    , m_kind(kind)
{ }

} // namespace veyra
