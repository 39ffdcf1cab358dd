#include "core/jpeg_image.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>

#include <gtest/gtest.h>
#include <jpeglib.h>

#include "test_support.h"

namespace {

using core::JpegDecodeStatus;
using core::JpegImage;
using core::JpegLoadStatus;
using namespace testing_support;

JpegImage imageFrom(const std::vector<std::uint8_t>& bytes)
{
    JpegImage image;
    image.loadFromMemory(std::make_shared<const std::vector<std::uint8_t>>(bytes));
    return image;
}

JpegImage imageFromCorpus(const std::string& name)
{
    JpegImage image;
    image.loadFromFile(corpusFile(name));
    return image;
}

// ---------------------------------------------------------------- loading

TEST(JpegLoad, RecordsTheHeaderFacts)
{
    const struct {
        const char* what;
        JpegFixture fixture;
        int components;
        bool grayscale, multipleScans, adobe;
    } cases[] = {
        {"baseline colour", [] { JpegFixture s; s.width = 35; s.height = 39; return s; }(), 3, false, false, false},
        {"progressive colour", [] { JpegFixture s; s.progressive = true; return s; }(), 3, false, true, false},
        {"grayscale", [] { JpegFixture s; s.components = 1; s.width = 7; s.height = 3; return s; }(), 1, true, false,
         false},
        {"cmyk", [] { JpegFixture s; s.components = 4; return s; }(), 4, false, false, true},
    };
    for (const auto& c : cases) {
        const JpegImage image = imageFrom(makeJpeg(c.fixture));
        ASSERT_EQ(image.status(), JpegLoadStatus::ok) << c.what;
        EXPECT_EQ(image.width(), c.fixture.width) << c.what;
        EXPECT_EQ(image.height(), c.fixture.height) << c.what;
        EXPECT_EQ(image.components(), c.components) << c.what;
        EXPECT_EQ(image.grayscale(), c.grayscale) << c.what;
        EXPECT_EQ(image.multipleScans(), c.multipleScans) << c.what;
        EXPECT_EQ(image.adobeMarker(), c.adobe) << c.what;
    }
}

TEST(JpegLoad, CopiesShareTheFileBytes)
{
    const JpegImage image = imageFrom(makeJpeg({}));
    const JpegImage copy = image; // NOLINT: the copy is the point
    EXPECT_EQ(copy.bytes().get(), image.bytes().get());
    EXPECT_EQ(copy.width(), image.width());
}

TEST(JpegLoad, TellsEmptyUnreadableAndBrokenFilesApart)
{
    TempDir dir;
    writeBytes(dir.file("empty.jpg"), {});
    writeBytes(dir.file("text.jpg"), {'h', 'e', 'l', 'l', 'o'});
    auto cut = makeJpeg({});
    cut.resize(100); // inside the headers, before the first scan
    writeBytes(dir.file("cut.jpg"), cut);
    const struct {
        std::string path;
        JpegLoadStatus status;
    } cases[] = {
        {dir.file("empty.jpg"), JpegLoadStatus::emptyFile},
        {dir.file("missing.jpg"), JpegLoadStatus::unreadable},
        {dir.path(), JpegLoadStatus::unreadable}, // a folder
        {dir.file("text.jpg"), JpegLoadStatus::headerError},
        {dir.file("cut.jpg"), JpegLoadStatus::headerError},
    };
    for (const auto& c : cases) {
        JpegImage image;
        EXPECT_EQ(image.loadFromFile(c.path), c.status) << c.path;
        EXPECT_EQ(image.width(), 0) << c.path;
        EXPECT_EQ(image.height(), 0) << c.path;
        core::XrgbBuffer picture;
        EXPECT_EQ(image.decode(picture), JpegDecodeStatus::notLoaded) << c.path;
    }
}

TEST(JpegLoad, CorpusFilesThatLibjpegRejectsInTheirHeaders)
{
    REQUIRE_CORPUS();
    const char* names[] = {
        "not-jpeg-png-named-jpg.jpg", "not-image-soi-eoi-4-bytes.jpg", "trunc-in-header-dht.jpg",
        "trunc-no-scan-8x8.jpg",      "reject-12bit-149x227.jpg",      "reject-lossless-16bit-256x256.jpg",
        "bomb-declared-65535x65535.jpg", "zero-width-0x800.jpg",       "corrupt-fatal-huffman-table.jpg",
    };
    for (const char* name : names)
        EXPECT_EQ(imageFromCorpus(name).status(), JpegLoadStatus::headerError) << name;
    EXPECT_EQ(imageFromCorpus("empty-0-bytes.jpg").status(), JpegLoadStatus::emptyFile);
}

TEST(JpegLoad, MultipleScansInCorpusFiles)
{
    REQUIRE_CORPUS();
    const struct {
        const char* name;
        bool multipleScans;
    } cases[] = {
        {"baseline-420-227x149.jpg", false},
        {"progressive-420-150x103.jpg", true},
        {"progressive-gray-150x103.jpg", true},
        {"multiscan-seq-noninterleaved-420-510x532.jpg", true},
        {"multiscan-seq-partial-444-510x532.jpg", true},
        {"arith-seq-227x149.jpg", false},
    };
    for (const auto& c : cases) {
        const JpegImage image = imageFromCorpus(c.name);
        ASSERT_TRUE(image.loaded()) << c.name;
        EXPECT_EQ(image.multipleScans(), c.multipleScans) << c.name;
    }
}

// ---------------------------------------------------------------- full decoding

// Our words against libjpeg's own RGB output with the same settings, pixel for pixel.
void expectSameAsRgbOutput(const std::vector<std::uint8_t>& bytes, const std::string& what)
{
    const JpegImage image = imageFrom(bytes);
    ASSERT_TRUE(image.loaded()) << what;
    core::XrgbBuffer picture;
    ASSERT_EQ(image.decode(picture), JpegDecodeStatus::ok) << what;
    const RgbPicture reference = decodeRgb(bytes);
    ASSERT_EQ(picture.width(), reference.width) << what;
    ASSERT_EQ(picture.height(), reference.height) << what;
    int mismatches = 0;
    for (int y = 0; y < reference.height; ++y)
        for (int x = 0; x < reference.width; ++x) {
            const std::uint8_t* rgb = &reference.rgb[(std::size_t(y) * reference.width + x) * 3];
            const std::uint32_t expected = std::uint32_t(rgb[0]) << 16 | std::uint32_t(rgb[1]) << 8 | rgb[2];
            if (pixelFromTop(picture, x, y) != expected && mismatches++ < 3)
                ADD_FAILURE() << what << ": pixel " << x << "," << y << " from the top";
        }
    EXPECT_EQ(mismatches, 0) << what;
}

TEST(JpegDecode, ColourEqualsLibjpegRgbOutputInBufferOrder)
{
    const struct {
        int width, height;
        bool progressive;
    } sizes[] = {{1, 1, false}, {35, 39, false}, {17, 23, true}, {64, 2, false}, {3, 65, true}};
    for (const auto& s : sizes) {
        JpegFixture fixture;
        fixture.width = s.width;
        fixture.height = s.height;
        fixture.progressive = s.progressive;
        expectSameAsRgbOutput(makeJpeg(fixture), std::to_string(s.width) + "x" + std::to_string(s.height));
    }
}

TEST(JpegDecode, CorpusColourFilesEqualLibjpegRgbOutput)
{
    REQUIRE_CORPUS();
    const char* names[] = {
        "baseline-420-227x149.jpg", "baseline-422-150x103.jpg", "baseline-444-150x103.jpg",
        "baseline-440-150x103.jpg", "baseline-411-150x103.jpg", "baseline-410-150x103.jpg",
        "baseline-sampling-221212-150x103.jpg", "extseq-sof1-16bit-qtables-128x128.jpg",
        "progressive-420-150x103.jpg", "progressive-separate-dc-scans-150x103.jpg",
        "multiscan-seq-noninterleaved-420-510x532.jpg", "rgb-adobe-150x103.jpg", "arith-seq-227x149.jpg",
        "restart-dri5-33x33.jpg", "size-17x23-crop.jpg", "size-1x1.jpg",
        // Damaged data: libjpeg warns and goes on; so do we.
        "trunc-in-scan-baseline-290x442.jpg", "trunc-in-scan-progressive-100x100.jpg",
        "corrupt-entropy-camera-640x480.jpg", "mjpeg-no-dht-960x720.jpg", "corrupt-junk-in-header-1024x768.jpg",
    };
    for (const char* name : names)
        expectSameAsRgbOutput(readBytes(corpusFile(name)), name);
}

TEST(JpegDecode, TheTopRowOfThePictureIsTheLastBufferRow)
{
    JpegFixture fixture;
    fixture.width = 16;
    fixture.height = 32;
    fixture.pixel = [](int, int y) { return y < 16 ? 0xFF0000u : 0x0000FFu; }; // red above blue
    core::XrgbBuffer picture;
    ASSERT_EQ(imageFrom(makeJpeg(fixture)).decode(picture), JpegDecodeStatus::ok);
    const std::uint32_t lastRow = picture.row(31)[8] & 0xFFFFFF;
    const std::uint32_t firstRow = picture.row(0)[8] & 0xFFFFFF;
    EXPECT_GT(lastRow >> 16, 200u) << std::hex << lastRow;
    EXPECT_LT(lastRow & 0xFF, 60u) << std::hex << lastRow;
    EXPECT_GT(firstRow & 0xFF, 200u) << std::hex << firstRow;
    EXPECT_LT(firstRow >> 16, 60u) << std::hex << firstRow;
}

// libjpeg's one-pass quantizer spreads 236 levels evenly: level j is
// (j * 255 + 117) / 235.
std::set<int> grayLevels()
{
    std::set<int> levels;
    for (int j = 0; j < 236; ++j)
        levels.insert((j * 255 + 117) / 235);
    return levels;
}

void expectQuantizedGray(const std::vector<std::uint8_t>& bytes, const std::string& what)
{
    core::XrgbBuffer picture;
    ASSERT_EQ(imageFrom(bytes).decode(picture), JpegDecodeStatus::ok) << what;
    const RgbPicture reference = decodeRgb(bytes); // unquantized
    ASSERT_EQ(picture.width(), reference.width);
    const std::set<int> allowed = grayLevels();
    std::set<int> seen;
    double difference = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const std::uint32_t p = pixelFromTop(picture, x, y);
            const int r = int(p >> 16), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
            ASSERT_TRUE(r == g && g == b) << what << " at " << x << "," << y;
            ASSERT_TRUE(allowed.count(r)) << what << ": " << r << " is not a colormap level";
            seen.insert(r);
            difference += r - reference.rgb[(std::size_t(y) * reference.width + x) * 3];
        }
    EXPECT_LE(seen.size(), 236u) << what;
    // Dithering keeps the mean: the error is spread, not dropped.
    EXPECT_LT(std::abs(difference / double(picture.pixelCount())), 0.5) << what;
}

TEST(JpegDecode, GrayscaleGoesThroughThe236LevelQuantizer)
{
    JpegFixture fixture;
    fixture.components = 1;
    fixture.width = 257;
    fixture.height = 9;
    fixture.pixel = [](int x, int) { return std::uint32_t(x); }; // every level 0..255 and back to 0
    expectQuantizedGray(makeJpeg(fixture), "gradient");
    fixture.width = 35;
    fixture.height = 39;
    fixture.progressive = true;
    fixture.pixel = JpegFixture().pixel;
    expectQuantizedGray(makeJpeg(fixture), "progressive 35x39");
}

TEST(JpegDecode, CorpusGrayscaleFiles)
{
    REQUIRE_CORPUS();
    const char* names[] = {"baseline-gray-150x103.jpg", "progressive-gray-150x103.jpg",
                           "baseline-gray-sampling2x2-16x24.jpg", "corrupt-entropy-gray-144x144.jpg",
                           "size-1000x1-gray.jpg"};
    for (const char* name : names)
        expectQuantizedGray(readBytes(corpusFile(name)), name);
}

// A flat 16 x 16 ink picture at quality 100 decodes to the ink's RGB within 2.
void expectInkColour(std::uint32_t stored, bool adobe, std::uint32_t rgb)
{
    JpegFixture fixture;
    fixture.components = 4;
    fixture.quality = 100;
    fixture.adobeMarker = adobe;
    fixture.pixel = [stored](int, int) { return stored; };
    const JpegImage image = imageFrom(makeJpeg(fixture));
    ASSERT_EQ(image.adobeMarker(), adobe);
    core::XrgbBuffer picture;
    ASSERT_EQ(image.decode(picture), JpegDecodeStatus::ok);
    const std::uint32_t p = pixelFromTop(picture, 5, 7);
    for (int shift : {16, 8, 0})
        EXPECT_NEAR(int(p >> shift & 0xFF), int(rgb >> shift & 0xFF), 2)
            << std::hex << "stored " << stored << " adobe " << adobe << " gave " << p;
}

TEST(JpegDecode, CmykIsConvertedToRgb)
{
    // With the Adobe marker 255 means no ink: red = C * K / 255 and so on.
    expectInkColour(0xFF8000C8, true, 0xC86400);  // 255,128,0,200 -> 200, 100, 0
    expectInkColour(0x64C8FFFF, true, 0x64C8FF);  // no black ink: C, M, Y as they are
    expectInkColour(0xFFFFFF00, true, 0x000000);  // full black
    // Without it 0 means no ink: the same colours stored inverted.
    expectInkColour(0x007FFF37, false, 0xC86400);
    expectInkColour(0x00000000, false, 0xFFFFFF);
}

double meanDifference(const core::XrgbBuffer& a, const core::XrgbBuffer& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            for (int shift : {16, 8, 0})
                sum += std::abs(int(a.row(y)[x] >> shift & 0xFF) - int(b.row(y)[x] >> shift & 0xFF));
    return sum / double(a.pixelCount() * 3);
}

TEST(JpegDecode, CorpusCmykFrameLooksLikeItsYCbCrTwin)
{
    REQUIRE_CORPUS();
    // The two files hold the same video frame, one as Adobe CMYK, one as YCbCr.
    // Their colours were made by different conversions, so they only resemble
    // each other; but a negative or a red-blue swap resembles the twin far less.
    core::XrgbBuffer cmyk, ycc;
    const JpegImage cmykImage = imageFromCorpus("cmyk-adobe-150x103.jpg");
    ASSERT_TRUE(cmykImage.adobeMarker());
    ASSERT_EQ(cmykImage.decode(cmyk), JpegDecodeStatus::ok);
    ASSERT_EQ(imageFromCorpus("baseline-444-150x103.jpg").decode(ycc), JpegDecodeStatus::ok);
    ASSERT_EQ(cmyk.width(), ycc.width());
    ASSERT_EQ(cmyk.height(), ycc.height());
    core::XrgbBuffer negative = core::XrgbBuffer::create(cmyk.width(), cmyk.height());
    core::XrgbBuffer swapped = core::XrgbBuffer::create(cmyk.width(), cmyk.height());
    for (std::size_t i = 0; i < cmyk.pixelCount(); ++i) {
        const std::uint32_t p = cmyk.data()[i];
        negative.data()[i] = ~p & 0xFFFFFF;
        swapped.data()[i] = (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
    }
    const double ours = meanDifference(cmyk, ycc);
    EXPECT_LT(ours, 40.0);
    EXPECT_LT(ours * 2, meanDifference(negative, ycc));
    EXPECT_LT(ours * 1.5, meanDifference(swapped, ycc));
    for (const char* name : {"cmyk-adobe-32x32.jpg", "ycck-adobe-100x100.jpg", "ycck-adobe-300x111.jpg",
                             "ycck-adobe-350x233.jpg"}) {
        core::XrgbBuffer picture;
        EXPECT_EQ(imageFromCorpus(name).decode(picture), JpegDecodeStatus::ok) << name;
    }
}

TEST(JpegDecode, ImageMagickCmykComesBackToItsRgb)
{
    if (std::system("command -v convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick's convert not installed; test skipped";
    TempDir dir;
    // Flat patches, so that only the colour conversions differ.
    const std::uint32_t colours[] = {0xC86400, 0x3366CC, 0xFFFFFF, 0x000000, 0x808080, 0x12F0A0};
    std::string ppm = "P6\n96 16\n255\n";
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 96; ++x)
            for (int shift : {16, 8, 0})
                ppm.push_back(char(colours[x / 16] >> shift & 0xFF));
    writeBytes(dir.file("in.ppm"), std::vector<std::uint8_t>(ppm.begin(), ppm.end()));
    const std::string command = "convert " + dir.file("in.ppm") + " -colorspace CMYK -quality 100 " +
                                dir.file("cmyk.jpg") + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const JpegImage image = imageFrom(readBytes(dir.file("cmyk.jpg")));
    ASSERT_EQ(image.components(), 4);
    ASSERT_TRUE(image.adobeMarker()) << "ImageMagick stores inverted ink with an Adobe marker";
    core::XrgbBuffer picture;
    ASSERT_EQ(image.decode(picture), JpegDecodeStatus::ok);
    for (int patch = 0; patch < 6; ++patch) {
        const std::uint32_t p = pixelFromTop(picture, patch * 16 + 8, 8);
        for (int shift : {16, 8, 0})
            EXPECT_NEAR(int(p >> shift & 0xFF), int(colours[patch] >> shift & 0xFF), 3)
                << std::hex << colours[patch] << " came back as " << p;
    }
}

TEST(JpegDecode, RefusesAPictureOf2To30PixelsBeforeAllocating)
{
    REQUIRE_CORPUS();
    // 186 bytes that declare 65500 x 65500: W * H * 4 does not fit in 32 bits.
    const JpegImage bomb = imageFromCorpus("bomb-declared-65500x65500-gray.jpg");
    ASSERT_TRUE(bomb.loaded());
    EXPECT_EQ(bomb.width(), 65500);
    core::XrgbBuffer picture;
    EXPECT_EQ(bomb.decode(picture), JpegDecodeStatus::tooLarge);
    EXPECT_FALSE(picture.valid());
    core::Bitmap32 bitmap;
    EXPECT_EQ(bomb.decodeScaled(1, bitmap), JpegDecodeStatus::tooLarge);
}

TEST(JpegDecode, AFatalErrorAfterAGoodHeaderFailsCleanly)
{
    REQUIRE_CORPUS();
    const JpegImage image = imageFromCorpus("corrupt-fatal-after-first-scan-progressive-196x140.jpg");
    ASSERT_TRUE(image.loaded());
    core::XrgbBuffer picture;
    EXPECT_EQ(image.decode(picture), JpegDecodeStatus::libjpegError);
    EXPECT_FALSE(picture.valid());
    core::Bitmap32 bitmap;
    EXPECT_EQ(image.decodeScaled(4, bitmap), JpegDecodeStatus::libjpegError);
    EXPECT_FALSE(bitmap.valid());
}

// A progressive file whose last scan is repeated until the file holds scanCount
// scans. libjpeg only warns about such a progression, and each repeat costs a
// pass over the picture.
std::vector<std::uint8_t> withScanCount(int scanCount)
{
    JpegFixture fixture;
    fixture.components = 1;
    fixture.progressive = true;
    const auto original = makeJpeg(fixture);
    const auto parts = segments(original);
    const int scans = int(std::count_if(parts.begin(), parts.end(), [](const Segment& s) { return s.marker == 0xDA; }));
    // The last scan runs from its SOS marker to the EOI marker at the end.
    std::size_t lastSos = original.size() - 2;
    while (!(original[lastSos] == 0xFF && original[lastSos + 1] == 0xDA))
        --lastSos;
    std::vector<std::uint8_t> bytes(original.begin(), original.end() - 2);
    for (int i = scans; i < scanCount; ++i)
        bytes.insert(bytes.end(), original.begin() + long(lastSos), original.end() - 2);
    bytes.push_back(0xFF);
    bytes.push_back(0xD9);
    return bytes;
}

TEST(JpegDecode, RefusesFilesOfMoreThanAThousandScans)
{
    const struct {
        int scans;
        JpegDecodeStatus status;
    } cases[] = {{1000, JpegDecodeStatus::ok}, {1001, JpegDecodeStatus::tooManyScans},
                 {5000, JpegDecodeStatus::tooManyScans}};
    for (const auto& c : cases) {
        const JpegImage image = imageFrom(withScanCount(c.scans));
        ASSERT_TRUE(image.loaded()) << c.scans;
        core::XrgbBuffer picture;
        EXPECT_EQ(image.decode(picture), c.status) << c.scans;
        core::Bitmap32 bitmap;
        EXPECT_EQ(image.decodeScaled(2, bitmap), c.status) << c.scans;
    }
}

// ---------------------------------------------------------------- display decoding

TEST(JpegDisplay, ScaledSizesTopDownRowsAndOpaquePixels)
{
    JpegFixture fixture;
    fixture.width = 35;
    fixture.height = 41;
    fixture.pixel = [](int, int y) { return y < 20 ? 0xFF0000u : 0x0000FFu; };
    const JpegImage image = imageFrom(makeJpeg(fixture));
    for (int n = 1; n <= 8; ++n) {
        core::Bitmap32 bitmap;
        ASSERT_EQ(image.decodeScaled(n, bitmap), JpegDecodeStatus::ok) << n;
        EXPECT_EQ(bitmap.width(), JpegImage::scaledSide(35, n)) << n;
        EXPECT_EQ(bitmap.height(), JpegImage::scaledSide(41, n)) << n;
        EXPECT_EQ(bitmap.bytesPerLine(), std::size_t(bitmap.width()) * 4);
        for (int i = 0; i < bitmap.height(); ++i)
            for (int x = 0; x < bitmap.width(); ++x)
                ASSERT_EQ(bitmap.scanLine(i)[x] >> 24, 0xFFu) << n;
        const std::uint32_t top = bitmap.scanLine(0)[0];
        const std::uint32_t bottom = bitmap.scanLine(bitmap.height() - 1)[0];
        EXPECT_GT(top >> 16 & 0xFF, 180u) << "scale " << n << " top " << std::hex << top;
        EXPECT_GT(bottom & 0xFF, 180u) << "scale " << n << " bottom " << std::hex << bottom;
    }
}

TEST(JpegDisplay, GrayAndInkPicturesAreShownInRgb)
{
    JpegFixture gray;
    gray.components = 1;
    gray.pixel = [](int x, int) { return std::uint32_t(x * 16); };
    core::Bitmap32 bitmap;
    ASSERT_EQ(imageFrom(makeJpeg(gray)).decodeScaled(8, bitmap), JpegDecodeStatus::ok);
    for (int x = 0; x < 16; ++x) {
        const std::uint32_t p = bitmap.scanLine(3)[x];
        EXPECT_EQ(p >> 16 & 0xFF, p & 0xFF);
        EXPECT_EQ(p >> 8 & 0xFF, p & 0xFF);
    }
    JpegFixture ink;
    ink.components = 4;
    ink.quality = 100;
    ink.pixel = [](int, int) { return 0xFF8000C8u; };
    ASSERT_EQ(imageFrom(makeJpeg(ink)).decodeScaled(4, bitmap), JpegDecodeStatus::ok);
    EXPECT_NEAR(int(bitmap.scanLine(1)[1] & 0xFFFFFF), 0xC86400, 0x020202);
}

TEST(JpegDisplay, RefusesScalesOutsideOneToEight)
{
    const JpegImage image = imageFrom(makeJpeg({}));
    core::Bitmap32 bitmap;
    EXPECT_NE(image.decodeScaled(0, bitmap), JpegDecodeStatus::ok);
    EXPECT_NE(image.decodeScaled(9, bitmap), JpegDecodeStatus::ok);
    EXPECT_FALSE(bitmap.valid());
}

TEST(JpegDisplay, ScaleForAtLeastPicksTheSmallestSufficientScale)
{
    const struct {
        std::int32_t width, height, minWidth, minHeight;
        int scale;
    } cases[] = {
        {4032, 3024, 100, 100, 1}, // 504 x 378 is plenty
        {4032, 3024, 600, 100, 2}, // 504 is too narrow, 1008 is not
        {4032, 3024, 100, 1500, 4},
        {800, 600, 700, 10, 7},
        {800, 600, 801, 10, 8},    // not even the full size: full size
        {1, 1, 1, 1, 1},           // sizes round up: 1/8 of 1 pixel is 1
        {9, 9, 2, 2, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JpegImage::scaleForAtLeast(c.width, c.height, c.minWidth, c.minHeight), c.scale)
            << c.width << "x" << c.height << " for " << c.minWidth << "x" << c.minHeight;
}

} // namespace
