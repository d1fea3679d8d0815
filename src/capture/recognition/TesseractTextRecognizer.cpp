#include "capture/recognition/TesseractTextRecognizer.h"

#include "capture/recognition/DialogueTextIsolation.h"
#include "capture/recognition/GlyphInk.h"
#include "capture/recognition/HangulModelExtension.h"
#include "capture/recognition/JapaneseSpacing.h"
#include "capture/recognition/LatinText.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <QDir>
#include <QFile>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace veyra {

namespace {

QString messageFor(TextRecognitionError::Kind kind)
{
    switch (kind) {
    case TextRecognitionError::Kind::engineUnavailable:
        return QStringLiteral("The text recognition engine or its language data couldn't be loaded.");
    case TextRecognitionError::Kind::recognitionFailed:
        return QStringLiteral("The text recognition engine couldn't process the image.");
    case TextRecognitionError::Kind::imageTooLarge:
        break;
    }
    return QStringLiteral("The image is too large for text recognition.");
}

// Tesseract keeps coordinates in 16-bit integers.
constexpr int largestSide = 32767;

std::atomic<int> loadedEngines{0};

// libtesseract runs parts of its LSTM in OpenMP parallel regions of up to four threads,
// which spin while idle. Recognitions already run one per worker thread, so each keeps to
// its own thread: with max-active-levels 0 every parallel region started on this thread
// runs on it alone. (OMP_THREAD_LIMIT would do the same for the whole process, but
// libgomp reads it once, when it loads with libtesseract before main() runs.) Looked up
// at run time so that a libtesseract built without OpenMP needs nothing.
void keepOpenMPOnThisThread()
{
    using SetMaxActiveLevels = void (*)(int);
    static const SetMaxActiveLevels setMaxActiveLevels = [] {
        SetMaxActiveLevels function = nullptr;
        if (void *symbol = ::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels")) {
            static_assert(sizeof(symbol) == sizeof(function));
            std::memcpy(&function, &symbol, sizeof(function));
        }
        return function;
    }();
    if (setMaxActiveLevels != nullptr) {
        setMaxActiveLevels(0);
    }
}

// Tesseract prints its diagnostics through one setting of the whole process, not of an
// engine, so it is written once, before the first engine loads: engines loading or reading
// on other threads read it, and a write while they do would race with them.
void silenceDiagnostics()
{
    static std::once_flag silenced;
    std::call_once(silenced, [] {
        tesseract::TessBaseAPI api;
        api.SetVariable("debug_file", "/dev/null");
    });
}

// The scripts of the dialogue Veyra reads, each with its own model.
enum class Script { latin, japanese, korean };

const char *modelOf(Script script)
{
    switch (script) {
    case Script::latin:
        return "eng";
    case Script::japanese:
        return "jpn";
    case Script::korean:
        return "kor";
    }
    return "eng";
}

// Loads one script's model into `api`. The Korean model is loaded from memory, with the
// common syllables it lacks added to its character set.
bool initEngine(tesseract::TessBaseAPI &api, const QString &dataPath, Script script)
{
    if (script != Script::korean) {
        const QByteArray path = dataPath.toLocal8Bit();
        return api.Init(path.constData(), modelOf(script), tesseract::OEM_LSTM_ONLY) == 0;
    }
    QFile file(QDir(dataPath).filePath(QStringLiteral("%1.traineddata").arg(QLatin1String(modelOf(script)))));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray model = withCommonHangulSyllables(file.readAll());
    if (model.isEmpty() || model.size() > std::numeric_limits<int>::max()) {
        return false;
    }
    return api.Init(model.constData(), static_cast<int>(model.size()), modelOf(script), tesseract::OEM_LSTM_ONLY,
               nullptr, 0, nullptr, nullptr, false, nullptr)
        == 0;
}

// The process's engines, one per data path and model: a model takes tens of MiB (13 for
// "eng", 13 for "kor", 34 for "jpn"), a read tens of milliseconds, so a recognition whose
// model another thread is reading with waits for it rather than load a second copy;
// recognitions of different scripts run at the same time. An engine is used by one
// thread at a time, the one that borrowed it. Loaded engines stay (the worker pool's
// threads never expire either); a failed load is not kept, so the next call tries again.
class EnginePool
{
public:
    // An engine borrowed from the pool, handed back when it goes.
    class Lease
    {
    public:
        Lease(EnginePool &pool, std::pair<QString, Script> key, std::unique_ptr<tesseract::TessBaseAPI> api)
            : m_pool(pool)
            , m_key(std::move(key))
            , m_api(std::move(api))
        { }
        ~Lease() { m_pool.giveBack(m_key, std::move(m_api)); }
        Lease(const Lease &) = delete;
        Lease &operator=(const Lease &) = delete;

        tesseract::TessBaseAPI &api() const { return *m_api; }

    private:
        EnginePool &m_pool;
        std::pair<QString, Script> m_key;
        std::unique_ptr<tesseract::TessBaseAPI> m_api;
    };

    static EnginePool &instance()
    {
        // Never destroyed: worker threads may still hold engines while the process exits.
        static auto *pool = new EnginePool;
        return *pool;
    }

    Lease borrow(const QString &dataPath, Script script)
    {
        thread_local bool openMPKept = false;
        if (!openMPKept) {
            keepOpenMPOnThisThread();
            openMPKept = true;
        }
        auto key = std::make_pair(dataPath, script);
        {
            std::unique_lock lock(m_mutex);
            Engine &engine = m_engines[key];
            for (;;) {
                if (engine.idle) {
                    return Lease(*this, std::move(key), std::move(engine.idle));
                }
                if (!engine.exists) {
                    break;
                }
                m_returned.wait(lock);
            }
            // Marked while it loads, so that other readers of its script wait for it.
            engine.exists = true;
        }
        silenceDiagnostics();
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        if (!initEngine(*api, dataPath, script)) {
            {
                const std::lock_guard lock(m_mutex);
                m_engines[key].exists = false;
            }
            m_returned.notify_all();
            throw TextRecognitionError(TextRecognitionError::Kind::engineUnavailable);
        }
        // A dialogue box is one block of text lines.
        api->SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
        // Keep the spaces the model reads (Korean word spacing); Japanese spaces are removed
        // afterwards.
        api->SetVariable("preserve_interword_spaces", "1");
        // A vertical bar is never dialogue; the engine reads the capital I as one.
        api->SetVariable("tessedit_char_blacklist", "|");
        loadedEngines.fetch_add(1, std::memory_order_relaxed);
        return Lease(*this, std::move(key), std::move(api));
    }

private:
    struct Engine
    {
        // The engine while nobody reads with it.
        std::unique_ptr<tesseract::TessBaseAPI> idle;
        // Idle, lent or loading.
        bool exists = false;
    };

    void giveBack(const std::pair<QString, Script> &key, std::unique_ptr<tesseract::TessBaseAPI> api)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_engines[key].idle = std::move(api);
        }
        m_returned.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_returned;
    std::map<std::pair<QString, Script>, Engine> m_engines;
};

// Forgets the image and the results when a recognition ends, however it ends.
class ClearOnExit
{
public:
    explicit ClearOnExit(tesseract::TessBaseAPI &api)
        : m_api(api)
    { }
    ~ClearOnExit() { m_api.Clear(); }
    ClearOnExit(const ClearOnExit &) = delete;
    ClearOnExit &operator=(const ClearOnExit &) = delete;

private:
    tesseract::TessBaseAPI &m_api;
};

} // namespace

TextRecognitionError::TextRecognitionError(Kind kind)
    : Error(messageFor(kind))
    , m_kind(kind)
{ }

QString TesseractTextRecognizer::defaultDataPath()
{
    return QStringLiteral("/usr/share/tesseract-ocr/5/tessdata");
}

QStringList TesseractTextRecognizer::models()
{
    return {QStringLiteral("eng"), QStringLiteral("jpn"), QStringLiteral("kor")};
}

TesseractTextRecognizer::TesseractTextRecognizer(QString dataPath)
    : m_dataPath(std::move(dataPath))
{ }

int TesseractTextRecognizer::loadedEngineCount()
{
    return loadedEngines.load(std::memory_order_relaxed);
}

void TesseractTextRecognizer::prepareEngine() const
{
    for (Script script : {Script::latin, Script::japanese, Script::korean}) {
        EnginePool::instance().borrow(m_dataPath, script);
    }
}

QString TesseractTextRecognizer::recognizeText(const QImage &image) const
{
    return readingOrderText(recognizeFragments(image));
}

namespace {

// Sets the image on the engine, with the resolution it would assume anyway (screen
// pixels carry none).
void setImage(tesseract::TessBaseAPI &api, const QImage &pixels)
{
    api.SetImage(pixels.constBits(), pixels.width(), pixels.height(), pixels.depth() / 8,
        static_cast<int>(pixels.bytesPerLine()));
    api.SetSourceResolution(70);
}

// Where to look for the script: the start of the first line of text, at most about ten
// characters of it. The text is taken to be the minority of dark or light pixels; an
// image of one shade throughout holds none, and gives nothing.
std::optional<QRect> scriptSample(const QImage &pixels)
{
    const QImage grey = pixels.convertToFormat(QImage::Format_Grayscale8);
    const std::optional<bool> inkIsDark = inkIsDarkIn(grey);
    if (!inkIsDark) {
        return std::nullopt;
    }
    const int w = grey.width();
    const int h = grey.height();
    const auto isInk = [darkInk = *inkIsDark](uchar value) { return darkInk ? value < 128 : value >= 128; };
    // The runs of rows with ink, and where their ink starts.
    struct Band
    {
        int top = 0;
        int bottom = 0;
        int left = 0;
    };
    std::vector<Band> bands;
    for (int y = 0; y < h; ++y) {
        const uchar *row = grey.constScanLine(y);
        int first = -1;
        for (int x = 0; x < w && first < 0; ++x) {
            if (isInk(row[x])) {
                first = x;
            }
        }
        if (first < 0) {
            continue;
        }
        if (bands.empty() || bands.back().bottom != y - 1) {
            bands.push_back({y, y, first});
        } else {
            bands.back().bottom = y;
            bands.back().left = std::min(bands.back().left, first);
        }
    }
    int tallest = 0;
    for (const Band &candidate : bands) {
        tallest = std::max(tallest, candidate.bottom - candidate.top + 1);
    }
    // The first line of full height: a stray mark above it says nothing of the script.
    const auto line = std::find_if(bands.begin(), bands.end(),
        [tallest](const Band &candidate) { return (candidate.bottom - candidate.top + 1) * 5 >= tallest * 3; });
    if (line == bands.end()) {
        return QRect(0, 0, w, h);
    }
    const int top = line->top;
    const int left = line->left;
    const int band = line->bottom - line->top + 1;
    if (band < 6) {
        return QRect(0, 0, w, h);
    }
    const int pad = band / 4;
    return QRect(0, 0, w, h)
        .intersected(QRect(left - pad, top - pad, std::max(10 * band, 1) + 2 * pad, band + 2 * pad));
}

struct SampleReading
{
    QString text;
    float confidence = 0.0F;
};

// How many letters a word of a reading has.
int letterCount(const QString &word)
{
    return static_cast<int>(std::count_if(word.cbegin(), word.cend(), [](QChar c) { return c.isLetter(); }));
}

// The share of a reading's letters that stand in words of two letters or more which the
// model takes from its dictionary and reads with confidence. The English model reads
// kana, Han and Hangul as runs of letters that are seldom words ("dbmrok, PH ko"), and
// where it does make words of them it has little confidence in them; English text, even
// where a glyph is misread or cut at the sample's end, is mostly made of words.
double dictionaryShareOf(tesseract::TessBaseAPI &api)
{
    constexpr int shortestWord = 2;
    constexpr float lowestWordConfidence = 85.0F;
    constexpr auto level = tesseract::RIL_WORD;
    const std::unique_ptr<tesseract::ResultIterator> word(api.GetIterator());
    if (!word) {
        return 0.0;
    }
    int letters = 0;
    int inWords = 0;
    do {
        if (word->Empty(level)) {
            continue;
        }
        const std::unique_ptr<char[]> utf8(word->GetUTF8Text(level));
        if (!utf8) {
            continue;
        }
        const int count = letterCount(QString::fromUtf8(utf8.get()));
        letters += count;
        if (count >= shortestWord && word->WordIsFromDictionary() && word->Confidence(level) >= lowestWordConfidence) {
            inWords += count;
        }
    } while (word->Next(level));
    return letters == 0 ? 0.0 : static_cast<double>(inWords) / letters;
}

// Reads the sample; the engine keeps the results until the caller clears it.
SampleReading readSample(tesseract::TessBaseAPI &api, const QImage &pixels, const QRect &sample)
{
    setImage(api, pixels);
    api.SetRectangle(sample.x(), sample.y(), sample.width(), sample.height());
    api.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    const int failed = api.Recognize(nullptr);
    api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    if (failed != 0) {
        throw TextRecognitionError(TextRecognitionError::Kind::recognitionFailed);
    }
    const std::unique_ptr<char[]> utf8(api.GetUTF8Text());
    return {utf8 ? QString::fromUtf8(utf8.get()) : QString(), api.MeanTextConf() / 100.0F};
}

// Reads the sample with one script's model.
SampleReading readSampleIn(const QString &dataPath, Script script, const QImage &pixels, const QRect &sample)
{
    const EnginePool::Lease engine = EnginePool::instance().borrow(dataPath, script);
    ClearOnExit clear(engine.api());
    return readSample(engine.api(), pixels, sample);
}

bool isHangul(char32_t scalar)
{
    return (scalar >= 0xAC00 && scalar <= 0xD7A3) || (scalar >= 0x1100 && scalar <= 0x11FF)
        || (scalar >= 0x3130 && scalar <= 0x318F);
}

// The share of the text's letters (punctuation, digits and spaces aside) that pass.
template <typename Predicate>
double shareOf(const QString &text, Predicate passes)
{
    int letters = 0;
    int passing = 0;
    for (char32_t scalar : text.toUcs4()) {
        if (!QChar::isLetter(scalar)) {
            continue;
        }
        ++letters;
        passing += passes(scalar) ? 1 : 0;
    }
    return letters == 0 ? 0.0 : static_cast<double>(passing) / letters;
}

// Whether an English reading of middling confidence is still plainly English text: mostly
// small letters, at least two in five of them in words of its dictionary (the model loses
// confidence over a capital I of one stroke, read as "l" or "1", and over a glyph cut in
// two at the sample's end). Hangul, kana and Han fill the height of the line, and the
// English model reads them mostly as capitals ("COM, HATS."); where it does find small
// letters in them, they make no words ("dbmrok, PH ko" at 0.62, from a Japanese line).
// `api` still holds the reading's results: its words are looked at only when the rest
// holds.
bool readsAsLatinText(const SampleReading &reading, tesseract::TessBaseAPI &api)
{
    constexpr float lowestConfidence = 0.6F;
    constexpr int fewestLetters = 8;
    constexpr double smallLetterShare = 0.8;
    constexpr double wordShare = 0.4;
    return reading.confidence >= lowestConfidence && letterCount(reading.text) >= fewestLetters
        && shareOf(reading.text, [](char32_t scalar) { return QChar::isLower(scalar); }) >= smallLetterShare
        && dictionaryShareOf(api) >= wordShare;
}

bool isLatinLetter(char32_t scalar)
{
    return QChar::script(scalar) == QChar::Script_Latin;
}

// Whether a model's reading shows its own script's letters: most of its letters Hangul,
// Han or kana for the Korean and Japanese models (each also knows Latin letters, and reads
// any text as something), some letters, mostly Latin, for the English model.
bool showsOwnLetters(Script script, const QString &text)
{
    switch (script) {
    case Script::latin:
        return shareOf(text, isLatinLetter) >= 0.5;
    case Script::japanese:
        return shareOf(text, isHanOrKana) >= 0.5;
    case Script::korean:
        return shareOf(text, isHangul) >= 0.5;
    }
    return false;
}

// Reads the start of the first line with each script's model, and takes the script whose
// model reads it with the highest confidence, as long as that model finds its own
// letters there. A clear Korean or Japanese reading ends the search early. Reading all
// three scripts with one combined model instead makes Latin letters of Hangul words
// ("SAS") and Latin punctuation of Japanese.
// Nothing when the sample decides nothing: when no model finds its own letters there
// (Tesseract now and then finds no text at all in a strip of one line that it reads well a
// few pixels wider or narrower), or when the English model outscores one that does (it
// reads Hangul, kana and Han as Latin capitals, "COM, HATS.", now and then with more
// confidence than their own model has in a few characters of them). Taking the English
// model there reads the whole box as Latin capitals.
std::optional<Script> decideScript(const QString &dataPath, const QImage &pixels, const QRect &sample)
{
    // Below this, another model may still read the sample better.
    constexpr float clearConfidence = 0.8F;
    // The English model goes first: it reads Hangul and kana with little confidence, so a
    // clear English reading leaves the Korean and Japanese engines unloaded until a box of
    // their script, or an unclear one, appears (together they take about 45 MiB; the
    // samples of all threads share one of each).
    constexpr float clearLatinConfidence = 0.88F;
    SampleReading latin;
    {
        const EnginePool::Lease engine = EnginePool::instance().borrow(dataPath, Script::latin);
        ClearOnExit clear(engine.api());
        latin = readSample(engine.api(), pixels, sample);
        if (latin.confidence >= clearLatinConfidence || readsAsLatinText(latin, engine.api())) {
            return Script::latin;
        }
    }
    const SampleReading korean = readSampleIn(dataPath, Script::korean, pixels, sample);
    const bool hangul = showsOwnLetters(Script::korean, korean.text);
    if (hangul && korean.confidence >= clearConfidence && korean.confidence > latin.confidence) {
        return Script::korean;
    }
    const SampleReading japanese = readSampleIn(dataPath, Script::japanese, pixels, sample);
    const bool kana = showsOwnLetters(Script::japanese, japanese.text);
    if (!kana && !hangul && !showsOwnLetters(Script::latin, latin.text)) {
        return std::nullopt;
    }
    Script best = Script::latin;
    float bestConfidence = latin.confidence;
    if (kana && japanese.confidence > bestConfidence) {
        best = Script::japanese;
        bestConfidence = japanese.confidence;
    }
    if (hangul && korean.confidence > bestConfidence) {
        best = Script::korean;
    }
    if (best == Script::latin && (kana || hangul)) {
        return std::nullopt;
    }
    return best;
}

// The text lines of a whole image read with one script's model, and the model's mean
// confidence in its words.
struct ImageReading
{
    QVector<RecognizedTextFragment> fragments;
    float confidence = 0.0F;
};

// How the engine finds the lines of an image: as a block of lines, or as the one line
// that the image is known to hold.
enum class Layout { block, singleLine };

// The page mode a script's model reads with. The Korean model's layout analysis now and
// then finds a second line in an image of one (pieces of its strokes, read as "르" or
// "= ㄴㄴ 2 니" after it), which it never does reading one line. The Japanese model reads
// one line no better, and worse where the isolation left a piece of an inset border
// beside it (read as "I" before the line); the English model reads the same either way.
tesseract::PageSegMode pageModeOf(Script script, Layout layout)
{
    return layout == Layout::singleLine && script == Script::korean ? tesseract::PSM_SINGLE_LINE
                                                                    : tesseract::PSM_SINGLE_BLOCK;
}

// Whether the characters from `from` to `to` of a line's text are a whole word of it that
// the image shows as one solid stroke (isSolidStroke): the words of the text are the
// engine's words in order, and the line's words in the image.
bool isSolidStrokeAt(const QString &text, const QImage &pixels, const QRect &lineBox, qsizetype from, qsizetype to)
{
    int words = 0;
    int word = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isSpace() || (i > 0 && !text[i - 1].isSpace())) {
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && !text[end].isSpace()) {
            ++end;
        }
        word = i == from && end == to ? words : word;
        ++words;
    }
    return word >= 0 && isSolidStroke(pixels, lineBox, words, word);
}

ImageReading readImage(const QString &dataPath, Script script, const QImage &pixels, Layout layout)
{
    ImageReading reading;
    const EnginePool::Lease engine = EnginePool::instance().borrow(dataPath, script);
    tesseract::TessBaseAPI &api = engine.api();
    const double width = pixels.width();
    const double height = pixels.height();
    ClearOnExit clear(api);
    setImage(api, pixels);
    api.SetPageSegMode(pageModeOf(script, layout));
    const int failed = api.Recognize(nullptr);
    api.SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    if (failed != 0) {
        throw TextRecognitionError(TextRecognitionError::Kind::recognitionFailed);
    }
    std::unique_ptr<tesseract::ResultIterator> line(api.GetIterator());
    if (!line) {
        return reading;
    }
    reading.confidence = std::clamp(api.MeanTextConf() / 100.0F, 0.0F, 1.0F);
    constexpr auto level = tesseract::RIL_TEXTLINE;
    do {
        if (line->Empty(level)) {
            continue;
        }
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        if (!line->BoundingBox(level, &left, &top, &right, &bottom)) {
            continue;
        }
        const std::unique_ptr<char[]> utf8(line->GetUTF8Text(level));
        if (!utf8) {
            continue;
        }
        // Tesseract's boxes have their origin at the top left, y downwards.
        const QRectF box(left / width, (height - bottom) / height, (right - left) / width, (bottom - top) / height);
        const QString text = QString::fromUtf8(utf8.get());
        QString cleaned;
        if (script == Script::japanese) {
            cleaned = removingSpacesInJapanese(text);
        } else if (script == Script::latin) {
            const QRect lineBox(QPoint(left, top), QPoint(right - 1, bottom - 1));
            cleaned = removingSpacesBetweenHanAndKana(restoringCapitalI(
                text, [&](qsizetype from, qsizetype to) { return isSolidStrokeAt(text, pixels, lineBox, from, to); }));
        } else {
            cleaned = removingSpacesBetweenHanAndKana(text);
        }
        reading.fragments.append({cleaned, box, std::clamp(line->Confidence(level) / 100.0F, 0.0F, 1.0F)});
    } while (line->Next(level));
    return reading;
}

// Where the sample decided nothing, the whole image decides: read with each model, the
// reading of the model that finds its own letters in it with the highest confidence is
// kept (the English model's when none does, as for a sample).
QVector<RecognizedTextFragment> readImageInBestScript(const QString &dataPath, const QImage &pixels, Layout layout)
{
    std::optional<ImageReading> best;
    ImageReading latin;
    for (Script script : {Script::latin, Script::korean, Script::japanese}) {
        ImageReading reading = readImage(dataPath, script, pixels, layout);
        QStringList texts;
        for (const RecognizedTextFragment &fragment : std::as_const(reading.fragments)) {
            texts.append(fragment.text);
        }
        const bool ownLetters = showsOwnLetters(script, texts.join(QLatin1Char(' ')));
        if (ownLetters && (!best || reading.confidence > best->confidence)) {
            best = reading;
        }
        if (script == Script::latin) {
            latin = std::move(reading);
        }
    }
    return best ? std::move(best->fragments) : std::move(latin.fragments);
}

// The text lines of an image: the script decided on a sample of its first line, the
// whole image read with that script's model.
QVector<RecognizedTextFragment> fragmentsOf(const QString &dataPath, const QImage &image, Layout layout)
{
    QVector<RecognizedTextFragment> fragments;
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        return fragments;
    }
    if (image.width() > largestSide || image.height() > largestSide) {
        throw TextRecognitionError(TextRecognitionError::Kind::imageTooLarge);
    }

    // Grey images (text prepared for reading) go in as they are, everything else as RGB.
    const QImage pixels
        = image.format() == QImage::Format_Grayscale8 ? image : image.convertToFormat(QImage::Format_RGB888);
    // An image of one shade has no text, nor one too low for a legible line; the engine
    // would take long over a strip a few pixels high (it scales every line to its own
    // height of about 48 pixels, and the strip's length with it).
    constexpr int lowestLine = 8;
    const std::optional<QRect> sample = pixels.height() < lowestLine ? std::nullopt : scriptSample(pixels);
    if (!sample) {
        return fragments;
    }
    const std::optional<Script> script = decideScript(dataPath, pixels, *sample);
    if (!script) {
        return readImageInBestScript(dataPath, pixels, layout);
    }
    return readImage(dataPath, *script, pixels, layout).fragments;
}

} // namespace

QVector<RecognizedTextFragment> TesseractTextRecognizer::recognizeFragments(const QImage &image) const
{
    return fragmentsOf(m_dataPath, image, Layout::block);
}

QString TesseractTextRecognizer::recognizeDialogueText(
    const QImage &box, const DialogueBackgroundPattern &pattern) const
{
    // Where the isolation found one line, the Korean model reads it as one (pageModeOf).
    const IsolatedDialogueText text = isolateDialogueText(box, pattern);
    if (text.image.isNull()) {
        return {};
    }
    return readingOrderText(fragmentsOf(m_dataPath, text.image, text.lines == 1 ? Layout::singleLine : Layout::block));
}

} // namespace veyra
