#pragma once

#include "capture/recognition/RecognizedTextFragment.h"
#include "capture/recognition/TextRecognizing.h"
#include "foundation/errors/Error.h"

#include <QStringList>

namespace veyra {

// Text recognition could not run. Reaches the log only.
class TextRecognitionError : public Error
{
public:
    enum class Kind {
        // The engine or its language data could not be loaded.
        engineUnavailable,
        // The engine failed on the image.
        recognitionFailed,
        // The image is larger than the engine can address (32767 pixels a side).
        imageTooLarge,
    };

    explicit TextRecognitionError(Kind kind);
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// Reads English, Japanese and Korean text with Tesseract's LSTM engine. The script is
// decided first, on the start of the first line, and the text is then read with that
// script's own model; where no model finds its own letters in that sample, the whole
// image is read with each model and the best reading in its own script kept. The engines
// (one model each) are loaded on first use and kept for the process, one per model for
// all threads: a call borrows the one of its script and hands it back, so calls on
// different threads read different scripts in parallel, and a call whose script another
// thread reads with waits for it (a second copy of a model would take tens of MiB for a
// wait of tens of milliseconds).
class TesseractTextRecognizer : public TextRecognizing
{
public:
    // Debian's tesseract-ocr language data.
    static QString defaultDataPath();
    // The models of the three scripts: English, Japanese, Korean.
    static QStringList models();

    explicit TesseractTextRecognizer(QString dataPath = defaultDataPath());

    // Reading order over recognizeFragments(); an empty image gives the empty text.
    QString recognizeText(const QImage &image) const override;

    // Keeps only the dialogue of the box (isolatingDialogueText) and reads that; a box
    // without text gives the empty text without running the engine.
    QString recognizeDialogueText(const QImage &box, const DialogueBackgroundPattern &pattern) const override;

    // Tesseract's text lines with their boxes (normalised, origin bottom left) and
    // confidences; spaces between Han or kana characters are removed from each line.
    QVector<RecognizedTextFragment> recognizeFragments(const QImage &image) const;

    // Loads an engine of every model now instead of on the first recognitions.
    void prepareEngine() const;

    // How many engines the process has loaded so far (one per data path and model).
    static int loadedEngineCount();

private:
    QString m_dataPath;
};

} // namespace veyra
