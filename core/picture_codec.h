#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/jpeg_image.h"
#include "core/xrgb_buffer.h"

namespace core {

// How the resize job reads a source file and codes its result. The job's steps,
// messages and file writing are the same whatever the format.
class PictureCodec {
public:
    virtual ~PictureCodec() = default;

    // Reads the whole file and checks its headers.
    virtual bool load(const std::string& path) = 0;
    // The size from the headers, once loaded.
    virtual std::int32_t width() const = 0;
    virtual std::int32_t height() const = 0;
    // The loaded file at full size, bottom row first. May drop the file's bytes.
    virtual bool decode(XrgbBuffer& picture) = 0;
    // picture (bottom row first) as a file of this format.
    virtual bool encode(const XrgbBuffer& picture, std::uint8_t quality, std::vector<std::uint8_t>& bytes) = 0;
};

// JPEG in and out with the job's libjpeg settings; the output is progressive
// exactly when the source held more than one scan.
class JpegCodec final : public PictureCodec {
public:
    bool load(const std::string& path) override;
    std::int32_t width() const override { return image_.width(); }
    std::int32_t height() const override { return image_.height(); }
    bool decode(XrgbBuffer& picture) override;
    bool encode(const XrgbBuffer& picture, std::uint8_t quality, std::vector<std::uint8_t>& bytes) override;

    JpegLoadStatus loadStatus() const { return image_.status(); }
    JpegDecodeStatus decodeStatus() const { return decodeStatus_; }

private:
    JpegImage image_;
    bool progressive_ = false;
    JpegDecodeStatus decodeStatus_ = JpegDecodeStatus::notLoaded;
};

// Binary P6 with maxval 255, no coding: for exact checks of the resampler.
// The quality is not used.
class PpmCodec final : public PictureCodec {
public:
    bool load(const std::string& path) override;
    std::int32_t width() const override { return width_; }
    std::int32_t height() const override { return height_; }
    bool decode(XrgbBuffer& picture) override;
    bool encode(const XrgbBuffer& picture, std::uint8_t quality, std::vector<std::uint8_t>& bytes) override;

private:
    std::vector<std::uint8_t> bytes_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};

// PPM for a path ending in ".ppm", JPEG for anything else.
std::unique_ptr<PictureCodec> codecForPath(const std::string& path);

} // namespace core
