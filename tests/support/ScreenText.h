#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tesseract {
class TessBaseAPI;
}

namespace veyra::test {

// A word read off the screen.
struct ScreenWord
{
    QString text;
    // In the coordinates of the picture read (root coordinates for a screenshot).
    QRect box;
    // Words of one line share the number; lines are numbered from 0 in reading order.
    int line = 0;
};

// Reads English text off a screenshot with Tesseract, the way a user reads a screen: any
// label, button title or line of an overlay, light on dark or dark on light. Words keep
// their places, so that a test can click what it reads. Its engines are loaded once.
class ScreenTextReader
{
public:
    ScreenTextReader();
    ~ScreenTextReader();

    ScreenTextReader(const ScreenTextReader &) = delete;
    ScreenTextReader &operator=(const ScreenTextReader &) = delete;

    bool isValid() const { return !m_engines.empty(); }

    // Tells whether the words read so far are enough.
    using Enough = std::function<bool(const QVector<ScreenWord> &)>;

    // The words inside `region` of the picture; reading stops early once they are enough.
    QVector<ScreenWord> read(const QImage &picture, const QRect &region, const Enough &enough = {});

private:
    static void readInto(tesseract::TessBaseAPI &api, const QImage &gray, QPoint origin, QVector<ScreenWord> &words);

    std::vector<std::unique_ptr<tesseract::TessBaseAPI>> m_engines;
};

// The words as lines of text, one line a row.
QString screenText(const QVector<ScreenWord> &words);

// Letters and digits only, in lower case: what two readings of one text share.
QString comparableText(const QString &text);

// Where the phrase stands: consecutive words of one line whose comparable texts spell it
// (a word of five letters or more may differ by one letter from the phrase's, as OCR
// misreads one now and then), preferably words that stand apart from any other on their line (a button title,
// a label). The box spans those words.
std::optional<QRect> findPhrase(const QVector<ScreenWord> &words, const QString &phrase);

} // namespace veyra::test
