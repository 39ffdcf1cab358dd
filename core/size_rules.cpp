#include "core/size_rules.h"

#include <cmath>
#include <limits>

#include "core/xrgb_buffer.h"

namespace core {

static_assert(std::numeric_limits<long double>::digits == 64, "the ratio rule needs the x87 extended format");

std::optional<std::int32_t> strToInt(const std::string& text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::int64_t ratioSize(std::int32_t percent, std::int32_t recordedSize)
{
    // Each step rounded to the 64-bit significand on its own: the quotient is
    // not a double, so 15 % of 190 gives 29 where the exact 28.5 would give 28.
    const long double share = static_cast<long double>(percent) / 100.0L;
    const long double product = share * static_cast<long double>(recordedSize);
    return static_cast<std::int64_t>(std::nearbyint(product));
}

bool targetSizeAllowed(std::int64_t width, std::int64_t height)
{
    if (width < 1 || height < 1 || width >= XrgbBuffer::kMaxPixels || height >= XrgbBuffer::kMaxPixels)
        return false;
    return XrgbBuffer::sizeAllowed(width, height);
}

} // namespace core
