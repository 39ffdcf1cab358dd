#include "core/jpeg_image.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using namespace testing_support;

// A smooth test picture held bottom row first, as the job holds it.
core::XrgbBuffer smoothPicture(int width, int height)
{
    core::XrgbBuffer picture = core::XrgbBuffer::create(width, height);
    for (int m = 0; m < height; ++m)
        for (int x = 0; x < width; ++x) {
            const int y = height - 1 - m; // from the top
            picture.row(m)[x] = std::uint32_t(std::min(255, x * 3)) << 16 | std::uint32_t(std::min(255, y * 3)) << 8 | 0x40u;
        }
    return picture;
}

std::vector<std::uint8_t> encoded(const core::XrgbBuffer& picture, int quality, bool progressive)
{
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(core::encodeJpeg(picture, std::uint8_t(quality), progressive, bytes), core::JpegEncodeStatus::ok);
    return bytes;
}

TEST(JpegEncode, WritesAPlainJfifFile)
{
    for (bool progressive : {false, true}) {
        const JpegStructure file = describe(encoded(smoothPicture(35, 39), 80, progressive));
        ASSERT_GE(file.markers.size(), 3u);
        EXPECT_EQ(file.markers.front(), 0xD8);
        EXPECT_EQ(file.markers[1], 0xE0) << "JFIF right after SOI";
        EXPECT_EQ(file.markers.back(), 0xD9);
        ASSERT_EQ(file.app0.size(), 1u);
        // "JFIF\0", version 1.01, density unit 0, density 1 x 1, no thumbnail.
        const std::vector<std::uint8_t> jfif = {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
        EXPECT_EQ(file.app0[0], jfif);
        for (int marker : file.markers) {
            EXPECT_FALSE(marker > 0xE0 && marker <= 0xEF) << "APP" << marker - 0xE0;
            EXPECT_NE(marker, 0xFE) << "comment";
            EXPECT_NE(marker, 0xDD) << "restart interval";
        }
        EXPECT_EQ(file.frameMarker, progressive ? 0xC2 : 0xC0);
        EXPECT_EQ(file.width, 35);
        EXPECT_EQ(file.height, 39);
        ASSERT_EQ(file.components.size(), 3u);
        EXPECT_EQ(file.components[0].id, 1);
        EXPECT_EQ(file.components[0].sampling, 0x22);
        EXPECT_EQ(file.components[0].table, 0);
        for (int c : {1, 2}) {
            EXPECT_EQ(file.components[std::size_t(c)].id, c + 1);
            EXPECT_EQ(file.components[std::size_t(c)].sampling, 0x11);
            EXPECT_EQ(file.components[std::size_t(c)].table, 1);
        }
        if (progressive)
            EXPECT_EQ(file.scans, 10) << "libjpeg's simple progression for three components";
        else
            EXPECT_EQ(file.scans, 1);
    }
}

TEST(JpegEncode, QuantizationTablesFollowTheQualityRule)
{
    for (int quality : {0, 1, 25, 50, 80, 100}) {
        const JpegStructure file = describe(encoded(smoothPicture(16, 16), quality, false));
        EXPECT_FALSE(file.sixteenBitTable) << quality;
        EXPECT_EQ(file.tables[0], expectedQuantTable(0, quality)) << "quality " << quality;
        EXPECT_EQ(file.tables[1], expectedQuantTable(1, quality)) << "quality " << quality;
        EXPECT_TRUE(file.tables[2].empty() && file.tables[3].empty());
    }
    // Quality 100 means every entry is 1, and quality 0 counts as 1.
    EXPECT_EQ(expectedQuantTable(0, 100), std::vector<int>(64, 1));
    EXPECT_EQ(encoded(smoothPicture(16, 16), 0, false), encoded(smoothPicture(16, 16), 1, false));
}

TEST(JpegEncode, DecodesBackToThePictureTopRowFirst)
{
    const struct {
        int width, height;
        bool progressive;
    } cases[] = {{1, 1, false}, {35, 39, false}, {17, 23, true}, {300, 2, true}, {2, 300, false}};
    for (const auto& c : cases) {
        const core::XrgbBuffer picture = smoothPicture(c.width, c.height);
        const RgbPicture decoded = decodeRgb(encoded(picture, 100, c.progressive));
        ASSERT_EQ(decoded.width, c.width);
        ASSERT_EQ(decoded.height, c.height);
        double worst = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                for (int k = 0; k < 3; ++k) {
                    const int want = int(pixelFromTop(picture, x, y) >> (16 - 8 * k) & 0xFF);
                    const int got = decoded.rgb[(std::size_t(y) * std::size_t(c.width) + std::size_t(x)) * 3 + std::size_t(k)];
                    worst = std::max(worst, std::fabs(double(want - got)));
                }
        // 4:2:0 at quality 100 on a smooth picture: a few levels at most.
        EXPECT_LE(worst, 8) << c.width << "x" << c.height;
    }
}

TEST(JpegEncode, IgnoresTheFourthByte)
{
    core::XrgbBuffer plain = smoothPicture(24, 8);
    core::XrgbBuffer marked = smoothPicture(24, 8);
    for (std::size_t i = 0; i < marked.pixelCount(); ++i)
        marked.data()[i] |= 0xA5000000u;
    EXPECT_EQ(encoded(plain, 80, false), encoded(marked, 80, false));
}

TEST(JpegEncode, RefusesSizesLibjpegCannotWrite)
{
    const struct {
        int width, height;
    } cases[] = {{65501, 1}, {1, 65501}, {0, 5}, {5, 0}};
    for (const auto& c : cases) {
        const core::XrgbBuffer picture = core::XrgbBuffer::create(c.width, c.height);
        ASSERT_TRUE(picture.valid());
        std::vector<std::uint8_t> bytes{1, 2, 3};
        EXPECT_EQ(core::encodeJpeg(picture, 80, false, bytes), core::JpegEncodeStatus::libjpegError)
            << c.width << "x" << c.height;
        EXPECT_TRUE(bytes.empty());
    }
    std::vector<std::uint8_t> bytes;
    EXPECT_EQ(core::encodeJpeg(core::XrgbBuffer::create(65500, 1), 80, false, bytes), core::JpegEncodeStatus::ok);
}

} // namespace
