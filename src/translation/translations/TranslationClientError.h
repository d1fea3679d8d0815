#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// Failures of a translation provider. The messages are fixed English texts for the log.
class TranslationClientError : public Error
{
public:
    enum class Kind {
        unexpectedStatusCode,
        invalidConfiguration,
        invalidSourceText,
        invalidResponse,
        emptyTranslation,
    };

    explicit TranslationClientError(Kind kind);
    // unexpectedStatusCode with the status the server answered.
    static TranslationClientError unexpectedStatusCode(int statusCode);

    Kind kind() const { return m_kind; }
    int statusCode() const { return m_statusCode; }

    bool operator==(const TranslationClientError &other) const
    {
        return m_kind == other.m_kind && m_statusCode == other.m_statusCode;
    }

private:
    TranslationClientError(Kind kind, int statusCode);

    Kind m_kind;
    int m_statusCode = 0;
};

} // namespace veyra
