#include "support/RecognitionQuality.h"

#include "capture/areas/CaptureAreaEditorRules.h"
#include "capture/recognition/DefaultDialogueBackgroundPatternAnalyzer.h"
#include "foundation/text/TextNormalization.h"
#include "support/RunTask.h"

#include <algorithm>
#include <vector>

namespace veyra::test {

RecognitionScore &RecognitionScore::operator+=(const RecognitionScore &other)
{
    characters += other.characters;
    errors += other.errors;
    lines += other.lines;
    exactLines += other.exactLines;
    return *this;
}

double RecognitionScore::characterErrorRate() const
{
    return characters == 0 ? 0.0 : static_cast<double>(errors) / static_cast<double>(characters);
}

double RecognitionScore::exactLineShare() const
{
    return lines == 0 ? 0.0 : static_cast<double>(exactLines) / static_cast<double>(lines);
}

RecognitionScore scoreRecognition(const QStringList &expectedLines, const QString &recognised)
{
    // The expected text as scalars, with the line each scalar belongs to (a separating
    // space belongs to the line after it).
    std::vector<char32_t> expected;
    std::vector<int> lineOf;
    RecognitionScore score;
    for (qsizetype line = 0; line < expectedLines.size(); ++line) {
        const QString text = collapseWhitespace(expectedLines[line].normalized(QString::NormalizationForm_KC));
        if (text.isEmpty()) {
            continue;
        }
        if (!expected.empty()) {
            expected.push_back(U' ');
            lineOf.push_back(score.lines);
        }
        for (char32_t scalar : text.toUcs4()) {
            expected.push_back(scalar);
            lineOf.push_back(score.lines);
        }
        ++score.lines;
    }
    const QList<uint> actualScalars = collapseWhitespace(recognised.normalized(QString::NormalizationForm_KC)).toUcs4();
    const std::vector<char32_t> actual(actualScalars.begin(), actualScalars.end());
    score.characters = static_cast<qsizetype>(expected.size());

    const std::size_t n = expected.size();
    const std::size_t m = actual.size();
    std::vector<std::vector<int>> distance(n + 1, std::vector<int>(m + 1, 0));
    for (std::size_t i = 0; i <= n; ++i) {
        distance[i][0] = static_cast<int>(i);
    }
    for (std::size_t j = 0; j <= m; ++j) {
        distance[0][j] = static_cast<int>(j);
    }
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= m; ++j) {
            const int substitution = distance[i - 1][j - 1] + (expected[i - 1] == actual[j - 1] ? 0 : 1);
            distance[i][j] = std::min({substitution, distance[i - 1][j] + 1, distance[i][j - 1] + 1});
        }
    }
    score.errors = distance[n][m];

    // Walk one optimal alignment back and mark the lines its edits touch.
    std::vector<bool> touched(static_cast<std::size_t>(std::max(score.lines, 1)), false);
    const auto lineBefore = [&](std::size_t i) { return i == 0 ? 0 : lineOf[i - 1]; };
    std::size_t i = n;
    std::size_t j = m;
    while (i > 0 || j > 0) {
        if (i > 0 && j > 0 && distance[i][j] == distance[i - 1][j - 1] + (expected[i - 1] == actual[j - 1] ? 0 : 1)) {
            if (expected[i - 1] != actual[j - 1]) {
                touched[static_cast<std::size_t>(lineOf[i - 1])] = true;
            }
            --i;
            --j;
        } else if (i > 0 && distance[i][j] == distance[i - 1][j] + 1) {
            touched[static_cast<std::size_t>(lineOf[i - 1])] = true;
            --i;
        } else {
            // Inserted text belongs to the line it follows (or the first line).
            touched[static_cast<std::size_t>(lineBefore(i))] = true;
            --j;
        }
    }
    for (int line = 0; line < score.lines; ++line) {
        if (!touched[static_cast<std::size_t>(line)]) {
            ++score.exactLines;
        }
    }
    return score;
}

CaptureAreaProfile captureAreaProfileFor(const GameDialogueFrame &frame)
{
    const QRect r = frame.searchRegion;
    const CaptureRegion searchRegion{r.left(), r.top(), r.width(), r.height()};
    const CaptureRegion sample = eyedropperSampleRegion(frame.eyedropperPixel, searchRegion);
    const auto analysed = DefaultDialogueBackgroundPatternAnalyzer().analyze(frame.frame, sample);
    const DialogueBackgroundPattern pattern = analysed ? analysed->first : DialogueBackgroundPattern{};
    return CaptureAreaProfile{{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("io.example.game")},
        QStringLiteral("Game"), frame.frame.width(), frame.frame.height(),
        {CaptureArea{QStringLiteral("dialogue"), searchRegion, pattern}}};
}

QString readThroughFrameProcessor(DefaultCaptureFrameProcessor &processor, const GameDialogueFrame &frame,
    std::shared_ptr<CaptureFrameRecognitionCache> cache)
{
    const QVector<CaptureAreaText> texts
        = runTask(processor.process(frame.frame, captureAreaProfileFor(frame), CancellationToken(), std::move(cache)));
    return texts.isEmpty() ? QString() : texts.front().text;
}

QString readThroughFrameProcessor(
    DefaultCaptureFrameProcessor &processor, const QImage &frame, const CaptureAreaProfile &profile)
{
    const QVector<CaptureAreaText> texts = runTask(processor.process(frame, profile, CancellationToken(), nullptr));
    return texts.isEmpty() ? QString() : texts.front().text;
}

} // namespace veyra::test
