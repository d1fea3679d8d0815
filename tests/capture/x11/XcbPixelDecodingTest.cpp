// Test label: unit
// Turning what the X server hands over into images: window pixels of any true-colour
// layout of 16, 24 or 32 bits, and application icons from _NET_WM_ICON (which any client sets,
// so malformed values must be survived).
#include "capture/x11/XcbPixelLayout.h"
#include "capture/x11/XcbWindowList.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <vector>

using namespace veyra;

TEST(XcbPixelDecoding, WindowPixelsBecomeOpaqueRGB32WhateverTheLayout)
{
    // Two rows of two pixels with a row stride of three pixels; the unused top byte holds
    // garbage (or a window's own alpha).
    const std::vector<std::uint32_t> native{0x00112233, 0x7f445566, 0xdeadbeef, 0x12abcdef, 0xff000000, 0xdeadbeef};
    XcbPixelLayout layout{0xff0000, 0xff00, 0xff, false};
    ASSERT_TRUE(layout.isNativeRGB32());
    QImage image = opaqueImageFromPixels(reinterpret_cast<const std::uint8_t *>(native.data()), 12, 2, 2, layout);
    ASSERT_EQ(image.format(), QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0), 0xff112233u);
    EXPECT_EQ(image.pixel(1, 0), 0xff445566u);
    EXPECT_EQ(image.pixel(0, 1), 0xffabcdefu);
    EXPECT_EQ(image.pixel(1, 1), 0xff000000u);

    // Blue and red swapped.
    const std::vector<std::uint32_t> bgr{0x00332211};
    image = opaqueImageFromPixels(
        reinterpret_cast<const std::uint8_t *>(bgr.data()), 4, 1, 1, {0xff, 0xff00, 0xff0000, false});
    EXPECT_EQ(image.pixel(0, 0), 0xff112233u);

    // A server of the other byte order.
    const std::vector<std::uint32_t> swapped{qbswap(std::uint32_t(0x00112233))};
    image = opaqueImageFromPixels(
        reinterpret_cast<const std::uint8_t *>(swapped.data()), 4, 1, 1, {0xff0000, 0xff00, 0xff, true});
    EXPECT_EQ(image.pixel(0, 0), 0xff112233u);

    // Ten bits a channel (depth 30): full, half and no intensity.
    const std::vector<std::uint32_t> deep{(0x3ffu << 20) | (0x200u << 10) | 0x0u};
    image = opaqueImageFromPixels(
        reinterpret_cast<const std::uint8_t *>(deep.data()), 4, 1, 1, {0x3ff00000, 0xffc00, 0x3ff, false});
    EXPECT_EQ(qRed(image.pixel(0, 0)), 255);
    EXPECT_EQ(qGreen(image.pixel(0, 0)), 127);
    EXPECT_EQ(qBlue(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 255);
}

TEST(XcbPixelDecoding, SixteenAndTwentyFourBitPixelsInEitherByteOrder)
{
    // 5-6-5 red, green, blue: full red; half green; a little blue; then white and black.
    // Rows of two pixels padded to 32 bits, so a row is 4 bytes plus 4 of padding.
    const XcbPixelLayout rgb565{0xf800, 0x07e0, 0x001f, false, 16, 32};
    EXPECT_EQ(rgb565.stride(2), 4u);
    EXPECT_EQ(rgb565.stride(3), 8u);
    const auto little = [](std::uint16_t value) {
        return std::vector<std::uint8_t>{std::uint8_t(value & 0xff), std::uint8_t(value >> 8)};
    };
    std::vector<std::uint8_t> pixels;
    for (const std::uint16_t value : {std::uint16_t(0xf800), std::uint16_t((32u << 5) | 4u)}) {
        const auto bytes = little(value);
        pixels.insert(pixels.end(), bytes.begin(), bytes.end());
    }
    pixels.insert(pixels.end(), {0xee, 0xee, 0xee, 0xee}); // padding of the first row
    for (const std::uint16_t value : {std::uint16_t(0xffff), std::uint16_t(0x0000)}) {
        const auto bytes = little(value);
        pixels.insert(pixels.end(), bytes.begin(), bytes.end());
    }
    const bool littleEndianMachine = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
    XcbPixelLayout layout = rgb565;
    layout.byteSwapped = !littleEndianMachine; // the pixels above are least significant byte first
    QImage image = opaqueImageFromPixels(pixels.data(), 8, 2, 2, layout);
    ASSERT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(0, 0), 0xffff0000u);
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 32 * 255 / 63, 4 * 255 / 31));
    EXPECT_EQ(image.pixel(0, 1), 0xffffffffu);
    EXPECT_EQ(image.pixel(1, 1), 0xff000000u);

    // The same pixels from a server of the other byte order.
    std::vector<std::uint8_t> swapped = pixels;
    for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) {
        std::swap(swapped[i], swapped[i + 1]);
    }
    layout.byteSwapped = littleEndianMachine;
    EXPECT_EQ(opaqueImageFromPixels(swapped.data(), 8, 2, 2, layout), image);

    // Packed 24-bit pixels (three bytes each), rows padded to 32 bits: 0x123456 and
    // 0xabcdef least significant byte first, then two bytes of padding.
    const std::vector<std::uint8_t> packed{0x56, 0x34, 0x12, 0xef, 0xcd, 0xab, 0x00, 0x00};
    const XcbPixelLayout rgb888{0xff0000, 0xff00, 0xff, !littleEndianMachine, 24, 32};
    EXPECT_EQ(rgb888.stride(2), 8u);
    image = opaqueImageFromPixels(packed.data(), 8, 2, 1, rgb888);
    EXPECT_EQ(image.pixel(0, 0), 0xff123456u);
    EXPECT_EQ(image.pixel(1, 0), 0xffabcdefu);
    const std::vector<std::uint8_t> packedBigEndian{0x12, 0x34, 0x56, 0xab, 0xcd, 0xef, 0x00, 0x00};
    XcbPixelLayout bigEndian = rgb888;
    bigEndian.byteSwapped = littleEndianMachine;
    EXPECT_EQ(opaqueImageFromPixels(packedBigEndian.data(), 8, 2, 1, bigEndian), image);
}

namespace {

void appendIcon(std::vector<std::uint32_t> &data, std::uint32_t width, std::uint32_t height, std::uint32_t colour)
{
    data.push_back(width);
    data.push_back(height);
    data.insert(data.end(), std::size_t(width) * height, colour);
}

} // namespace

TEST(XcbPixelDecoding, PicksTheSmallestIconOfAtLeastThePreferredSizeElseTheLargest)
{
    std::vector<std::uint32_t> data;
    appendIcon(data, 16, 16, 0xff0000ff);
    appendIcon(data, 128, 128, 0x80ff0000);
    appendIcon(data, 64, 48, 0xff00ff00);
    appendIcon(data, 64, 64, 0x4000ff00);
    QImage icon = windowIconFromProperty(data.data(), data.size(), 64);
    ASSERT_EQ(icon.size(), QSize(64, 64));
    EXPECT_EQ(icon.format(), QImage::Format_ARGB32);
    EXPECT_EQ(icon.pixel(63, 63), 0x4000ff00u);

    data.clear();
    appendIcon(data, 16, 16, 0xff0000ff);
    appendIcon(data, 32, 24, 0xff00ff00);
    EXPECT_EQ(windowIconFromProperty(data.data(), data.size(), 64).size(), QSize(32, 24));
}

TEST(XcbPixelDecoding, MalformedIconValuesEndTheScanWithoutHarm)
{
    EXPECT_TRUE(windowIconFromProperty(nullptr, 0).isNull());
    const std::vector<std::uint32_t> lonely{16};
    EXPECT_TRUE(windowIconFromProperty(lonely.data(), lonely.size()).isNull());
    const std::vector<std::uint32_t> empty{0, 16, 1, 2, 3};
    EXPECT_TRUE(windowIconFromProperty(empty.data(), empty.size()).isNull());
    const std::vector<std::uint32_t> huge{0xffffffff, 0xffffffff, 1, 2, 3};
    EXPECT_TRUE(windowIconFromProperty(huge.data(), huge.size()).isNull());

    // A good icon followed by a truncated one: the good one is kept.
    std::vector<std::uint32_t> data;
    appendIcon(data, 8, 8, 0xff123456);
    data.insert(data.end(), {256, 256, 1, 2, 3});
    const QImage icon = windowIconFromProperty(data.data(), data.size());
    ASSERT_EQ(icon.size(), QSize(8, 8));
    EXPECT_EQ(icon.pixel(0, 0), 0xff123456u);
}
