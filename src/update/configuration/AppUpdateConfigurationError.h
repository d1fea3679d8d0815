#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// Why the bundle's update configuration is unusable. Only the log sees it, as its case
// name ("invalidFeedURL"); the message is that name.
class AppUpdateConfigurationError : public Error
{
public:
    enum class Kind {
        missingFeedURL,
        invalidFeedURL,
        missingPublicKey,
        invalidPublicKey,
    };

    explicit AppUpdateConfigurationError(Kind kind);

    Kind kind() const { return m_kind; }
    static QString caseName(Kind kind);

    bool operator==(const AppUpdateConfigurationError &other) const { return m_kind == other.m_kind; }

private:
    Kind m_kind;
};

} // namespace veyra
