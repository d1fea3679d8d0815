#pragma once

#include "foundation/errors/Error.h"
#include "foundation/json/JsonDecoding.h"

#include <QStringList>

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
    // The same with a reason of Veyra's own: an English text marked with
    // QT_TRANSLATE_NOOP("Veyra", ...) whose "%@" are filled with `detailArguments`, worded
    // in the interface language each time the error is described.
    GameMemoStoreError(Kind kind, QString path, const char *detailKey, QStringList detailArguments);
    Kind kind() const { return m_kind; }
    const QString &path() const { return m_path; }

    QString localizedDescription() const override;

    friend bool operator==(const GameMemoStoreError &a, const GameMemoStoreError &b) { return a.m_kind == b.m_kind; }

private:
    Kind m_kind;
    QString m_path;
    QString m_detail;
    const char *m_detailKey = nullptr;
    QStringList m_detailArguments;
};

// A note file that breaks a rule of the notes themselves rather than of their JSON shape
// (a note too long, two notes of one window, a date in another form). The reason is a
// marked English text with its "%@" arguments, so that it can be worded in the interface
// language.
class GameMemoRuleError : public DecodingError
{
public:
    GameMemoRuleError(const char *reasonKey, QStringList arguments);

    const char *reasonKey() const { return m_reasonKey; }
    const QStringList &arguments() const { return m_arguments; }

private:
    const char *m_reasonKey;
    QStringList m_arguments;
};

} // namespace veyra
