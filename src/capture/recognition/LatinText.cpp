#include "capture/recognition/LatinText.h"

#include <QRegularExpression>

namespace veyra {

QString restoringCapitalI(const QString &line, const SolidStrokeAt &isSolidStroke)
{
    // "!" alone, or two of "I", "l", "1" and "!" ("1!", "Il"), before a word in lower case.
    // The offsets are the line's as read, so these come first.
    static const QRegularExpression strokes(QStringLiteral("(?<=^|[\\s\"“‘(])(?:!|[Il1!]{2})(?=\\s+\\p{Ll})"),
        QRegularExpression::UseUnicodePropertiesOption);
    QString result;
    qsizetype copied = 0;
    for (auto match = strokes.globalMatch(line); match.hasNext();) {
        const QRegularExpressionMatch next = match.next();
        if (isSolidStroke(next.capturedStart(), next.capturedEnd())) {
            result += QStringView(line).mid(copied, next.capturedStart() - copied);
            result += QLatin1Char('I');
            copied = next.capturedEnd();
        }
    }
    result += QStringView(line).mid(copied);

    // "l", "|" and "\" alone before another word or before an apostrophe, and "T" alone
    // before a word in lower case or before the pronoun's contractions ("T'll").
    static const QRegularExpression stroke(
        QStringLiteral("(^|[\\s\"“‘(])(?:[l|\\\\](?=\\s+\\p{L}|['’]\\p{L})|T(?=\\s+\\p{Ll}|['’](?:ll|m|ve|d)\\b))"),
        QRegularExpression::UseUnicodePropertiesOption);
    // "!" before an apostrophe ("!'m"): no exclamation mark stands there.
    static const QRegularExpression exclamation(
        QStringLiteral("(^|[\\s\"“‘(])!(?=['’]\\p{L})"), QRegularExpression::UseUnicodePropertiesOption);
    // "1" is a number before a word ("1 day") except where a sentence starts, and always
    // one before an apostrophe.
    static const QRegularExpression one(QStringLiteral("(^|[.!?]\\s+|[\\s\"“‘(](?=1['’]))1(?=\\s+\\p{Ll}|['’]\\p{L})"),
        QRegularExpression::UseUnicodePropertiesOption);
    result.replace(stroke, QStringLiteral("\\1I"));
    result.replace(one, QStringLiteral("\\1I"));
    result.replace(exclamation, QStringLiteral("\\1I"));
    return result;
}

} // namespace veyra
