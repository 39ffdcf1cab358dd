#pragma once

// Shared fixtures for the core tests: temporary folders, JPEG files made with
// libjpeg, a plain reference decoder, a marker walker and a recording observer.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/resize_job.h"
#include "core/xrgb_buffer.h"

namespace testing_support {

// The folder of real files written by others, or "" when it is absent.
std::string corpusDir();
// Skips the test, saying why, when the corpus folder is absent.
#define REQUIRE_CORPUS()                                                                         \
    do {                                                                                         \
        if (::testing_support::corpusDir().empty())                                              \
            GTEST_SKIP() << "JPEG corpus not found at " ORVANE_CORPUS_DIR "; test skipped";      \
    } while (0)
std::string corpusFile(const std::string& name);

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> names() const; // sorted, hidden ones included

private:
    std::string path_;
};

std::vector<std::uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// A JPEG made by libjpeg. pixel(x, y) gives picture row y from the top: 0x00RRGGBB
// for three components, the gray level in the low byte for one, C, M, Y, K in
// bytes 3..0 (as stored in the file) for four.
struct JpegFixture {
    int width = 16;
    int height = 16;
    int components = 3;
    bool progressive = false;
    int quality = 95;
    bool adobeMarker = true; // four components only
    std::function<std::uint32_t(int x, int y)> pixel = [](int x, int y) {
        return std::uint32_t((x * 37 + y * 11) & 0xFF) << 16 | std::uint32_t((x * 5 + y * 29) & 0xFF) << 8 |
               std::uint32_t((x * y) & 0xFF);
    };
    struct Marker {
        int code; // JPEG_APP0 + n or JPEG_COM
        std::string data;
    };
    std::vector<Marker> markers; // written after the headers libjpeg makes itself
};
std::vector<std::uint8_t> makeJpeg(const JpegFixture& fixture);

// Plain libjpeg decoding with the resize job's settings, but RGB output
// (JCS_RGB, three bytes per pixel, top row first). Empty on a fatal error.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};
RgbPicture decodeRgb(const std::vector<std::uint8_t>& jpeg);

// The picture row y from the top, column x, of a buffer held bottom row first.
inline std::uint32_t pixelFromTop(const core::XrgbBuffer& buffer, int x, int y)
{
    return buffer.row(buffer.height() - 1 - y)[x] & 0xFFFFFFu;
}

// The segments of a JPEG file in order: SOI, each marker with its payload,
// the entropy-coded data skipped, EOI.
struct Segment {
    int marker; // 0xD8 for SOI etc.
    std::vector<std::uint8_t> payload;
};
std::vector<Segment> segments(const std::vector<std::uint8_t>& jpeg);

// What a JPEG file's markers say, for checking the files we write.
struct JpegStructure {
    std::vector<int> markers;                 // every marker code in order
    std::vector<std::vector<std::uint8_t>> app0;
    int frameMarker = 0;                      // 0xC0 baseline, 0xC2 progressive, ...
    int width = 0, height = 0;
    struct Component {
        int id, sampling, table;              // sampling as 0xHV
    };
    std::vector<Component> components;
    // Quantization tables by number, entries in file (zigzag) order; 8-bit ones only.
    std::vector<std::vector<int>> tables = std::vector<std::vector<int>>(4);
    bool sixteenBitTable = false;
    int scans = 0;
};
JpegStructure describe(const std::vector<std::uint8_t>& jpeg);

// The Annex K luminance (table 0) or chrominance (table 1) table scaled by
// libjpeg's quality rule, in zigzag order.
std::vector<int> expectedQuantTable(int table, int quality);

// Everything a job tells its observer, in order.
class RecordingObserver : public core::ResizeObserver {
public:
    struct Event {
        enum Kind { message, progressStart, row } kind;
        std::string text;
        std::int32_t number;
    };
    void showMessage(const std::string& text) override { events.push_back({Event::message, text, 0}); }
    void progressStart(const std::string& fileName, std::int32_t rowMaximum) override
    {
        events.push_back({Event::progressStart, fileName, rowMaximum});
    }
    void rowProgress(std::int32_t n) override { events.push_back({Event::row, "", n}); }

    std::vector<std::string> messages() const;
    std::vector<Event> events;
};

} // namespace testing_support
