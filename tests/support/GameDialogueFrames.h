#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace veyra::test {

enum class DialogueLanguage { english, japanese, korean };

QString dialogueLanguageName(DialogueLanguage language);

// One rendered frame of a game showing a dialogue box, with what a player would do in the
// capture-area editor and what the box says.
struct GameDialogueFrame
{
    DialogueLanguage language = DialogueLanguage::english;
    QImage frame;
    // The dialogue box itself, in frame pixels.
    QRect box;
    // The search region as a player draws it: generously around the box, often taking in
    // the speaker's name tag and some scenery.
    QRect searchRegion;
    // Where the player clicks with the eyedropper: somewhere on the box.
    QPoint eyedropperPixel;
    // The dialogue text, one entry per line shown; no speaker name, no continue marker.
    QStringList lines;
    // What was drawn, for reports: "dark rounded box, tag overlapping, chevron ...".
    QString description;
};

// A game-like frame made from the seed: frame size, scene, box colour (light, dark or
// translucent), border, rounded corners, font, text size (16-40 px), shadow, one to three
// lines, name tag (above, on or overlapping the box edge, or none), continue marker
// (triangle, arrow or chevron, or none) and scenery near the box colour all vary with it.
// The same seed always gives the same frame. Needs a QGuiApplication (fonts).
// `scale` draws the same scene at that multiple of its size (2: a 4K display's frame of
// a 1080p one; 0.75: the game's window made smaller), with the box, the search region and
// the eyedropper's click scaled alike (to the pixels they cover). The frame is the scaled
// size rounded to whole pixels.
GameDialogueFrame generateGameDialogueFrame(DialogueLanguage language, std::uint32_t seed, double scale = 1.0);

// The font families the generator draws with; all must be installed (fonts-noto-cjk,
// fonts-dejavu-core, fonts-liberation2, fonts-open-sans).
QStringList gameDialogueFontFamilies();

} // namespace veyra::test
