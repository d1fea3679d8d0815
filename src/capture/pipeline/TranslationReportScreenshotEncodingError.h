#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// A frame could not be encoded for a report. Reaches the log only.
class TranslationReportScreenshotEncodingError : public Error
{
public:
    enum class Kind { destinationCreationFailed, encodingFailed, emptyData };

    explicit TranslationReportScreenshotEncodingError(Kind kind);
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

} // namespace veyra
