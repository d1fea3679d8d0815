// Test label: unit
#include "capture/recognition/HangulModelExtension.h"
#include "capture/recognition/TesseractTextRecognizer.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace veyra;

namespace {

QByteArray model(const QString &name)
{
    QFile file(QDir(TesseractTextRecognizer::defaultDataPath()).filePath(name + QStringLiteral(".traineddata")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The LSTM character set of a .traineddata file (component 21).
QByteArray characterSet(const QByteArray &traineddata)
{
    std::int32_t count = 0;
    std::memcpy(&count, traineddata.constData(), sizeof(count));
    std::vector<std::int64_t> offsets(static_cast<std::size_t>(count));
    std::memcpy(offsets.data(), traineddata.constData() + 4, offsets.size() * sizeof(std::int64_t));
    std::int64_t end = traineddata.size();
    for (std::int64_t offset : offsets) {
        if (offset > offsets[21]) {
            end = std::min(end, offset);
        }
    }
    return traineddata.mid(offsets[21], end - offsets[21]);
}

bool holds(const QByteArray &set, const QString &character)
{
    return set.contains('\n' + character.toUtf8() + ' ');
}

} // namespace

TEST(HangulModelExtension, AddsTheCommonSyllablesTheKoreanModelLacks)
{
    const QByteArray korean = model(QStringLiteral("kor"));
    ASSERT_FALSE(korean.isEmpty()) << "tesseract-ocr-kor is required";
    const QByteArray stock = characterSet(korean);
    ASSERT_FALSE(holds(stock, QStringLiteral("잤")));
    ASSERT_TRUE(holds(stock, QStringLiteral("가")));

    const QByteArray extended = characterSet(withCommonHangulSyllables(korean));
    EXPECT_TRUE(holds(extended, QStringLiteral("잤")));
    EXPECT_TRUE(holds(extended, QStringLiteral("흩")));
    EXPECT_TRUE(holds(extended, QStringLiteral("가")));
    // Only syllables of the common set are added: 똠 is not one of them.
    EXPECT_FALSE(holds(extended, QStringLiteral("똠")));
    // The first line counts the characters; the known ones keep their lines and order.
    EXPECT_GT(extended.left(extended.indexOf('\n')).toInt(), stock.left(stock.indexOf('\n')).toInt() + 1000);
    EXPECT_TRUE(extended.mid(extended.indexOf('\n')).startsWith(stock.mid(stock.indexOf('\n'))));
}

TEST(HangulModelExtension, LeavesOtherDataAsItIs)
{
    const QByteArray japanese = model(QStringLiteral("jpn"));
    ASSERT_FALSE(japanese.isEmpty()) << "tesseract-ocr-jpn is required";
    EXPECT_EQ(withCommonHangulSyllables(japanese), japanese);
    EXPECT_EQ(withCommonHangulSyllables(QByteArray()), QByteArray());
    EXPECT_EQ(
        withCommonHangulSyllables(QByteArrayLiteral("not a model at all")), QByteArrayLiteral("not a model at all"));
    // A file cut short is not taken apart.
    const QByteArray korean = model(QStringLiteral("kor"));
    EXPECT_EQ(withCommonHangulSyllables(korean.left(korean.size() / 2)), korean.left(korean.size() / 2));
}
