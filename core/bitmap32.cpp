#include "core/bitmap32.h"

#include <algorithm>
#include <new>

#include "core/xrgb_buffer.h"

namespace core {

Bitmap32 Bitmap32::create(std::int32_t width, std::int32_t height)
{
    Bitmap32 bitmap;
    if (!XrgbBuffer::sizeAllowed(width, height))
        return bitmap;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    bitmap.words_.reset(new (std::nothrow) std::uint32_t[count == 0 ? 1 : count]);
    if (!bitmap.words_)
        return bitmap;
    std::fill_n(bitmap.words_.get(), count, 0xFF000000u);
    bitmap.width_ = width;
    bitmap.height_ = height;
    bitmap.valid_ = true;
    return bitmap;
}

} // namespace core
