#pragma once

#include <array>

namespace veyra {

// The eight resize handles of a selected capture area, clockwise from the top-left corner.
enum class CaptureAreaResizeHandle { topLeft, top, topRight, right, bottomRight, bottom, bottomLeft, left };

inline constexpr std::array<CaptureAreaResizeHandle, 8> allCaptureAreaResizeHandles{
    CaptureAreaResizeHandle::topLeft,
    CaptureAreaResizeHandle::top,
    CaptureAreaResizeHandle::topRight,
    CaptureAreaResizeHandle::right,
    CaptureAreaResizeHandle::bottomRight,
    CaptureAreaResizeHandle::bottom,
    CaptureAreaResizeHandle::bottomLeft,
    CaptureAreaResizeHandle::left,
};

} // namespace veyra
