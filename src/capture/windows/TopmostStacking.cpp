#include "capture/windows/TopmostStacking.h"

#include <algorithm>

namespace veyra {

std::optional<TopmostRestacking> topmostRestacking(
    const QVector<StackedWindow> &stack, const QVector<std::uint32_t> &kept, std::uint32_t gameWindow)
{
    const auto position = [&stack](std::uint32_t id) {
        const auto found
            = std::find_if(stack.cbegin(), stack.cend(), [id](const StackedWindow &window) { return window.id == id; });
        return found == stack.cend() ? qsizetype(-1) : qsizetype(found - stack.cbegin());
    };
    QVector<qsizetype> positions;
    for (const std::uint32_t id : kept) {
        if (const qsizetype at = position(id); at >= 0) {
            positions.append(at);
        }
    }
    if (positions.isEmpty()) {
        return std::nullopt;
    }
    // The highest window the kept ones must stand above.
    qsizetype floor = -1;
    for (qsizetype i = stack.size() - 1; i >= 0; --i) {
        const StackedWindow &window = stack[i];
        if (kept.contains(window.id) || !window.isViewable
            || (window.bypassesWindowManager && window.id != gameWindow)) {
            continue;
        }
        floor = i;
        break;
    }
    const bool inOrder
        = std::adjacent_find(positions.cbegin(), positions.cend(), std::greater_equal<>()) == positions.cend();
    if (inOrder && positions.front() > floor) {
        return std::nullopt;
    }
    TopmostRestacking restacking;
    if (floor >= 0) {
        restacking.above = stack[floor].id;
    }
    return restacking;
}

} // namespace veyra
