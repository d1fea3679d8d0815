#pragma once

#include <QString>

#include <compare>

namespace veyra {

// Compares two build strings the way builds are ordered: both are trimmed of whitespace
// and line ends first (a signed " 120" must not compare a blank against a digit); then
// every maximal run of decimal digits compares by its numeric value, of any length, and
// every other character by its code point, left to right. So 10 comes after 9 and 1.10
// after 1.9; a string that is a prefix of the other comes first.
std::strong_ordering compareBuilds(const QString &lhs, const QString &rhs);

// True when `candidate` is a newer build than `reference` by compareBuilds().
bool isBuildNumericallyNewer(const QString &candidate, const QString &reference);

} // namespace veyra
