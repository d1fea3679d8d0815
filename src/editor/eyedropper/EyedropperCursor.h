#pragma once

#include <QCursor>

namespace veyra {

// The pointer over the area the eyedropper samples: the eyedropper symbol, 20 points in a
// 24-point image, black with a white rim so that it shows on any game picture; its hot
// spot is the symbol's tip. Made once per process on first use (the crosshair when the
// symbol cannot be drawn). GUI thread only.
const QCursor &eyedropperCursor();

} // namespace veyra
