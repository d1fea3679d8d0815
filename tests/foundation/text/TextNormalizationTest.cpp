// Test label: unit
#include "foundation/text/TextNormalization.h"

#include <gtest/gtest.h>

using namespace veyra;

TEST(CollapseWhitespace, SplitsOnEveryWhiteSpaceCharacterAndJoinsWithOneSpace)
{
    EXPECT_EQ(collapseWhitespace(QStringLiteral("  Hello, \n\tworld  ")), QStringLiteral("Hello, world"));
    EXPECT_EQ(collapseWhitespace(QString()), QString());
    EXPECT_EQ(collapseWhitespace(QString::fromUtf8("\u3000\u3000")), QString());
    EXPECT_EQ(collapseWhitespace(QStringLiteral("a\r\nb")), QStringLiteral("a b"));
    EXPECT_EQ(collapseWhitespace(QString::fromUtf8("a\u00A0b")), QStringLiteral("a b"));

    // Each scalar of the Unicode White_Space set separates two words.
    const char32_t whiteSpace[] = {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x20, 0x85, 0xA0, 0x1680, 0x2000, 0x2001, 0x2002,
        0x2003, 0x2004, 0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
    for (char32_t scalar : whiteSpace) {
        const QString text = QStringLiteral("x") + QString::fromUcs4(&scalar, 1) + QStringLiteral("y");
        EXPECT_EQ(collapseWhitespace(text), QStringLiteral("x y")) << std::hex << static_cast<unsigned>(scalar);
        EXPECT_TRUE(isUnicodeWhiteSpace(scalar));
    }

    // Neighbours of the set, zero-width characters included, are not whitespace.
    const char32_t notWhiteSpace[] = {0x08, 0x0E, 0x1F, 0x84, 0x86, 0x1FFF, 0x200B, 0x200C, 0x200D, 0x2027, 0x202A,
        0x205E, 0x2060, 0x2FFF, 0x3001, 0xFEFF};
    for (char32_t scalar : notWhiteSpace) {
        const QString text = QStringLiteral("x") + QString::fromUcs4(&scalar, 1) + QStringLiteral("y");
        EXPECT_EQ(collapseWhitespace(text), text) << std::hex << static_cast<unsigned>(scalar);
        EXPECT_FALSE(isUnicodeWhiteSpace(scalar));
    }
}

TEST(CollapseWhitespace, WorksOnGraphemeClustersAndIsIdempotent)
{
    // A space followed by a combining mark is one character whose first scalar is
    // whitespace: the whole cluster separates, the mark goes with it.
    EXPECT_EQ(collapseWhitespace(QString::fromUtf8("a \u0301b")), QStringLiteral("a b"));
    // A combining mark on a letter stays.
    EXPECT_EQ(collapseWhitespace(QString::fromUtf8(" e\u0301 ")), QString::fromUtf8("e\u0301"));
    // Characters outside the BMP are kept whole.
    EXPECT_EQ(
        collapseWhitespace(QString::fromUtf8("\U0001F600\t\U0001F600")), QString::fromUtf8("\U0001F600 \U0001F600"));
    // Nothing but whitespace changes: no case folding, no normalisation.
    const QString untouched = QString::fromUtf8("Ünïcode e\u0301 ＡＢＣ");
    EXPECT_EQ(collapseWhitespace(untouched), untouched);

    const QString messy = QString::fromUtf8("\u2003 그는 \n\n 말했다\u3000「こんにちは」 \r\n");
    const QString once = collapseWhitespace(messy);
    EXPECT_EQ(once, QString::fromUtf8("그는 말했다 「こんにちは」"));
    EXPECT_EQ(collapseWhitespace(once), once);
}
