#pragma once

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
};

} // namespace veyra
