#include "core/area_average.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <ostream>
#include <string>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using Words = std::vector<std::uint32_t>;
using Extended = long double;

std::uint32_t gray(std::uint32_t v) { return v * 0x010101u; }
std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r << 16 | g << 8 | b; }

Words grays(std::initializer_list<std::uint32_t> values)
{
    Words words;
    for (std::uint32_t v : values)
        words.push_back(gray(v));
    return words;
}

Words resample(const Words& src, int w, int h, int w2, int h2, std::vector<int>* calls = nullptr)
{
    Words dst(std::size_t(w2) * std::size_t(h2), 0xDEADBEEFu);
    core::AreaAverageWorkspace workspace(w, w2);
    core::areaAverage(src.data(), w, h, dst.data(), w2, h2, workspace, [&](std::int32_t n) {
        if (calls)
            calls->push_back(n);
    });
    return dst;
}

// A word-for-word transcription of the rule for one target pixel at a time, with
// nothing hoisted: the resampler must give exactly what this gives.
Words reference(const Words& src, int W, int H, int W2, int H2)
{
    Words dst(std::size_t(W2) * std::size_t(H2));
    const double sx = double(Extended(W2) / Extended(W));
    const double sy = double(Extended(H2) / Extended(H));
    for (int y = 0; y < H2; ++y) {
        for (int x = 0; x < W2; ++x) {
            const int c0 = int(std::floor((1.0L / Extended(sx)) * Extended(x)));
            const int c1 = int(std::ceil((1.0L / Extended(sx)) * Extended(x + 1))) - 1;
            const int r0 = int(std::floor((1.0L / Extended(sy)) * Extended(y)));
            const int r1 = int(std::ceil((1.0L / Extended(sy)) * Extended(y + 1))) - 1;
            double R = 0, G = 0, B = 0, T = 0;
            for (int K = r0; K <= r1; ++K) {
                for (int L = c0; L <= c1; ++L) {
                    double wx, wy;
                    if (L == c0)
                        wx = double(Extended(L + 1) * sx - std::floor(Extended(L) * sx));
                    else if (L == c1)
                        wx = double(Extended(x + 1) - Extended(L) * sx);
                    else
                        wx = sx;
                    if (K == r0)
                        wy = double(Extended(K + 1) * sy - std::floor(Extended(K) * sy));
                    else if (K == r1)
                        wy = double(Extended(y + 1) - Extended(K) * sy);
                    else
                        wy = sy;
                    if (L < W && K < H) {
                        const std::uint32_t p = src[std::size_t(K) * W + L];
                        R = double(R + (Extended((p >> 16) & 255) * wx) * wy);
                        G = double(G + (Extended((p >> 8) & 255) * wx) * wy);
                        B = double(B + (Extended(p & 255) * wx) * wy);
                        T = double(T + Extended(wx) * wy);
                    }
                }
            }
            double m[3] = {double(R / Extended(T)), double(G / Extended(T)), double(B / Extended(T))};
            std::uint32_t word = 0;
            for (double v : m)
                word = word * 256 + std::uint32_t(std::nearbyint(v > 255 ? 255.0 : v));
            dst[std::size_t(y) * W2 + x] = word;
        }
    }
    return dst;
}

struct Case {
    const char* name;
    int w, h, w2, h2;
    Words src;
    Words expected;
};

// Hand-computed cases. Buffers are listed in buffer order: bottom row first.
const Case kCases[] = {
    {"2:1 both ways is the mean of each block, ties to even", 4, 2, 2, 1,
     grays({1, 2, 3, 4, 5, 6, 7, 8}), grays({4, 6})},
    {"halves go to the even neighbour", 4, 1, 2, 1, grays({0, 1, 2, 3}), grays({0, 2})},
    {"4 to 3: the first column weighs more than its covered share", 4, 1, 3, 1,
     grays({0, 100, 200, 255}), grays({25, 125, 221})},
    {"three channels", 4, 1, 3, 1,
     {rgb(255, 128, 0), rgb(0, 128, 255), rgb(16, 32, 48), rgb(255, 255, 255)},
     {rgb(191, 128, 64), rgb(4, 104, 203), rgb(106, 116, 126)}},
    {"enlarging 2 to 3", 2, 1, 3, 1, grays({0, 255}), grays({0, 64, 255})},
    {"rows count from the bottom of the picture", 1, 4, 1, 3,
     grays({40, 30, 20, 10}), grays({38, 28, 16})},
    {"2x2 to 3x3", 2, 2, 3, 3, grays({0, 60, 120, 240}),
     grays({0, 15, 60, 30, 49, 105, 120, 150, 240})},
    {"3:1, the first column weighs 1 + sx", 6, 1, 2, 1,
     grays({0, 30, 60, 90, 120, 150}), grays({30, 105})},
    {"3:1, a cell of weight 2^-54 inside the source does not show", 6, 1, 2, 1,
     grays({0, 0, 0, 255, 0, 0}), grays({0, 170})},
    {"5:1, the range starts one cell early", 10, 1, 2, 1,
     grays({0, 10, 20, 30, 40, 50, 60, 70, 80, 90}), grays({20, 55})},
    {"5:1, the early cell weighs 1.0", 10, 1, 2, 1,
     grays({0, 0, 0, 0, 100, 0, 0, 0, 0, 0}), grays({20, 50})},
    {"vertical 3:1 follows the same rule", 1, 6, 1, 2,
     grays({0, 30, 60, 90, 120, 150}), grays({30, 105})},
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

std::string caseName(const ::testing::TestParamInfo<Case>& info)
{
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return std::to_string(info.index) + "_" + name.substr(0, 40);
}

class HandComputed : public ::testing::TestWithParam<Case> {};

TEST_P(HandComputed, GivesTheStatedWords)
{
    const Case& c = GetParam();
    EXPECT_EQ(resample(c.src, c.w, c.h, c.w2, c.h2), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(AreaAverage, HandComputed, ::testing::ValuesIn(kCases), caseName);

TEST(AreaAverage, EqualSizesCopyTheSourceWithTheFourthByteCleared)
{
    std::mt19937 random(7);
    Words src(35 * 39);
    for (auto& word : src)
        word = random();
    Words expected = src;
    for (auto& word : expected)
        word &= 0x00FFFFFFu;
    EXPECT_EQ(resample(src, 35, 39, 35, 39), expected);
}

TEST(AreaAverage, OnePixelAndOneColourStayThemselvesAtAnySize)
{
    const int sizes[][4] = {{1, 1, 1, 1}, {1, 1, 3, 2}, {1, 1, 7, 5}, {1, 1, 1, 9},
                            {10, 7, 3, 3}, {7, 5, 13, 11}, {6, 1, 2, 1}, {10, 1, 2, 1}, {17, 23, 5, 7}};
    for (const auto& s : sizes) {
        const std::uint32_t pixel = s[0] == 1 && s[1] == 1 ? (127u << 24 | rgb(18, 52, 86))
                                                           : (0xAB000000u | rgb(255, 255, 255));
        const Words src(std::size_t(s[0]) * s[1], pixel);
        const Words expected(std::size_t(s[2]) * s[3], pixel & 0x00FFFFFFu);
        EXPECT_EQ(resample(src, s[0], s[1], s[2], s[3]), expected)
            << s[0] << "x" << s[1] << " to " << s[2] << "x" << s[3];
    }
}

TEST(AreaAverage, HookGetsEveryRowNumberBeforeThatRowIsComputed)
{
    const Words src = grays({1, 2, 3, 4, 5, 6});
    Words dst(2 * 3, 0xDEADBEEFu);
    std::vector<int> calls;
    core::AreaAverageWorkspace workspace(2, 2);
    core::areaAverage(src.data(), 2, 3, dst.data(), 2, 3, workspace, [&](std::int32_t n) {
        calls.push_back(n);
        // Rows before n-1 are done; row n-1 and later are not started.
        for (int row = 0; row < 3; ++row) {
            const bool done = dst[std::size_t(row) * 2] != 0xDEADBEEFu;
            EXPECT_EQ(done, row < n - 1) << "call " << n << ", row " << row;
        }
    });
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 3}));
}

TEST(AreaAverage, EmptyTargetsWriteNothingButStillReportRows)
{
    const Words src = grays({9, 9, 9, 9});
    std::vector<int> calls;
    Words canary(4, 0xDEADBEEFu);
    core::AreaAverageWorkspace noColumns(2, 0);
    core::areaAverage(src.data(), 2, 2, canary.data(), 0, 3, noColumns,
                      [&](std::int32_t n) { calls.push_back(n); });
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 3}));

    calls.clear();
    core::AreaAverageWorkspace columns(2, 2);
    core::areaAverage(src.data(), 2, 2, canary.data(), 2, 0, columns,
                      [&](std::int32_t n) { calls.push_back(n); });
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(canary, Words(4, 0xDEADBEEFu));
}

TEST(AreaAverage, MatchesTheOnePixelAtATimeRuleOverManySmallSizes)
{
    std::mt19937 random(2024);
    int compared = 0;
    for (int w = 1; w <= 13; ++w) {
        for (int h = 1; h <= 13; h += (w % 3) + 1) {
            for (int trial = 0; trial < 6; ++trial) {
                const int w2 = int(random() % 20), h2 = int(random() % 20);
                Words src(std::size_t(w) * h);
                for (auto& word : src)
                    word = random();
                ASSERT_EQ(resample(src, w, h, w2, h2), reference(src, w, h, w2, h2))
                    << w << "x" << h << " to " << w2 << "x" << h2;
                ++compared;
            }
        }
    }
    // Ratios where the stored factors are inexact, which the ranges depend on, and
    // ratios whose weights are short binary fractions (halves, quarters, 1/64...).
    const int awkward[][4] = {{10, 10, 2, 2}, {15, 9, 3, 3}, {7, 11, 5, 3}, {100, 3, 7, 3},
                              {3, 100, 3, 7}, {49, 50, 7, 10}, {1000, 1, 3, 1}, {5, 5, 16, 16},
                              {256, 3, 1, 1}, {64, 64, 2, 2}, {100, 100, 200, 150}, {40, 12, 30, 9},
                              {8, 8, 64, 64}, {128, 96, 48, 36}, {4096, 2, 3, 1}};
    for (const auto& s : awkward) {
        Words src(std::size_t(s[0]) * s[1]);
        for (auto& word : src)
            word = random();
        ASSERT_EQ(resample(src, s[0], s[1], s[2], s[3]), reference(src, s[0], s[1], s[2], s[3]))
            << s[0] << "x" << s[1] << " to " << s[2] << "x" << s[3];
    }
    EXPECT_GT(compared, 300);
}

TEST(AreaAverage, BufferFormRunsTheSameRule)
{
    auto src = core::XrgbBuffer::create(6, 1);
    auto dst = core::XrgbBuffer::create(2, 1);
    const std::uint32_t values[] = {0, 30, 60, 90, 120, 150};
    for (int i = 0; i < 6; ++i)
        src.data()[i] = gray(values[i]);
    int calls = 0;
    core::areaAverage(src, dst, [&](std::int32_t) { ++calls; });
    EXPECT_EQ(dst.data()[0], gray(30));
    EXPECT_EQ(dst.data()[1], gray(105));
    EXPECT_EQ(calls, 1);
}

TEST(XrgbBuffer, RefusesTwoToTheThirtyPixelsAndIsZeroFilled)
{
    EXPECT_TRUE(core::XrgbBuffer::sizeAllowed(32767, 32768));
    EXPECT_FALSE(core::XrgbBuffer::sizeAllowed(32768, 32768));
    EXPECT_FALSE(core::XrgbBuffer::sizeAllowed(65500, 65500));
    EXPECT_FALSE(core::XrgbBuffer::sizeAllowed(-1, 5));
    EXPECT_FALSE(core::XrgbBuffer::create(1 << 15, 1 << 15).valid());

    auto empty = core::XrgbBuffer::create(0, 7);
    EXPECT_TRUE(empty.valid());
    EXPECT_EQ(empty.pixelCount(), 0u);

    auto buffer = core::XrgbBuffer::create(33, 17);
    ASSERT_TRUE(buffer.valid());
    for (std::size_t i = 0; i < buffer.pixelCount(); ++i)
        ASSERT_EQ(buffer.data()[i], 0u);
    EXPECT_EQ(buffer.row(2) - buffer.data(), 66);
}

} // namespace
