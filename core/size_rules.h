#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace core {

// The integer value of a text: an optional "+" or "-" and one or more decimal
// digits, within the 32-bit signed range. Anything else fails, the empty text,
// spaces and hexadecimal forms included.
std::optional<std::int32_t> strToInt(const std::string& text);

// The ratio rule: percent / 100 rounded to extended precision, times the recorded
// size rounded to extended precision, then the nearest integer, ties to even.
// 64 bits wide because 999 % of a 32-bit size need not fit in 32 bits.
std::int64_t ratioSize(std::int32_t percent, std::int32_t recordedSize);

// True when a result of this size can be made: both sides at least 1 and fewer
// than 2^30 pixels in all.
bool targetSizeAllowed(std::int64_t width, std::int64_t height);

} // namespace core
