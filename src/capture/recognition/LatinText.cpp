#include "capture/recognition/LatinText.h"

#include <QRegularExpression>

namespace veyra {

QString restoringCapitalI(const QString &line)
{
    // "l", "|" and "\" alone before another word or before an apostrophe, and "T" alone
    // before a word in lower case or before the pronoun's contractions ("T'll").
    static const QRegularExpression stroke(
        QStringLiteral("(^|[\\s\"“‘(])(?:[l|\\\\](?=\\s+\\p{L}|['’]\\p{L})|T(?=\\s+\\p{Ll}|['’](?:ll|m|ve|d)\\b))"),
        QRegularExpression::UseUnicodePropertiesOption);
    // "1" is a number before a word ("1 day") except where a sentence starts, and always
    // one before an apostrophe.
    static const QRegularExpression one(QStringLiteral("(^|[.!?]\\s+|[\\s\"“‘(](?=1['’]))1(?=\\s+\\p{Ll}|['’]\\p{L})"),
        QRegularExpression::UseUnicodePropertiesOption);
    // "!" alone before a word in lower case or before an apostrophe: no sentence puts an
    // exclamation mark there, apart from the word before it.
    static const QRegularExpression exclamation(
        QStringLiteral("(^|[\\s\"“‘(])!(?=\\s+\\p{Ll}|['’]\\p{L})"), QRegularExpression::UseUnicodePropertiesOption);
    QString result = line;
    result.replace(stroke, QStringLiteral("\\1I"));
    result.replace(one, QStringLiteral("\\1I"));
    result.replace(exclamation, QStringLiteral("\\1I"));
    return result;
}

} // namespace veyra
