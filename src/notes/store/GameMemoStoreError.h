#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// The note file was written in a format this version of Veyra cannot read.
class GameMemoStoreError : public LocalizedError
{
public:
    enum class Kind { unsupportedSchema };

    explicit GameMemoStoreError(Kind kind);
    Kind kind() const { return m_kind; }

    friend bool operator==(const GameMemoStoreError &a, const GameMemoStoreError &b) { return a.m_kind == b.m_kind; }

private:
    Kind m_kind;
};

} // namespace veyra
