#include "update/version/BuildComparison.h"

#include <QList>

namespace veyra {

namespace {

bool isDecimalDigit(char32_t c)
{
    return QChar::isDigit(c);
}

// The digits of the run starting at `begin` without leading zeros, and where it ends.
std::pair<QList<int>, qsizetype> digitRun(const QList<uint> &text, qsizetype begin)
{
    QList<int> digits;
    qsizetype end = begin;
    for (; end < text.size() && isDecimalDigit(text[end]); ++end) {
        const int value = QChar::digitValue(static_cast<char32_t>(text[end]));
        if (!digits.isEmpty() || value != 0) {
            digits.append(value);
        }
    }
    return {digits, end};
}

} // namespace

std::strong_ordering compareBuilds(const QString &lhs, const QString &rhs)
{
    const QList<uint> a = lhs.trimmed().toUcs4();
    const QList<uint> b = rhs.trimmed().toUcs4();
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDecimalDigit(a[i]) && isDecimalDigit(b[j])) {
            const auto [left, leftEnd] = digitRun(a, i);
            const auto [right, rightEnd] = digitRun(b, j);
            // Without leading zeros, the longer run holds the larger number.
            if (const auto order = left.size() <=> right.size(); order != 0) {
                return order;
            }
            for (qsizetype k = 0; k < left.size(); ++k) {
                if (const auto order = left[k] <=> right[k]; order != 0) {
                    return order;
                }
            }
            i = leftEnd;
            j = rightEnd;
            continue;
        }
        if (const auto order = a[i] <=> b[j]; order != 0) {
            return order;
        }
        ++i;
        ++j;
    }
    return (a.size() - i) <=> (b.size() - j);
}

bool isBuildNumericallyNewer(const QString &candidate, const QString &reference)
{
    return compareBuilds(candidate, reference) == std::strong_ordering::greater;
}

} // namespace veyra
