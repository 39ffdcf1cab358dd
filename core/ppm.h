#pragma once

#include <cstdint>
#include <vector>

#include "core/xrgb_buffer.h"

namespace core {

struct PpmHeader {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::size_t dataOffset = 0; // first byte of the top row
};

// Reads the header of a binary P6 file with maxval 255 (comments allowed).
// Fails for anything else, for a size outside the XRGB buffer's limits and for
// a file too short to hold every pixel.
bool parsePpmHeader(const std::vector<std::uint8_t>& bytes, PpmHeader& header);

// The pixels of a checked P6 file into picture, bottom row first.
bool readPpm(const std::vector<std::uint8_t>& bytes, XrgbBuffer& picture);

// picture (bottom row first) as a binary P6 file, top row first.
std::vector<std::uint8_t> writePpm(const XrgbBuffer& picture);

} // namespace core
