// Any bytes through what the program does with a file: load the headers, decode at
// full size for the resize job, decode scaled for display, encode the result again.
// The same bytes also go through the PPM reader.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/bitmap32.h"
#include "core/jpeg_image.h"
#include "core/ppm.h"
#include "core/xrgb_buffer.h"

namespace {

// A few bytes can declare a picture of a billion pixels that libjpeg will happily
// fill with gray; decoding those only costs time. Above 2^30 pixels the decoders
// refuse at once, so that case still runs.
constexpr std::int64_t kDecodePixelLimit = std::int64_t{1} << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto bytes = std::make_shared<const std::vector<std::uint8_t>>(data, data + size);

    core::XrgbBuffer ppm;
    core::readPpm(*bytes, ppm);

    core::JpegImage image;
    if (image.loadFromMemory(bytes) != core::JpegLoadStatus::ok)
        return 0;
    const std::int64_t pixels = std::int64_t(image.width()) * image.height();
    if (pixels > kDecodePixelLimit && core::XrgbBuffer::sizeAllowed(image.width(), image.height()))
        return 0;

    core::XrgbBuffer picture;
    if (image.decode(picture) == core::JpegDecodeStatus::ok) {
        std::vector<std::uint8_t> encoded;
        core::encodeJpeg(picture, std::uint8_t(size % 101), image.multipleScans(), encoded);
    }
    core::Bitmap32 bitmap;
    image.decodeScaled(1 + int(size % 8), bitmap);
    return 0;
}
