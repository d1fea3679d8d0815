#pragma once

#include <utility>

namespace veyra {

// Sorts `items` stably by moving each element in front of its predecessor for as long as
// `comesBefore(element, predecessor)` holds. Unlike std::sort and std::stable_sort this
// stays well defined for rules that are not strict weak orderings (tolerances, ties that
// skip a tie-breaker): the result is exactly what the rule says step by step.
template <typename Container, typename ComesBefore>
void stableInsertionSort(Container &items, ComesBefore comesBefore)
{
    using std::swap;
    const auto count = items.size();
    for (decltype(items.size()) i = 1; i < count; ++i) {
        for (auto j = i; j > 0 && comesBefore(items[j], items[j - 1]); --j) {
            swap(items[j], items[j - 1]);
        }
    }
}

} // namespace veyra
