#include "capture/recognition/RecognizedTextFragment.h"

#include "foundation/text/InsertionSort.h"
#include "foundation/text/TextNormalization.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <vector>

namespace veyra {

namespace {

double minX(const QRectF &box)
{
    return box.x();
}
double minY(const QRectF &box)
{
    return box.y();
}
double maxY(const QRectF &box)
{
    return box.y() + box.height();
}
double midY(const QRectF &box)
{
    return (minY(box) + maxY(box)) / 2.0;
}

// Higher first; centres within 0.001 of each other count as one height, then the
// further left comes first. Not a strict weak ordering (the tolerance is not
// transitive), hence the insertion sort.
bool readsBefore(const RecognizedTextFragment &a, const RecognizedTextFragment &b)
{
    const double difference = midY(a.boundingBox) - midY(b.boundingBox);
    if (std::abs(difference) > 0.001) {
        return difference > 0.0;
    }
    return minX(a.boundingBox) < minX(b.boundingBox);
}

bool sharesLine(const QRectF &first, const QRectF &fragment)
{
    const double overlap = std::min(maxY(first), maxY(fragment)) - std::max(minY(first), minY(fragment));
    if (overlap >= 0.5 * std::min(first.height(), fragment.height())) {
        return true;
    }
    return std::abs(midY(first) - midY(fragment)) <= 0.5 * std::max(first.height(), fragment.height());
}

} // namespace

bool operator==(const RecognizedTextFragment &a, const RecognizedTextFragment &b)
{
    return a.text == b.text && a.boundingBox.x() == b.boundingBox.x() && a.boundingBox.y() == b.boundingBox.y()
        && a.boundingBox.width() == b.boundingBox.width() && a.boundingBox.height() == b.boundingBox.height()
        && a.confidence == b.confidence;
}

QString readingOrderText(const QVector<RecognizedTextFragment> &fragments)
{
    std::vector<RecognizedTextFragment> kept;
    kept.reserve(static_cast<std::size_t>(fragments.size()));
    for (const RecognizedTextFragment &fragment : fragments) {
        if (!collapseWhitespace(fragment.text).isEmpty()) {
            kept.push_back(fragment);
        }
    }
    stableInsertionSort(kept, readsBefore);

    // Each line is compared through its first fragment only; later members do not widen it.
    std::vector<std::vector<RecognizedTextFragment>> lines;
    for (RecognizedTextFragment &fragment : kept) {
        auto line = std::find_if(lines.begin(), lines.end(), [&fragment](const auto &existing) {
            return sharesLine(existing.front().boundingBox, fragment.boundingBox);
        });
        if (line == lines.end()) {
            lines.push_back({std::move(fragment)});
        } else {
            line->push_back(std::move(fragment));
        }
    }

    QStringList lineTexts;
    lineTexts.reserve(static_cast<qsizetype>(lines.size()));
    for (auto &line : lines) {
        stableInsertionSort(line, [](const RecognizedTextFragment &a, const RecognizedTextFragment &b) {
            return minX(a.boundingBox) < minX(b.boundingBox);
        });
        QStringList texts;
        for (const RecognizedTextFragment &fragment : line) {
            texts.append(fragment.text);
        }
        lineTexts.append(texts.join(QLatin1Char(' ')));
    }
    return collapseWhitespace(lineTexts.join(QLatin1Char(' ')));
}

} // namespace veyra
