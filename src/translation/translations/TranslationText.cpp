#include "translation/translations/TranslationText.h"

#include "foundation/text/TextNormalization.h"

namespace veyra {

bool exceedsTranslationTextLimit(const QString &text)
{
    // A cluster holds at least one UTF-16 unit, so a short text needs no walk.
    if (text.size() <= maximumTranslationTextLength) {
        return false;
    }
    return graphemeCount(text, maximumTranslationTextLength) > maximumTranslationTextLength;
}

QString cleanTranslatedText(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Every whitespace and line-break scalar lies in the BMP outside the surrogates, so
    // trimming by UTF-16 unit trims by scalar.
    qsizetype begin = 0;
    qsizetype end = lines.size();
    while (begin < end && isUnicodeWhiteSpace(lines.at(begin).unicode())) {
        ++begin;
    }
    while (end > begin && isUnicodeWhiteSpace(lines.at(end - 1).unicode())) {
        --end;
    }
    return lines.mid(begin, end - begin);
}

} // namespace veyra
