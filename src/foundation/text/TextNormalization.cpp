#include "foundation/text/TextNormalization.h"

#include <QTextBoundaryFinder>

namespace veyra {

bool isUnicodeWhiteSpace(char32_t scalar)
{
    switch (scalar) {
    case 0x0009:
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0020:
    case 0x0085:
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return scalar >= 0x2000 && scalar <= 0x200A;
    }
}

namespace {
char32_t firstScalar(QStringView cluster)
{
    if (cluster.size() >= 2 && cluster[0].isHighSurrogate() && cluster[1].isLowSurrogate()) {
        return QChar::surrogateToUcs4(cluster[0], cluster[1]);
    }
    return cluster[0].unicode();
}

bool mayHoldWhiteSpace(QChar c)
{
    // Every White_Space scalar is in the BMP; anything above U+3000 or a surrogate
    // cannot start one.
    return c.unicode() <= 0x3000;
}
} // namespace

QString collapseWhitespace(const QString &text)
{
    // Fast path: plain text without any candidate character needs no grapheme walk.
    bool candidate = false;
    for (QChar c : text) {
        if (mayHoldWhiteSpace(c) && isUnicodeWhiteSpace(c.unicode())) {
            candidate = true;
            break;
        }
    }
    if (!candidate) {
        return text;
    }

    QString result;
    result.reserve(text.size());
    bool pendingSpace = false;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = finder.toNextBoundary();
        if (end < 0 || end <= start) {
            end = text.size();
        }
        const QStringView cluster = QStringView(text).mid(start, end - start);
        if (isUnicodeWhiteSpace(firstScalar(cluster))) {
            pendingSpace = !result.isEmpty();
        } else {
            if (pendingSpace) {
                result += QLatin1Char(' ');
                pendingSpace = false;
            }
            result += cluster;
        }
        start = end;
    }
    return result;
}

} // namespace veyra
