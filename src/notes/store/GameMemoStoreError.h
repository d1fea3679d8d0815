#pragma once

#include "foundation/errors/Error.h"
#include "foundation/json/JsonDecoding.h"
#include "foundation/language/LocalizedString.h"

namespace veyra {

// The note file holds what this version of Veyra cannot read: another format, or a
// document that is damaged (not JSON, a missing or ill-typed member, a note too long).
class GameMemoStoreError : public LocalizedError
{
public:
    enum class Kind { unsupportedSchema, damaged };

    explicit GameMemoStoreError(Kind kind);
    // A damaged file at `path`; `detail` says what is wrong with it (the decoder's words,
    // or a reason of Veyra's own worded in the interface language each time the error is
    // described).
    GameMemoStoreError(Kind kind, QString path, LocalizableText detail);
    Kind kind() const { return m_kind; }
    const QString &path() const { return m_path; }

    QString localizedDescription() const override;

    friend bool operator==(const GameMemoStoreError &a, const GameMemoStoreError &b) { return a.m_kind == b.m_kind; }

private:
    Kind m_kind;
    QString m_path;
    LocalizableText m_detail;
};

// A note file that breaks a rule of the notes themselves rather than of their JSON shape
// (a note too long, two notes of one window, a date in another form). The reason is a
// marked English text with its "%@" arguments, so that it can be worded in the interface
// language.
class GameMemoRuleError : public DecodingError
{
public:
    GameMemoRuleError(const char *reasonKey, QStringList arguments);

    const LocalizableText &reason() const { return m_reason; }

private:
    LocalizableText m_reason;
};

} // namespace veyra
