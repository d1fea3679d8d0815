#pragma once

#include <QByteArray>

namespace veyra {

// Debian's Korean LSTM models know only about 1,150 of the 2,350 syllables of the common
// Korean character set (KS X 1001): everyday syllables such as 잤, 늑, 훔 or 흩 are missing,
// so the engine can never read them and puts the nearest known syllable in their place.
// The network itself reads Hangul by its letters (initial, vowel, final), and its
// character set only decides which combinations it may put out. This adds every syllable
// of KS X 1001 whose three letters the model already reads to the character set and its
// letter coding, leaving the network as it is.
//
// Takes and returns the bytes of a ".traineddata" file; data it cannot take apart (no
// LSTM character set, no letter coding, no Hangul) comes back unchanged.
QByteArray withCommonHangulSyllables(const QByteArray &traineddata);

} // namespace veyra
