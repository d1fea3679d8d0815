#pragma once

#include <QStringView>

#include <limits>

namespace veyra {

// The length of the longest start of `text` of at most `length` UTF-16 code units that
// ends between two whole characters (grapheme clusters): a text cut there never ends with
// half of an emoji or a letter without its accent.
qsizetype wholeCharactersLength(QStringView text, qsizetype length);

// The number of user-perceived characters (extended grapheme clusters, an emoji of several
// code points or with a skin tone counting as one), counted no further than limit + 1.
qsizetype graphemeCount(QStringView text, qsizetype limit = std::numeric_limits<qsizetype>::max() - 1);

} // namespace veyra
