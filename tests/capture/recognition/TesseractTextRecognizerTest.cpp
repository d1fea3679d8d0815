// Test label: unit
#include "capture/recognition/TesseractTextRecognizer.h"
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "capture/recognition/DialogueSearchRegionDetector.h"
#include "foundation/async/AsyncTask.h"
#include "support/GameDialogueFrames.h"
#include "support/RecognitionQuality.h"
#include "support/RenderedDialogue.h"
#include "support/RunTask.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <utility>
#include <vector>

using namespace veyra;
using veyra::test::DialogueStyle;
using veyra::test::renderDialogue;
using veyra::test::runTask;

namespace {

const QString japaneseFont = QStringLiteral("Noto Sans CJK JP");
const QString koreanFont = QStringLiteral("Noto Sans CJK KR");

DialogueStyle styleWith(const QString &family)
{
    DialogueStyle style;
    style.fontFamily = family;
    return style;
}

// A data path of the installed models, linked into `folder`.
bool linkModels(const QTemporaryDir &folder)
{
    if (!folder.isValid()) {
        return false;
    }
    for (const QString &model : TesseractTextRecognizer::models()) {
        const QString file = model + QStringLiteral(".traineddata");
        if (!QFile::link(QDir(TesseractTextRecognizer::defaultDataPath()).filePath(file), folder.filePath(file))) {
            return false;
        }
    }
    return true;
}

// What the frame processor reads of a generated game frame drawn at `scale` times its
// size, through the capture area made on it at its own size (the player resized the game's
// window), and the reading's error rate.
std::pair<QString, double> readResized(veyra::test::DialogueLanguage language, std::uint32_t seed, double scale)
{
    using namespace veyra::test;
    const CaptureAreaProfile profile = captureAreaProfileFor(generateGameDialogueFrame(language, seed));
    const GameDialogueFrame frame = generateGameDialogueFrame(language, seed, scale);
    DefaultCaptureFrameProcessor processor(
        std::make_shared<TesseractTextRecognizer>(), std::make_shared<DialogueSearchRegionDetector>());
    const QString text = readThroughFrameProcessor(processor, frame.frame, profile);
    return {text, scoreRecognition(frame.lines, text).characterErrorRate()};
}

// What the frame processor reads of a game frame whose dialogue box shows `lines` in
// `family` at `pixelSize`: light text on a dark box, or dark text on a cream one.
QString readDialogueBox(const QStringList &lines, const QString &family, int pixelSize, bool cream, bool bold = false)
{
    const QColor boxColour = cream ? QColor(236, 228, 204) : QColor(24, 32, 70);
    QImage frame(1280, 720, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            row[x] = qRgb(90 + x * 60 / frame.width(), 140 + y * 50 / frame.height(), 60 + (x + y) % 23);
        }
    }
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    int textWidth = 0;
    for (const QString &line : lines) {
        textWidth = std::max(textWidth, QFontMetrics(font).horizontalAdvance(line));
    }
    const int lineHeight = pixelSize * 3 / 2;
    const QRect box(140, 400, textWidth + 120, static_cast<int>(lines.size()) * lineHeight + 2 * pixelSize);
    QPainter painter(&frame);
    painter.fillRect(box, boxColour);
    painter.setFont(font);
    painter.setPen(cream ? QColor(40, 30, 30) : QColor(250, 250, 245));
    for (int i = 0; i < lines.size(); ++i) {
        painter.drawText(box.left() + 40, box.top() + pixelSize * 2 + i * lineHeight, lines[i]);
    }
    painter.end();
    const CaptureAreaProfile profile{{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("game")},
        QStringLiteral("Game"), frame.width(), frame.height(),
        {CaptureArea{QStringLiteral("dialogue"),
            CaptureRegion{box.left() - 40, box.top() - 40, box.width() + 80, box.height() + 80},
            DialogueBackgroundPattern{boxColour.red(), boxColour.green(), boxColour.blue()}}}};
    DefaultCaptureFrameProcessor processor(
        std::make_shared<TesseractTextRecognizer>(), std::make_shared<DialogueSearchRegionDetector>());
    return veyra::test::readThroughFrameProcessor(processor, frame, profile);
}

class TesseractTextRecognizerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(veyra::test::hasFontFamily(japaneseFont)) << "fonts-noto-cjk is required";
        ASSERT_TRUE(veyra::test::hasFontFamily(koreanFont)) << "fonts-noto-cjk is required";
    }

    TesseractTextRecognizer recognizer;
};

} // namespace

TEST_F(TesseractTextRecognizerTest, ReadsEnglishDialogueLinesInReadingOrder)
{
    EXPECT_EQ(recognizer.recognizeText(renderDialogue({QStringLiteral("Where did you put the old map?")})),
        QStringLiteral("Where did you put the old map?"));
    EXPECT_EQ(recognizer.recognizeText(renderDialogue({QStringLiteral("The bridge to the north has collapsed."),
                  QStringLiteral("We must find another way across.")})),
        QStringLiteral("The bridge to the north has collapsed. We must find another way across."));
    // Dark text on a light panel reads the same.
    DialogueStyle light;
    light.background = QColor(240, 235, 220);
    light.text = QColor(20, 20, 20);
    EXPECT_EQ(recognizer.recognizeText(renderDialogue({QStringLiteral("Where did you put the old map?")}, light)),
        QStringLiteral("Where did you put the old map?"));
}

TEST_F(TesseractTextRecognizerTest, ReadsJapaneseWithoutSpacesBetweenCharacters)
{
    const DialogueStyle style = styleWith(japaneseFont);
    EXPECT_EQ(recognizer.recognizeText(renderDialogue({QStringLiteral("今日はとても良い天気ですね。")}, style)),
        QStringLiteral("今日はとても良い天気ですね。"));
    // Two lines join with one space where the line broke.
    EXPECT_EQ(
        recognizer.recognizeText(renderDialogue(
            {QStringLiteral("今日はとても良い天気ですね。"), QStringLiteral("別の道を探さなければならない。")}, style)),
        QStringLiteral("今日はとても良い天気ですね。 別の道を探さなければならない。"));
}

TEST_F(TesseractTextRecognizerTest, ReadsKoreanKeepingTheSpacesBetweenWords)
{
    const DialogueStyle style = styleWith(koreanFont);
    EXPECT_EQ(recognizer.recognizeText(renderDialogue({QStringLiteral("오늘은 날씨가 정말 좋네요.")}, style)),
        QStringLiteral("오늘은 날씨가 정말 좋네요."));
    EXPECT_EQ(recognizer.recognizeText(renderDialogue(
                  {QStringLiteral("북쪽 다리가 무너졌습니다."), QStringLiteral("다른 길을 찾아야 합니다.")}, style)),
        QStringLiteral("북쪽 다리가 무너졌습니다. 다른 길을 찾아야 합니다."));
    // 잤 and 늑 are common syllables that Debian's Korean model leaves out of its
    // character set; the recogniser adds them.
    EXPECT_EQ(recognizer.recognizeText(renderDialogue({QStringLiteral("잠은 좀 잤어? 늑대가 울었어.")}, style)),
        QStringLiteral("잠은 좀 잤어? 늑대가 울었어."));
}

TEST_F(TesseractTextRecognizerTest, FragmentsCarryNormalisedBoxesWithTheOriginAtTheBottom)
{
    const QImage image = renderDialogue(
        {QStringLiteral("The bridge to the north has collapsed."), QStringLiteral("We must find another way across.")});
    const QVector<RecognizedTextFragment> fragments = recognizer.recognizeFragments(image);
    ASSERT_EQ(fragments.size(), 2);
    const QRectF upper = fragments[0].boundingBox;
    const QRectF lower = fragments[1].boundingBox;
    EXPECT_EQ(fragments[0].text.trimmed(), QStringLiteral("The bridge to the north has collapsed."));
    // The first line is drawn with its baseline at y = 48 of 140, so its box lies in the
    // upper part of the image, which in bottom-left coordinates is the larger y.
    EXPECT_GT(upper.y(), lower.y() + lower.height() - 0.05);
    EXPECT_GT(upper.y() + upper.height(), 0.6);
    EXPECT_LT(lower.y(), 0.4);
    for (const RecognizedTextFragment &fragment : fragments) {
        EXPECT_GE(fragment.boundingBox.x(), 0.0);
        EXPECT_LE(fragment.boundingBox.x() + fragment.boundingBox.width(), 1.0);
        EXPECT_GE(fragment.boundingBox.y(), 0.0);
        EXPECT_LE(fragment.boundingBox.y() + fragment.boundingBox.height(), 1.0);
        EXPECT_NEAR(fragment.boundingBox.x(), 24.0 / 900.0, 0.01);
        EXPECT_GT(fragment.confidence, 0.5F);
        EXPECT_LE(fragment.confidence, 1.0F);
    }
}

TEST_F(TesseractTextRecognizerTest, ImagesWithoutTextGiveTheEmptyText)
{
    EXPECT_EQ(recognizer.recognizeText(renderDialogue({})), QString());
    EXPECT_EQ(recognizer.recognizeText(QImage()), QString());
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(Qt::white);
    EXPECT_EQ(recognizer.recognizeText(pixel), QString());
    QImage strip(2000, 3, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    EXPECT_EQ(recognizer.recognizeText(strip), QString());
    // A strip too low for a line of text, with marks on it, is no work for the engine (it
    // would stretch the strip to its own line height and spend minutes on it): a thread
    // that reads it loads no engine.
    QImage dashes(2000, 5, QImage::Format_RGB32);
    dashes.fill(Qt::white);
    for (int x = 0; x < dashes.width(); x += 8) {
        dashes.setPixel(x, 2, qRgb(0, 0, 0));
    }
    const int enginesBefore = TesseractTextRecognizer::loadedEngineCount();
    QString dashesText = QStringLiteral("unread");
    std::thread reader([&] { dashesText = recognizer.recognizeText(dashes); });
    reader.join();
    EXPECT_EQ(dashesText, QString());
    EXPECT_EQ(TesseractTextRecognizer::loadedEngineCount(), enginesBefore);
}

TEST_F(TesseractTextRecognizerTest, FailuresAreErrorsNotCrashes)
{
    const auto kindOf
        = [](const TesseractTextRecognizer &reader, const QImage &image) -> std::optional<TextRecognitionError::Kind> {
        try {
            reader.recognizeText(image);
        } catch (const TextRecognitionError &error) {
            return error.kind();
        }
        return std::nullopt;
    };
    const QImage text = renderDialogue({QStringLiteral("Hello")});
    EXPECT_EQ(kindOf(TesseractTextRecognizer(QStringLiteral("/nonexistent/tessdata")), text),
        TextRecognitionError::Kind::engineUnavailable);
    QImage tooWide(40000, 2, QImage::Format_RGB32);
    tooWide.fill(Qt::white);
    EXPECT_EQ(kindOf(recognizer, tooWide), TextRecognitionError::Kind::imageTooLarge);
    // The thread's engine still works after a failed load for another data path.
    EXPECT_EQ(recognizer.recognizeText(text), QStringLiteral("Hello"));
}

TEST_F(TesseractTextRecognizerTest, WorkerThreadsRecogniseAtTheSameTime)
{
    const QImage english = renderDialogue({QStringLiteral("Where did you put the old map?")});
    const QImage korean = renderDialogue({QStringLiteral("오늘은 날씨가 정말 좋네요.")}, styleWith(koreanFont));
    // A data path of its own, so that the worker threads load their engines at the same
    // time (the engines of the default path are loaded by the tests before).
    const QTemporaryDir dataPath;
    ASSERT_TRUE(linkModels(dataPath));
    const TesseractTextRecognizer shared(dataPath.path());
    const int enginesBefore = TesseractTextRecognizer::loadedEngineCount();
    // All started at once (a task begins when it is made), then awaited in turn.
    std::vector<QCoro::Task<QString>> readings;
    for (int i = 0; i < 6; ++i) {
        auto reading = [&shared, image = i % 2 == 0 ? english : korean] { return shared.recognizeText(image); };
        readings.push_back(runOnWorker(cpuWorkPool(), std::move(reading)));
    }
    for (std::size_t i = 0; i < readings.size(); ++i) {
        EXPECT_EQ(runTask(std::move(readings[i])),
            i % 2 == 0 ? QStringLiteral("Where did you put the old map?")
                       : QStringLiteral("오늘은 날씨가 정말 좋네요."));
    }
    // One engine per model for all threads, reused for every later image: the threads
    // that read the same script took turns with one engine.
    const int models = static_cast<int>(TesseractTextRecognizer::models().size());
    shared.recognizeText(english);
    shared.recognizeText(korean);
    shared.prepareEngine();
    EXPECT_EQ(TesseractTextRecognizer::loadedEngineCount() - enginesBefore, models);
    // The engines are the process's, not the thread's: a new thread finds them loaded.
    const int enginesPrepared = TesseractTextRecognizer::loadedEngineCount();
    QString fromNewThread;
    std::thread reader([&] {
        shared.prepareEngine();
        fromNewThread = shared.recognizeText(english);
    });
    reader.join();
    EXPECT_EQ(fromNewThread, QStringLiteral("Where did you put the old map?"));
    EXPECT_EQ(TesseractTextRecognizer::loadedEngineCount(), enginesPrepared);
}

TEST_F(TesseractTextRecognizerTest, EnglishDialogueLoadsOnlyTheEnglishModel)
{
    // The engines are kept per data path: one of this test's own starts with none loaded.
    const QTemporaryDir dataPath;
    ASSERT_TRUE(linkModels(dataPath));
    DefaultCaptureFrameProcessor processor(
        std::make_shared<TesseractTextRecognizer>(dataPath.path()), std::make_shared<DialogueSearchRegionDetector>());
    const auto read = [&processor](veyra::test::DialogueLanguage language, std::uint32_t seed) {
        const veyra::test::GameDialogueFrame frame = veyra::test::generateGameDialogueFrame(language, seed);
        return veyra::test::scoreRecognition(frame.lines, veyra::test::readThroughFrameProcessor(processor, frame));
    };
    const int enginesBefore = TesseractTextRecognizer::loadedEngineCount();
    // Game frames whose first line the English model reads with middling confidence: a
    // capital I of one stroke read as "l", a glyph cut in two at the sample's end.
    for (const std::uint32_t seed : {122U, 129U, 139U, 143U}) {
        EXPECT_LT(read(veyra::test::DialogueLanguage::english, seed).characterErrorRate(), 0.05) << seed;
    }
    EXPECT_EQ(TesseractTextRecognizer::loadedEngineCount() - enginesBefore, 1);
    // Korean and Japanese dialogue is still read with its own model.
    for (const auto language : {veyra::test::DialogueLanguage::korean, veyra::test::DialogueLanguage::japanese}) {
        EXPECT_LT(read(language, 9).characterErrorRate(), 0.05)
            << qPrintable(veyra::test::dialogueLanguageName(language));
    }
    EXPECT_EQ(TesseractTextRecognizer::loadedEngineCount() - enginesBefore, 3);
}

TEST_F(TesseractTextRecognizerTest, ALineWhoseSampleDecidesNothingIsReadInItsOwnScript)
{
    // The capture area made on the game's window, which the player then makes 1.3 times as
    // large: no model finds any text in the start of this box's first line there (at 1.29
    // and 1.31 times they do), and taking English by default read the two lines as
    // "COMPUAEBZOLO LD AL. OL & BROT < USL ERT Er,".
    using veyra::test::DialogueLanguage;
    const auto [text, errorRate] = readResized(DialogueLanguage::japanese, 32, 1.3);
    EXPECT_LT(errorRate, 0.05) << qPrintable(text);

    // At 0.92 times its size, the English model reads the start of this box's first line
    // as "COM, HATS. F" with more confidence (0.74) than the Japanese model has in its
    // reading, "この責、覚えてる。お" (0.68).
    const auto [outscoredText, outscoredErrorRate] = readResized(DialogueLanguage::japanese, 13, 0.92);
    EXPECT_LT(outscoredErrorRate, 0.05) << qPrintable(outscoredText);
}

TEST_F(TesseractTextRecognizerTest, AJapaneseLineTheEnglishModelReadsAsSmallLettersIsReadInJapanese)
{
    // At 0.83 times its size, the English model reads the start of this box's first line as
    // "dbmrok, PH ko" (0.62, 8 of its 10 letters small), which is no English: the whole box
    // was read as Latin letters.
    const auto [text, errorRate] = readResized(veyra::test::DialogueLanguage::japanese, 12, 0.83);
    EXPECT_LT(errorRate, 0.05) << qPrintable(text);
}

TEST_F(TesseractTextRecognizerTest, AThinLineThatTheDetectorsWorkingImageSkipsIsRead)
{
    // A cream box with one short line of thin serif text in a search region 1700 pixels
    // wide: the detector's working image, a pixel for 5.3 of the region a side, finds
    // 0.78 % of the box's pixels strongly off its colour (the floor is 1 %), the box's
    // own pixels 1.09 %. The line was never read.
    const QColor cream(246, 238, 214);
    QImage frame(1920, 1080, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            line[x] = qRgb(40 + x * 60 / frame.width(), 80 + y * 60 / frame.height(), 60 + (x + y) % 23);
        }
    }
    const QRect box(310, 910, 1300, 110);
    QPainter painter(&frame);
    painter.fillRect(box, cream);
    QFont font(QStringLiteral("Noto Serif CJK KR"));
    font.setPixelSize(30);
    font.setWeight(QFont::Light);
    painter.setFont(font);
    painter.setPen(QColor(70, 50, 40));
    const QString dialogue = QStringLiteral("돌아갈 길이 막혔다.");
    painter.drawText(box.adjusted(box.width() / 12, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, dialogue);
    painter.end();
    const CaptureAreaProfile profile{{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("game")},
        QStringLiteral("Game"), 1920, 1080,
        {CaptureArea{QStringLiteral("dialogue"), CaptureRegion{110, 850, 1700, 210},
            DialogueBackgroundPattern{cream.red(), cream.green(), cream.blue()}}}};
    DefaultCaptureFrameProcessor processor(
        std::make_shared<TesseractTextRecognizer>(), std::make_shared<DialogueSearchRegionDetector>());
    EXPECT_EQ(veyra::test::readThroughFrameProcessor(processor, frame, profile), dialogue);
}

TEST_F(TesseractTextRecognizerTest, ALineIsolatedAsOneIsReadAsOneLine)
{
    // At 0.74 times its size the engine's layout analysis found a second line in this
    // box's one line, read as "르" after it.
    const auto [text, errorRate] = readResized(veyra::test::DialogueLanguage::korean, 11, 0.74);
    EXPECT_EQ(errorRate, 0.0) << qPrintable(text);
}

TEST_F(TesseractTextRecognizerTest, ACapitalIReadAsAnExclamationMarkIsRestored)
{
    // At 1.06 times its size the line reads "! told you the bridge wouldn't hold."
    const auto [text, errorRate] = readResized(veyra::test::DialogueLanguage::english, 10, 1.06);
    EXPECT_EQ(errorRate, 0.0) << qPrintable(text);
}

TEST_F(TesseractTextRecognizerTest, AnExclamationMarkBeforeAWordInLowerCaseStaysOne)
{
    // Where the pronoun would stand, but drawn as a stroke with a dot below it: these read
    // "Wait I look out." and "Careful I something moves.". Nor is a "1" beside a "!" one
    // stroke.
    const QStringList lines{QStringLiteral("Wait ! look out."), QStringLiteral("Careful ! something moves."),
        QStringLiteral("You reached level 1! now rest.")};
    EXPECT_EQ(readDialogueBox(lines, QStringLiteral("DejaVu Sans"), 28, false), lines.join(QLatin1Char(' ')));
    // Small, bold and with serifs, the dot nearly touches the stroke: the image scaled for
    // reading keeps only a lighter shade between them.
    EXPECT_EQ(readDialogueBox({lines[0]}, QStringLiteral("DejaVu Serif"), 16, false, true), lines[0]);
}

TEST_F(TesseractTextRecognizerTest, ACapitalIReadAsTwoStrokesIsRestored)
{
    // The engine reads this I as "l!" (and others as "1!" or "Il"): one glyph of one stroke.
    const QString line = QStringLiteral("Hmm... I have never been there.");
    EXPECT_EQ(readDialogueBox({line}, QStringLiteral("Open Sans"), 20, true), line);
}

TEST_F(TesseractTextRecognizerTest, EachRecognitionStaysOnItsCallingThread)
{
    // The engine's OpenMP regions would otherwise add a team of worker threads to the
    // process (threads that keep spinning between images) for every recognising thread.
    const auto threadCount
        = [] { return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); };
    const QImage image = renderDialogue(
        {QStringLiteral("The bridge to the north has collapsed."), QStringLiteral("We must find another way across.")});
    qsizetype before = 0;
    qsizetype after = 0;
    QString text;
    std::thread worker([&] {
        before = threadCount();
        text = recognizer.recognizeText(image);
        after = threadCount();
    });
    worker.join();
    EXPECT_EQ(text, QStringLiteral("The bridge to the north has collapsed. We must find another way across."));
    EXPECT_EQ(after, before);
}
