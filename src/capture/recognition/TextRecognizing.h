#pragma once

#include "capture/areas/CaptureArea.h"

#include <QImage>
#include <QString>

namespace veyra {

// Reads the text of one dialogue-box image as one line in reading order, whitespace
// collapsed. Blocking and thread-safe: the frame processor calls it on worker threads,
// at most two at a time. Throws an Error when the image cannot be processed; an image
// without text gives the empty text.
class TextRecognizing
{
public:
    virtual ~TextRecognizing() = default;
    virtual QString recognizeText(const QImage &image) const = 0;

    // Reads a dialogue box whose background colour the capture area knows. A recogniser
    // that tells the text from the box by that colour overrides this; by default the
    // colour is not used.
    virtual QString recognizeDialogueText(const QImage &box, const DialogueBackgroundPattern &pattern) const
    {
        static_cast<void>(pattern);
        return recognizeText(box);
    }
};

} // namespace veyra
