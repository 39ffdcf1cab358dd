#include "core/ppm.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "core/area_average.h"
#include "core/picture_codec.h"
#include "core/resize_job.h"
#include "test_support.h"

namespace {

using namespace testing_support;

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

TEST(PpmHeader, AcceptsBinaryP6WithMaxval255)
{
    const struct {
        std::string head;
        int width, height;
    } cases[] = {
        {"P6\n2 1\n255\n", 2, 1},
        {"P6 2 1 255 ", 2, 1},
        {"P6\n# made by hand\n2 # width\n1\n255\n", 2, 1},
        {"P6\r\n2\t1\r\n255\n", 2, 1},
    };
    for (const auto& c : cases) {
        auto bytes = bytesOf(c.head);
        bytes.resize(bytes.size() + 6, 7);
        core::PpmHeader header;
        ASSERT_TRUE(core::parsePpmHeader(bytes, header)) << c.head;
        EXPECT_EQ(header.width, c.width);
        EXPECT_EQ(header.height, c.height);
        EXPECT_EQ(header.dataOffset, c.head.size());
    }
}

TEST(PpmHeader, RejectsEverythingElse)
{
    const std::string cases[] = {
        "",
        "P6\n2 1\n255\n" + std::string(5, 'x'), // one byte short
        "P3\n2 1\n255\n" + std::string(6, 'x'), // ASCII form
        "P5\n2 1\n255\n" + std::string(6, 'x'), // gray
        "P6\n2 1\n65535\n" + std::string(12, 'x'),
        "P6\n2 1\n15\n" + std::string(6, 'x'),
        "P6\n0 1\n255\n",
        "P6\n-2 1\n255\n" + std::string(6, 'x'),
        "P6\n2 1\n255",                          // no white space after maxval
        "P6\n32768 32768\n255\n",                 // 2^30 pixels
        "P6\n99999999999 1\n255\n",
    };
    for (const auto& text : cases) {
        core::PpmHeader header;
        EXPECT_FALSE(core::parsePpmHeader(bytesOf(text), header)) << text.substr(0, 20);
    }
}

TEST(Ppm, RowsTopFirstInTheFileBottomFirstInTheBuffer)
{
    // 2 x 2: top row red, green; bottom row blue, white.
    auto bytes = bytesOf("P6\n2 2\n255\n");
    for (int v : {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255})
        bytes.push_back(std::uint8_t(v));
    core::XrgbBuffer picture;
    ASSERT_TRUE(core::readPpm(bytes, picture));
    EXPECT_EQ(picture.row(1)[0], 0xFF0000u);
    EXPECT_EQ(picture.row(1)[1], 0x00FF00u);
    EXPECT_EQ(picture.row(0)[0], 0x0000FFu);
    EXPECT_EQ(picture.row(0)[1], 0xFFFFFFu);
    EXPECT_EQ(core::writePpm(picture), bytes);
}

std::vector<std::uint8_t> noisyPpm(int width, int height)
{
    auto bytes = bytesOf("P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n");
    std::uint32_t state = 12345;
    for (int i = 0; i < width * height * 3; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.push_back(std::uint8_t(state >> 16));
    }
    return bytes;
}

TEST(Ppm, TheJobWritesTheExactResampledPicture)
{
    TempDir dir;
    const std::string source = dir.file("p.ppm");
    const auto bytes = noisyPpm(37, 23);
    writeBytes(source, bytes);
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("out")));
    const struct {
        int width, height;
    } sizes[] = {{18, 12}, {74, 46}, {5, 1}, {37, 23}};
    for (const auto& size : sizes) {
        core::ResizeRequest request;
        request.sourcePath = source;
        request.destinationFolder = dir.file("out");
        request.sizeMode = core::SizeMode::pixels;
        request.widthText = std::to_string(size.width);
        request.heightText = std::to_string(size.height);
        RecordingObserver observer;
        core::PpmCodec codec;
        ASSERT_EQ(core::runResizeJob(request, observer, codec), core::ResizeOutcome::written);

        core::XrgbBuffer picture, expected = core::XrgbBuffer::create(size.width, size.height);
        ASSERT_TRUE(core::readPpm(bytes, picture));
        core::areaAverage(picture, expected, nullptr);
        EXPECT_EQ(readBytes(dir.file("out/p.ppm")), core::writePpm(expected)) << size.width << "x" << size.height;
    }
}

TEST(Ppm, CodecIsChosenByTheNameEnding)
{
    EXPECT_NE(dynamic_cast<core::PpmCodec*>(core::codecForPath("/a/b.ppm").get()), nullptr);
    EXPECT_NE(dynamic_cast<core::JpegCodec*>(core::codecForPath("/a/b.jpg").get()), nullptr);
    EXPECT_NE(dynamic_cast<core::JpegCodec*>(core::codecForPath("/a/ppm").get()), nullptr);
}

} // namespace
