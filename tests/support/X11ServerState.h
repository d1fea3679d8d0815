#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace veyra::test {

// Whether some client keeps the window redirected through Composite (asked over a
// connection of its own: only a redirected window has a pixmap to name).
bool isRedirected(const QString &display, std::uint32_t window);

// The bytes of System V shared memory this process has mapped now.
std::size_t mappedSharedMemoryBytes();

} // namespace veyra::test
