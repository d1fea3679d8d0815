#include "support/ScreenText.h"

#include "capture/recognition/TesseractTextRecognizer.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <numeric>

namespace veyra::test {

namespace {

// Screen text is small: read at three times its size.
constexpr int magnification = 3;

int editDistance(const QString &a, const QString &b)
{
    QVector<int> previous(b.size() + 1);
    std::iota(previous.begin(), previous.end(), 0);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        QVector<int> current(b.size() + 1);
        current[0] = static_cast<int>(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        previous = std::move(current);
    }
    return previous[b.size()];
}

// An OCR word that stands for a word of the phrase. The first word may carry something
// read in front of it (an icon), the last something after it (an ellipsis read as text).
bool wordMatches(const QString &read, const QString &wanted, bool first, bool last)
{
    if (read == wanted || (wanted.size() >= 5 && editDistance(read, wanted) <= 1)) {
        return true;
    }
    return (first && read.endsWith(wanted)) || (last && read.startsWith(wanted));
}

} // namespace

ScreenTextReader::ScreenTextReader()
{
    const QByteArray dataPath = TesseractTextRecognizer::defaultDataPath().toLocal8Bit();
    // Two ways of finding text, as neither finds every label alone: local (Sauvola)
    // thresholds with the page laid out as a document, for panels and buttons of many
    // shades; one threshold for the whole picture with text looked for anywhere, for
    // small titles in framed buttons.
    const std::pair<const char *, tesseract::PageSegMode> readings[]
        = {{"2", tesseract::PSM_AUTO}, {"0", tesseract::PSM_SPARSE_TEXT}};
    for (const auto &[thresholding, layout] : readings) {
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        if (api->Init(dataPath.constData(), "eng", tesseract::OEM_LSTM_ONLY) != 0) {
            m_engines.clear();
            return;
        }
        api->SetPageSegMode(layout);
        api->SetVariable("debug_file", "/dev/null");
        api->SetVariable("thresholding_method", thresholding);
        m_engines.push_back(std::move(api));
    }
}

ScreenTextReader::~ScreenTextReader()
{
    for (const auto &api : m_engines) {
        api->End();
    }
}

QVector<ScreenWord> ScreenTextReader::read(const QImage &picture, const QRect &region, const Enough &enough)
{
    QVector<ScreenWord> words;
    const QRect area = region.intersected(picture.rect());
    if (!isValid() || area.isEmpty()) {
        return words;
    }
    const QImage gray = picture.copy(area)
                            .convertToFormat(QImage::Format_Grayscale8)
                            .scaled(area.size() * magnification, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage inverted = gray;
    inverted.invertPixels();
    // Tesseract finds dark text on a lighter ground: a screen is read as it is and turned
    // over, for light text on dark panels and buttons, by each engine in turn. Each
    // reading's lines follow the previous one's.
    for (const auto &api : m_engines) {
        for (const QImage *image : {&gray, static_cast<const QImage *>(&inverted)}) {
            readInto(*api, *image, area.topLeft(), words);
            if (enough && enough(words)) {
                return words;
            }
        }
    }
    return words;
}

void ScreenTextReader::readInto(
    tesseract::TessBaseAPI &api, const QImage &gray, QPoint origin, QVector<ScreenWord> &words)
{
    api.SetImage(gray.constBits(), gray.width(), gray.height(), 1, static_cast<int>(gray.bytesPerLine()));
    if (api.Recognize(nullptr) != 0) {
        api.Clear();
        return;
    }
    const std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    int line = words.isEmpty() ? -1 : words.last().line;
    bool lineStarted = false;
    while (it) {
        if (!it->Empty(tesseract::RIL_WORD)) {
            if (!lineStarted || it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
                ++line;
                lineStarted = true;
            }
            const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_WORD));
            int left = 0;
            int top = 0;
            int right = 0;
            int bottom = 0;
            if (text && it->BoundingBox(tesseract::RIL_WORD, &left, &top, &right, &bottom)) {
                const QRect box(QPoint(left / magnification, top / magnification),
                    QPoint((right - 1) / magnification, (bottom - 1) / magnification));
                words.append(ScreenWord{QString::fromUtf8(text.get()).trimmed(), box.translated(origin), line});
            }
        }
        if (!it->Next(tesseract::RIL_WORD)) {
            break;
        }
    }
    api.Clear();
}

QString screenText(const QVector<ScreenWord> &words)
{
    QString text;
    int line = words.isEmpty() ? 0 : words.first().line;
    for (const ScreenWord &word : words) {
        if (!text.isEmpty()) {
            text += word.line != line ? QLatin1Char('\n') : QLatin1Char(' ');
        }
        line = word.line;
        text += word.text;
    }
    return text;
}

QString comparableText(const QString &text)
{
    QString comparable;
    for (const QChar character : text) {
        if (character.isLetterOrNumber()) {
            comparable += character.toLower();
        }
    }
    return comparable;
}

std::optional<QRect> findPhrase(const QVector<ScreenWord> &words, const QString &phrase)
{
    QStringList wanted;
    for (const QString &word : phrase.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (const QString comparable = comparableText(word); !comparable.isEmpty()) {
            wanted.append(comparable);
        }
    }
    if (wanted.isEmpty()) {
        return std::nullopt;
    }
    // Words that read as nothing comparable (stray marks) are passed over. A line breaks
    // into groups where the gap between two words is wider than a word is high: two
    // buttons side by side, a label and its value.
    QVector<ScreenWord> readable;
    QVector<int> groups;
    for (const ScreenWord &word : words) {
        if (comparableText(word.text).isEmpty()) {
            continue;
        }
        const bool sameGroup = !readable.isEmpty() && readable.last().line == word.line
            && word.box.left() - readable.last().box.right()
                <= std::max(readable.last().box.height(), word.box.height());
        groups.append(groups.isEmpty() ? 0 : groups.last() + (sameGroup ? 0 : 1));
        readable.append(word);
    }
    // A label or a button title is a group of its own: such a group is preferred to the
    // same words inside longer text.
    std::optional<QRect> partOfGroup;
    for (qsizetype start = 0; start + wanted.size() <= readable.size(); ++start) {
        QRect box;
        bool matches = true;
        for (qsizetype i = 0; i < wanted.size() && matches; ++i) {
            const ScreenWord &word = readable[start + i];
            matches = groups[start + i] == groups[start]
                && wordMatches(comparableText(word.text), wanted[i], i == 0, i == wanted.size() - 1);
            box = box.united(word.box);
        }
        if (!matches) {
            continue;
        }
        const qsizetype end = start + wanted.size();
        const bool wholeGroup = (start == 0 || groups[start - 1] != groups[start])
            && (end == readable.size() || groups[end] != groups[start]);
        if (wholeGroup) {
            return box;
        }
        if (!partOfGroup) {
            partOfGroup = box;
        }
    }
    return partOfGroup;
}

} // namespace veyra::test
