#pragma once

#include "capture/areas/CaptureArea.h"

#include <QImage>

namespace veyra {

// Prepares a detected dialogue box for reading, using what the capture area knows: the
// box's background colour.
//
// The rectangle of a detected box holds more than the dialogue: a strip of the game's
// scene along its edges (the detector pads it, and a box with rounded corners leaves the
// corners to the scene), the speaker's name tag on or above its edge, its border, and
// the blinking marker that asks the player to continue. Tesseract reads all of these as
// characters. This keeps only what a player reads as the dialogue:
//
// - The box is the area of the box's own colour (measured in the image, near the
//   pattern) with what it encloses; everything connected to the image's edge through
//   other colours (scene, a name tag of another colour with its text) is dropped, and
//   so is everything outside the box's body (the rows and columns that the box's colour
//   spans nearly in full), which removes a name tag of the box's own colour.
// - Text is what differs from the box's colour by at least half as much as the text's
//   own colour does; shadows and the scene seen through a translucent box differ less.
// - Marks too wide or too tall for a line of text (border lines) and small marks that
//   stand alone at the end of a line or on a line of their own (the continue marker)
//   are dropped.
//
// The result is dark text on white (Format_Grayscale8) with a white margin, scaled so
// that a line of text is about `lineHeight` pixels high, the height Tesseract reads
// best; a null image when the box holds no text.
QImage isolatingDialogueText(const QImage &box, const DialogueBackgroundPattern &pattern);

// The isolated text and how many lines of text it holds (0 for a null image).
struct IsolatedDialogueText
{
    QImage image;
    int lines = 0;
};

// isolatingDialogueText, with the number of lines it found.
IsolatedDialogueText isolateDialogueText(const QImage &box, const DialogueBackgroundPattern &pattern);

} // namespace veyra
