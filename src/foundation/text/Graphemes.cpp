#include "foundation/text/Graphemes.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace veyra {

qsizetype wholeCharactersLength(QStringView text, qsizetype length)
{
    if (length >= text.size()) {
        return text.size();
    }
    if (length <= 0) {
        return 0;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.setPosition(length);
    if (finder.isAtBoundary()) {
        return length;
    }
    return std::max<qsizetype>(finder.toPreviousBoundary(), 0);
}

qsizetype graphemeCount(QStringView text, qsizetype limit)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (count <= limit && finder.toNextBoundary() >= 0) {
        ++count;
    }
    return count;
}

} // namespace veyra
