#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// Why a minimum-version check failed. It has no text for the user (the user sees only the
// check-failed screen); its message, and so its log description, is the case name, e.g.
// "invalidSignature".
class MinimumVersionPolicyError : public Error
{
public:
    enum class Kind {
        invalidConfiguration,
        downloadFailed,
        invalidSignature,
        invalidJSON,
        unsupportedSchema,
        invalidPolicy,
        rolledBackRevision,
        conflictingRevision,
    };

    explicit MinimumVersionPolicyError(Kind kind);

    Kind kind() const { return m_kind; }
    static QString caseName(Kind kind);

    bool operator==(const MinimumVersionPolicyError &other) const { return m_kind == other.m_kind; }

private:
    Kind m_kind;
};

} // namespace veyra
