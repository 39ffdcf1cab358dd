#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace core {

// A gapless block of 32-bit pixels, one word per pixel: red in bits 16-23,
// green in bits 8-15, blue in bits 0-7. Rows are stored with the picture's
// bottom row first (buffer row m is picture row height-1-m from the top).
class XrgbBuffer {
public:
    // Pictures must stay below 2^30 pixels so that their byte size fits in 32 bits.
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 30;

    XrgbBuffer() = default;

    // True when a buffer of this size may be made: both sides at least 0 and
    // fewer than 2^30 pixels in all.
    static bool sizeAllowed(std::int64_t width, std::int64_t height);

    // A zero-filled buffer, or an empty one (valid() false) when the size is
    // not allowed or the memory cannot be had.
    static XrgbBuffer create(std::int32_t width, std::int32_t height);

    bool valid() const { return valid_; }
    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::size_t pixelCount() const { return std::size_t(width_) * std::size_t(height_); }

    std::uint32_t* data() { return words_.get(); }
    const std::uint32_t* data() const { return words_.get(); }
    std::uint32_t* row(std::int32_t m) { return words_.get() + std::size_t(m) * std::size_t(width_); }
    const std::uint32_t* row(std::int32_t m) const { return words_.get() + std::size_t(m) * std::size_t(width_); }

    void reset() { *this = XrgbBuffer(); }

private:
    // Large blocks are mapped straight from the system (zeroed, in huge pages where
    // it has them) and given back the same way; small ones come from calloc.
    struct Release {
        Release() : mappedBytes(0) {}
        void operator()(std::uint32_t* p) const;
        std::size_t mappedBytes;
    };
    std::unique_ptr<std::uint32_t[], Release> words_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    bool valid_ = false;
};

} // namespace core
