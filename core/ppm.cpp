#include "core/ppm.h"

#include <string>

namespace core {

namespace {

bool isSpace(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Skips white space and "#" comments, then reads a positive decimal number.
bool readNumber(const std::vector<std::uint8_t>& bytes, std::size_t& at, std::int64_t& value)
{
    for (;;) {
        while (at < bytes.size() && isSpace(bytes[at]))
            ++at;
        if (at < bytes.size() && bytes[at] == '#') {
            while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r')
                ++at;
            continue;
        }
        break;
    }
    const std::size_t first = at;
    value = 0;
    while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9') {
        value = value * 10 + (bytes[at] - '0');
        if (value > std::int64_t{1} << 31)
            return false;
        ++at;
    }
    return at > first;
}

} // namespace

bool parsePpmHeader(const std::vector<std::uint8_t>& bytes, PpmHeader& header)
{
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6')
        return false;
    std::size_t at = 2;
    std::int64_t width = 0, height = 0, maxval = 0;
    if (!readNumber(bytes, at, width) || !readNumber(bytes, at, height) || !readNumber(bytes, at, maxval))
        return false;
    // Exactly one white-space byte ends the header.
    if (at >= bytes.size() || !isSpace(bytes[at]) || maxval != 255)
        return false;
    ++at;
    if (width < 1 || height < 1 || !XrgbBuffer::sizeAllowed(width, height))
        return false;
    if (bytes.size() - at < std::size_t(width) * std::size_t(height) * 3)
        return false;
    header.width = std::int32_t(width);
    header.height = std::int32_t(height);
    header.dataOffset = at;
    return true;
}

bool readPpm(const std::vector<std::uint8_t>& bytes, XrgbBuffer& picture)
{
    PpmHeader header;
    if (!parsePpmHeader(bytes, header))
        return false;
    picture = XrgbBuffer::create(header.width, header.height);
    if (!picture.valid())
        return false;
    const std::uint8_t* in = bytes.data() + header.dataOffset;
    for (std::int32_t i = 0; i < header.height; ++i) {
        std::uint32_t* out = picture.row(header.height - 1 - i);
        for (std::int32_t x = 0; x < header.width; ++x, in += 3)
            out[x] = std::uint32_t(in[0]) << 16 | std::uint32_t(in[1]) << 8 | in[2];
    }
    return true;
}

std::vector<std::uint8_t> writePpm(const XrgbBuffer& picture)
{
    const std::string head =
        "P6\n" + std::to_string(picture.width()) + " " + std::to_string(picture.height()) + "\n255\n";
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    bytes.reserve(head.size() + picture.pixelCount() * 3);
    for (std::int32_t i = 0; i < picture.height(); ++i) {
        const std::uint32_t* in = picture.row(picture.height() - 1 - i);
        for (std::int32_t x = 0; x < picture.width(); ++x) {
            bytes.push_back(std::uint8_t(in[x] >> 16));
            bytes.push_back(std::uint8_t(in[x] >> 8));
            bytes.push_back(std::uint8_t(in[x]));
        }
    }
    return bytes;
}

} // namespace core
