#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/bitmap32.h"
#include "core/xrgb_buffer.h"

namespace core {

enum class JpegLoadStatus {
    none,        // nothing loaded yet
    ok,
    emptyFile,   // 0 bytes: no header to read, a picture without size
    unreadable,  // the file could not be opened or read
    headerError, // not a JPEG, or headers that libjpeg rejects or that end early
};

enum class JpegDecodeStatus {
    ok,
    notLoaded,    // no successfully loaded file to decode
    tooLarge,     // 2^30 pixels or more: refused before anything is allocated
    tooManyScans, // more than JpegImage::kMaxScans scans
    outOfMemory,
    libjpegError, // a fatal error inside libjpeg (damaged data, unsupported colours)
};

// A JPEG file held whole in memory with the facts of its headers. Copies share
// the file's bytes. Decoding runs later over those bytes; the file is not read again.
class JpegImage {
public:
    // Real progressive files have ten or so scans; a crafted file can hold
    // thousands of tiny ones, each of which costs a pass over the whole picture.
    static constexpr int kMaxScans = 1000;

    // Reads the whole file, then its headers up to the first scan.
    JpegLoadStatus loadFromFile(const std::string& path);
    JpegLoadStatus loadFromMemory(std::shared_ptr<const std::vector<std::uint8_t>> bytes);

    JpegLoadStatus status() const { return status_; }
    bool loaded() const { return status_ == JpegLoadStatus::ok; }
    const std::shared_ptr<const std::vector<std::uint8_t>>& bytes() const { return bytes_; }

    // Header facts; all 0 or false unless loaded().
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    int components() const { return components_; }
    bool grayscale() const { return grayscale_; }
    bool multipleScans() const { return multipleScans_; }
    bool adobeMarker() const { return adobeMarker_; }

    // Decodes at full size into picture (made here, W x H), bottom row first, with
    // the resize job's libjpeg settings: floating-point IDCT, fancy upsampling,
    // block smoothing; RGB for colour files; for grayscale files the one-pass
    // quantizer with 236 levels and Floyd-Steinberg dithering, red = green = blue =
    // the level. CMYK and YCCK files are converted to RGB. Warnings are ignored.
    JpegDecodeStatus decode(XrgbBuffer& picture) const;

    // Decodes at scaleNum / 8 (1 to 8) for display, top row first. Same limits and
    // error handling as decode(); grayscale is not quantized.
    JpegDecodeStatus decodeScaled(int scaleNum, Bitmap32& bitmap) const;

    // The size of one side decoded at scaleNum / 8: rounded up, as libjpeg does.
    static std::int32_t scaledSide(std::int32_t side, int scaleNum);
    // The smallest scaleNum (1 to 8) whose result is at least minWidth x minHeight;
    // 8 when even the full size is smaller.
    static int scaleForAtLeast(std::int32_t width, std::int32_t height, std::int32_t minWidth,
                               std::int32_t minHeight);

private:
    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
    JpegLoadStatus status_ = JpegLoadStatus::none;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    int components_ = 0;
    bool grayscale_ = false;
    bool multipleScans_ = false;
    bool adobeMarker_ = false;
};

enum class JpegEncodeStatus {
    ok,
    libjpegError, // libjpeg refused: an empty picture or a side above 65500
    outOfMemory,
};

// Encodes picture (bottom row first) into bytes as a JFIF file: RGB in,
// jpeg_set_defaults, floating-point DCT, jpeg_set_quality(quality, baseline
// tables), libjpeg's simple progression when progressive is set.
JpegEncodeStatus encodeJpeg(const XrgbBuffer& picture, std::uint8_t quality, bool progressive,
                            std::vector<std::uint8_t>& bytes);

} // namespace core
