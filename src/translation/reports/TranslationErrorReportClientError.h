#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// Failures of the error-report client. The messages are fixed English texts for the log.
class TranslationErrorReportClientError : public Error
{
public:
    enum class Kind {
        unexpectedStatusCode,
        invalidResponse,
        // The screenshot's file name or media type would break out of its part header
        // (a line break, another control character or a quotation mark); nothing is sent.
        invalidScreenshot,
    };

    explicit TranslationErrorReportClientError(Kind kind);
    // unexpectedStatusCode with the status the server answered.
    static TranslationErrorReportClientError unexpectedStatusCode(int statusCode);

    Kind kind() const { return m_kind; }
    int statusCode() const { return m_statusCode; }

    bool operator==(const TranslationErrorReportClientError &other) const
    {
        return m_kind == other.m_kind && m_statusCode == other.m_statusCode;
    }

private:
    TranslationErrorReportClientError(Kind kind, int statusCode);

    Kind m_kind;
    int m_statusCode = 0;
};

} // namespace veyra
