#pragma once

#include <QRectF>
#include <QString>
#include <QVector>

namespace veyra {

// One recognised text region. The box is in normalised image coordinates: 0 to 1 on
// both axes, origin at the bottom-left corner, y growing upwards (so x() is the left
// edge, y() the lower edge and y() + height() the upper edge).
struct RecognizedTextFragment
{
    QString text;
    QRectF boundingBox;
    float confidence = 0.0F; // 0 to 1

    // Exact comparison of every field (QRectF's own operator== is fuzzy).
    friend bool operator==(const RecognizedTextFragment &a, const RecognizedTextFragment &b);
};

// The fragments' texts as one line in reading order: fragments without visible text are
// dropped; the rest are sorted top to bottom (centres within 0.001 count as one height,
// then left to right), grouped into visual lines (a fragment joins the first line whose
// first fragment overlaps it vertically by half the smaller height, or whose centre is
// within half the larger height), each line ordered left to right, and everything joined
// with single spaces, whitespace collapsed.
QString readingOrderText(const QVector<RecognizedTextFragment> &fragments);

} // namespace veyra
