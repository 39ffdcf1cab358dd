#include "core/xrgb_buffer.h"

#include <cstdlib>

#include <sys/mman.h>

namespace core {

namespace {

// From this size on a buffer is mapped on its own: fresh pages are zero already,
// and huge pages cut the page faults of a 48 MB picture from thousands to dozens.
constexpr std::size_t kMapFrom = std::size_t{4} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

} // namespace

void XrgbBuffer::Release::operator()(std::uint32_t* p) const
{
    if (mappedBytes)
        munmap(p, mappedBytes);
    else
        std::free(p);
}

bool XrgbBuffer::sizeAllowed(std::int64_t width, std::int64_t height)
{
    return width >= 0 && height >= 0 && width * height < kMaxPixels;
}

XrgbBuffer XrgbBuffer::create(std::int32_t width, std::int32_t height)
{
    XrgbBuffer buffer;
    if (!sizeAllowed(width, height))
        return buffer;
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * sizeof(std::uint32_t);
    void* block = nullptr;
    Release release;
    if (bytes >= kMapFrom) {
        const std::size_t mapped = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        block = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            return buffer;
        madvise(block, mapped, MADV_HUGEPAGE); // only advice: fine if refused
        release.mappedBytes = mapped;
    } else {
        block = std::calloc(bytes == 0 ? 1 : bytes, 1);
        if (!block)
            return buffer;
    }
    buffer.words_ = std::unique_ptr<std::uint32_t[], Release>(static_cast<std::uint32_t*>(block), release);
    buffer.width_ = width;
    buffer.height_ = height;
    buffer.valid_ = true;
    return buffer;
}

} // namespace core
