#include "capture/recognition/LatinText.h"

#include <QRegularExpression>

namespace veyra {

QString restoringCapitalI(const QString &line)
{
    // A stroke at the start of a word, followed by a space and a letter, or by an
    // apostrophe and a letter; "T" only before a word in lower case.
    static const QRegularExpression stroke(
        QStringLiteral("(^|[\\s\"“‘(])(?:[l1|](?=\\s+\\p{L}|['’]\\p{L})|T(?=\\s+\\p{Ll}))"),
        QRegularExpression::UseUnicodePropertiesOption);
    QString result = line;
    result.replace(stroke, QStringLiteral("\\1I"));
    return result;
}

} // namespace veyra
