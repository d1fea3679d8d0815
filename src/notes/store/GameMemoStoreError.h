#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// The note file holds what this version of Veyra cannot read: another format, or a
// document that is damaged (not JSON, a missing or ill-typed member, a note too long).
class GameMemoStoreError : public LocalizedError
{
public:
    enum class Kind { unsupportedSchema, damaged };

    explicit GameMemoStoreError(Kind kind);
    // A damaged file at `path`; `detail` says what is wrong with it.
    GameMemoStoreError(Kind kind, QString path, QString detail);
    Kind kind() const { return m_kind; }
    const QString &path() const { return m_path; }

    QString localizedDescription() const override;

    friend bool operator==(const GameMemoStoreError &a, const GameMemoStoreError &b) { return a.m_kind == b.m_kind; }

private:
    Kind m_kind;
    QString m_path;
    QString m_detail;
};

} // namespace veyra
