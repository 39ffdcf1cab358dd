#include "core/size_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(StrToInt, AcceptsSignedDecimalIntegersInThe32BitRange)
{
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"0", 0},           {"80", 80},       {"+7", 7},          {"-7", -7},
        {"-0", 0},          {"007", 7},       {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},     {"00000000000000000000042", 42},
    };
    for (const auto& c : cases) {
        const auto value = core::strToInt(c.text);
        ASSERT_TRUE(value.has_value()) << c.text;
        EXPECT_EQ(*value, c.value) << c.text;
    }
}

TEST(StrToInt, RejectsEverythingElse)
{
    const char* cases[] = {
        "",     "+",   "-",    " 1",  "1 ",  "1.5", "1e3",  "0x10", "$10", "--1", "+-1",
        "2147483648", "-2147483649", "99999999999999999999", "１２", "12a", "\t3",
    };
    for (const char* text : cases)
        EXPECT_FALSE(core::strToInt(text).has_value()) << '"' << text << '"';
}

TEST(RatioSize, RoundsTheExtendedProductToEven)
{
    const struct {
        std::int32_t percent, size;
        std::int64_t expected;
    } cases[] = {
        // Exact halves go to the even neighbour.
        {50, 1281, 640}, {50, 1283, 642}, {50, 961, 480}, {50, 1, 0},
        // p / 100 in extended precision lies just beside the half.
        {15, 190, 29}, {21, 150, 31},
        {100, 4032, 4032}, {1, 50, 0}, {1, 51, 1}, {0, 1000, 0},
        {999, 7000, 69930}, {-50, 100, -50},
        // Wider than 32 bits: the refusal of the size comes later, not an overflow here.
        {999, 2147483647, 21453361634LL},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::ratioSize(c.percent, c.size), c.expected) << c.percent << " % of " << c.size;
}

TEST(TargetSizeAllowed, NeedsBothSidesPositiveAndFewerThan2To30Pixels)
{
    const std::int64_t big = std::int64_t{1} << 30;
    const struct {
        std::int64_t width, height;
        bool allowed;
    } cases[] = {
        {1, 1, true},          {0, 10, false},       {10, 0, false},       {-1, 10, false},
        {10, -3, false},       {32768, 32767, true}, {32768, 32768, false}, {big - 1, 1, true},
        {big, 1, false},       {1, big, false},      {big * 4, big * 4, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(core::targetSizeAllowed(c.width, c.height), c.allowed) << c.width << " x " << c.height;
}

} // namespace
