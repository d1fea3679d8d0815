#include "capture/recognition/TesseractTextRecognizer.h"

#include "capture/recognition/JapaneseSpacing.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>

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

// The calling thread's engine for `dataPath`, loaded on first use. A failed load is not
// kept, so the next call tries again; engines already loaded stay as they are.
tesseract::TessBaseAPI &engineForThisThread(const QString &dataPath)
{
    thread_local std::map<QString, std::unique_ptr<tesseract::TessBaseAPI>> engines;
    if (const auto found = engines.find(dataPath); found != engines.end()) {
        return *found->second;
    }
    if (engines.empty()) {
        keepOpenMPOnThisThread();
    }
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    const QByteArray path = dataPath.toLocal8Bit();
    const QByteArray languages = TesseractTextRecognizer::languages().toLatin1();
    if (api->Init(path.constData(), languages.constData(), tesseract::OEM_LSTM_ONLY) != 0) {
        throw TextRecognitionError(TextRecognitionError::Kind::engineUnavailable);
    }
    // A dialogue box is one block of text lines.
    api->SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
    // With "eng" first the engine takes English word spacing and would otherwise put
    // spaces between CJK characters.
    api->SetVariable("preserve_interword_spaces", "1");
    // No diagnostics on stderr for every image.
    api->SetVariable("debug_file", "/dev/null");
    loadedEngines.fetch_add(1, std::memory_order_relaxed);
    return *engines.emplace(dataPath, std::move(api)).first->second;
}

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

QString TesseractTextRecognizer::languages()
{
    return QStringLiteral("eng+jpn+kor");
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
    engineForThisThread(m_dataPath);
}

QString TesseractTextRecognizer::recognizeText(const QImage &image) const
{
    return readingOrderText(recognizeFragments(image));
}

QVector<RecognizedTextFragment> TesseractTextRecognizer::recognizeFragments(const QImage &image) const
{
    QVector<RecognizedTextFragment> fragments;
    if (image.isNull() || image.width() < 1 || image.height() < 1) {
        return fragments;
    }
    if (image.width() > largestSide || image.height() > largestSide) {
        throw TextRecognitionError(TextRecognitionError::Kind::imageTooLarge);
    }
    tesseract::TessBaseAPI &api = engineForThisThread(m_dataPath);

    // Grey images (text prepared for reading) go in as they are, everything else as RGB.
    const QImage pixels = image.format() == QImage::Format_Grayscale8 ? image
                                                                      : image.convertToFormat(QImage::Format_RGB888);
    const double width = pixels.width();
    const double height = pixels.height();
    ClearOnExit clear(api);
    api.SetImage(pixels.constBits(), pixels.width(), pixels.height(), pixels.depth() / 8,
        static_cast<int>(pixels.bytesPerLine()));
    // Screen pixels carry no resolution; this is the value the engine assumes anyway.
    api.SetSourceResolution(70);
    if (api.Recognize(nullptr) != 0) {
        throw TextRecognitionError(TextRecognitionError::Kind::recognitionFailed);
    }

    std::unique_ptr<tesseract::ResultIterator> line(api.GetIterator());
    if (!line) {
        return fragments;
    }
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
        fragments.append({removingSpacesBetweenHanAndKana(QString::fromUtf8(utf8.get())), box,
            std::clamp(line->Confidence(level) / 100.0F, 0.0F, 1.0F)});
    } while (line->Next(level));
    return fragments;
}

} // namespace veyra
