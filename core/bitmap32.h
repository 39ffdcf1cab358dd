#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace core {

// A 32-bit picture with its rows top row first, as a display wants it. A pixel
// is one word: 0xFF in bits 24-31, red in 16-23, green in 8-15, blue in 0-7, so
// the rows can be wrapped without a copy by anything that reads that layout.
class Bitmap32 {
public:
    Bitmap32() = default;

    // An opaque black picture, or an empty one (valid() false) when the size is
    // outside the XRGB buffer's limits or the memory cannot be had.
    static Bitmap32 create(std::int32_t width, std::int32_t height);

    bool valid() const { return valid_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::size_t bytesPerLine() const { return std::size_t(width_) * 4; }

    std::uint32_t* scanLine(std::int32_t i) { return words_.get() + std::size_t(i) * std::size_t(width_); }
    const std::uint32_t* scanLine(std::int32_t i) const
    {
        return words_.get() + std::size_t(i) * std::size_t(width_);
    }
    std::uint32_t* data() { return words_.get(); }
    const std::uint32_t* data() const { return words_.get(); }

private:
    std::unique_ptr<std::uint32_t[]> words_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    bool valid_ = false;
};

} // namespace core
