#pragma once

#include "capture/areas/CaptureArea.h"

#include <QImage>
#include <QSize>

namespace veyra {

// Paints over the scene around a detected dialogue box before its text is read.
//
// The rectangle of a detected box reaches a little past the box (the detector pads it),
// so a generously drawn search region leaves a strip of the game's scene along the
// crop's edges. Tesseract reads the sharp edge between that strip and the box as
// characters ("|", "l", even "人"). Every pixel within `band` of the image's edges that
// does not have the background colour and is connected to the image's border through
// such pixels takes the background colour. Pixels further inside are never touched, so
// text on a box whose background varies (a translucent box) stays as it is.
QImage clearingEdgeScenery(const QImage &box, const DialogueBackgroundPattern &pattern, QSize band);

} // namespace veyra
