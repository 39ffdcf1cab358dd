#include "core/xrgb_buffer.h"

#include <cstdlib>

namespace core {

void XrgbBuffer::FreeDeleter::operator()(std::uint32_t* p) const { std::free(p); }

bool XrgbBuffer::sizeAllowed(std::int64_t width, std::int64_t height)
{
    return width >= 0 && height >= 0 && width * height < kMaxPixels;
}

XrgbBuffer XrgbBuffer::create(std::int32_t width, std::int32_t height)
{
    XrgbBuffer buffer;
    if (!sizeAllowed(width, height))
        return buffer;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    // calloc: large blocks come straight from fresh, already zeroed pages.
    void* block = std::calloc(count == 0 ? 1 : count, sizeof(std::uint32_t));
    if (!block)
        return buffer;
    buffer.words_.reset(static_cast<std::uint32_t*>(block));
    buffer.width_ = width;
    buffer.height_ = height;
    buffer.valid_ = true;
    return buffer;
}

} // namespace core
