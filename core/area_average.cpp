#include "core/area_average.h"

#include <algorithm>
#include <cmath>
#include <limits>

// Every value below is formed in the x87 extended format and rounded to a double
// exactly where it is stored; the cell ranges and weights depend on it.
static_assert(std::numeric_limits<long double>::digits == 64,
              "the resampler needs long double with a 64-bit significand");

namespace core {

namespace {

using Extended = long double;

// Bound on the sum of the weights of a target pixel, counted in units of the
// smallest binary place used, for the whole-number path below.
constexpr Extended kFixedBound = 1099511627776.0L; // 2^40

// Mean tables: at most this many distinct column sums, this many tables kept, each
// this long.
constexpr std::size_t kMaxColumnSums = 4;
constexpr std::size_t kMeanTableCount = 8;
constexpr std::uint64_t kMeanTableSize = 1 << 16;

// Weight of cell `index` of the range first..last on one axis, for target
// position `target` and scale factor `scale`. The first cell subtracts the whole
// part of where it begins on the target axis, not the target position: that is
// the rule, even though it gives the first cell more than its covered share.
double cellWeight(std::int32_t index, std::int32_t first, std::int32_t last,
                  std::int32_t target, double scale)
{
    if (index == first)
        return double((Extended(index) + 1) * scale - std::floor(Extended(index) * scale));
    if (index == last)
        return double(Extended(target) + 1 - Extended(index) * scale);
    return scale;
}

// First and last source cell of target position `target`. The reciprocal of the
// stored double, in extended precision: for 5:1 the stored factor lies just above
// 1/5 and its extended reciprocal just below 5, which moves the range one cell.
void cellRange(Extended reciprocal, std::int32_t target, std::int32_t& first, std::int32_t& last)
{
    first = std::int32_t(std::floor(reciprocal * Extended(target)));
    last = std::int32_t(std::ceil(reciprocal * (Extended(target) + 1))) - 1;
}

// Number of binary places of a weight that is a short binary fraction, or -1.
int fractionBits(double weight)
{
    if (weight < 0 || !std::isfinite(weight))
        return -1;
    if (weight == 0)
        return 0;
    int exponent;
    const double mantissa = std::frexp(weight, &exponent); // weight = mantissa * 2^exponent
    auto digits = std::uint64_t(std::ldexp(mantissa, 53));
    int bits = 53 - exponent;
    while (bits > 0 && (digits & 1) == 0) {
        digits >>= 1;
        --bits;
    }
    return bits <= 40 && digits < (std::uint64_t{1} << 24) ? bits : -1;
}

std::uint64_t fixedOf(double weight, int bits) { return std::uint64_t(std::ldexp(weight, bits)); }

// Nearest integer, ties to even, for 0 <= value < 2^51 (and tiny negatives):
// adding and taking away 2^52 leaves no fraction bits, in the default rounding mode.
std::uint32_t roundToEven(double value)
{
    constexpr double shift = 4503599627370496.0; // 2^52
    return std::uint32_t((value + shift) - shift);
}

// Nearest integer to sum / total, ties to even, for sum <= 255 * total, total < 2^40,
// given inverse within a few units in the last place of 1 / total. It equals the
// rounded double mean of the rule: unless sum / total is exactly a half, it lies at
// least 1 / (2 total) > 2^-41 from one, while rounding it to extended and then to
// a double moves it by less than 2^-45, so both round to the same integer.
std::uint32_t fixedMean(std::uint64_t sum, std::uint64_t total, double inverse)
{
    constexpr double shift = 4503599627370496.0; // 2^52
    const auto s = std::int64_t(sum), t = std::int64_t(total);
    // The estimate is off by at most one; the exact remainder decides, without
    // branches, since which way each test goes depends on the picture.
    std::int64_t n = std::int64_t((double(s) * inverse + shift) - shift);
    const std::int64_t twiceRest = 2 * (s - n * t);
    const std::int64_t odd = n & 1;
    n += (twiceRest > t) - (twiceRest < -t) + ((twiceRest == t) & odd) - ((twiceRest == -t) & odd);
    return std::uint32_t(n);
}

std::uint32_t channelMean(Extended sum, Extended total)
{
    double mean = double(sum / total);
    if (mean > 255.0)
        mean = 255.0;
    return roundToEven(mean);
}

} // namespace

AreaAverageWorkspace::AreaAverageWorkspace(std::int32_t srcWidth, std::int32_t dstWidth)
    : srcWidth_(srcWidth), dstWidth_(dstWidth)
{
    if (srcWidth < 1 || dstWidth < 1)
        return;
    const double sx = double(Extended(dstWidth) / Extended(srcWidth));
    const Extended reciprocal = 1.0L / Extended(sx);

    columns_.resize(std::size_t(dstWidth));
    weights_.reserve(std::size_t(srcWidth) + 2 * std::size_t(dstWidth));
    for (std::int32_t x = 0; x < dstWidth; ++x) {
        std::int32_t c0, c1;
        cellRange(reciprocal, x, c0, c1);
        Column& column = columns_[std::size_t(x)];
        column.first = c0;
        column.weight = std::uint32_t(weights_.size());
        // Cells beyond the last source column carry a weight too, but are never taken.
        for (std::int32_t L = c0; L <= c1 && L < srcWidth; ++L)
            weights_.push_back(cellWeight(L, c0, c1, x, sx));
        column.count = std::int32_t(weights_.size() - column.weight);
    }

    fixedColumns_ = true;
    for (double w : weights_) {
        const int bits = fractionBits(w);
        if (bits < 0) {
            fixedColumns_ = false;
            break;
        }
        columnBits_ = std::max(columnBits_, bits);
    }
    if (fixedColumns_) {
        fixedWeights_.reserve(weights_.size());
        for (double w : weights_)
            fixedWeights_.push_back(fixedOf(w, columnBits_));
        for (const Column& column : columns_) {
            std::uint64_t sum = 0;
            for (std::int32_t i = 0; i < column.count; ++i)
                sum += fixedWeights_[column.weight + std::size_t(i)];
            maxColumnSum_ = std::max(maxColumnSum_, sum);
            fixedColumnSums_.push_back(sum);
            fixedColumnInverses_.push_back(1.0 / double(std::int64_t(sum)));
        }
        // Regular ratios (halves, quarters, 3 to 2) have very few distinct column sums.
        for (std::uint64_t sum : fixedColumnSums_) {
            auto found = std::find(tableColumnSums_.begin(), tableColumnSums_.end(), sum);
            if (found == tableColumnSums_.end()) {
                if (tableColumnSums_.size() == kMaxColumnSums) {
                    tableColumnSums_.clear();
                    columnTable_.clear();
                    break;
                }
                found = tableColumnSums_.insert(tableColumnSums_.end(), sum);
            }
            columnTable_.push_back(std::uint32_t(found - tableColumnSums_.begin()));
        }
        if (!tableColumnSums_.empty()) {
            meanTables_.assign(kMeanTableCount * kMeanTableSize, 0);
            tableTotals_.assign(kMeanTableCount, 0);
        }
    }
    sums_.assign(4 * std::size_t(dstWidth), 0.0);
    channels_.assign(3 * std::size_t(srcWidth), 0);
}

bool AreaAverageWorkspace::meanTables(std::uint64_t rowSum, const std::uint8_t** tables)
{
    if (tableColumnSums_.empty())
        return false;
    for (std::uint64_t sum : tableColumnSums_)
        if (255 * sum * rowSum >= kMeanTableSize)
            return false;
    for (std::size_t j = 0; j < tableColumnSums_.size(); ++j) {
        const std::uint64_t total = tableColumnSums_[j] * rowSum;
        auto found = std::find(tableTotals_.begin(), tableTotals_.end(), total);
        if (found == tableTotals_.end()) {
            // Replace the oldest table, but never one this row already uses.
            do
                found = tableTotals_.begin() + std::ptrdiff_t(nextTable_++ % kMeanTableCount);
            while (std::find(tables, tables + j, meanTables_.data() + (found - tableTotals_.begin()) * kMeanTableSize)
                   != tables + j);
            std::uint8_t* table = meanTables_.data() + (found - tableTotals_.begin()) * kMeanTableSize;
            const double inverse = 1.0 / double(std::int64_t(total));
            for (std::uint64_t s = 0; s <= 255 * total; ++s)
                table[s] = std::uint8_t(fixedMean(s, total, inverse));
            *found = total;
        }
        tables[j] = meanTables_.data() + (found - tableTotals_.begin()) * kMeanTableSize;
    }
    return true;
}

namespace {

// The source rows of one target row and their weights: the first row, the last
// row and every row between have one weight each.
struct RowSpan {
    std::int32_t first, last; // r0 and r1
    std::int32_t lastTaken;   // r1, or the last source row when r1 lies beyond it
    double firstWeight, lastWeight, weight;

    double weightOf(std::int32_t K) const
    {
        return K == first ? firstWeight : K == last ? lastWeight : weight;
    }
};

} // namespace

// The two ways of computing one target row; a friend of the workspace.
struct AreaAverageRows {
    static void extended(const std::uint32_t* src, std::int32_t srcWidth, const RowSpan& rows,
                         AreaAverageWorkspace& workspace, std::int32_t dstWidth, std::uint32_t* out);
    static void fixed(const std::uint32_t* src, std::int32_t srcWidth, const RowSpan& rows,
                      std::uint64_t firstWeight, std::uint64_t lastWeight, std::uint64_t weight,
                      std::uint64_t rowSum, AreaAverageWorkspace& workspace,
                      std::int32_t dstWidth, std::uint32_t* out);
};

// Rule order for every target pixel: source rows outer, columns inner, each sum
// rounded to a double after every addition. Sweeping whole source rows keeps
// every pixel's additions in that order.
void AreaAverageRows::extended(const std::uint32_t* src, std::int32_t srcWidth, const RowSpan& rows,
                               AreaAverageWorkspace& workspace, std::int32_t dstWidth, std::uint32_t* out)
{
    const AreaAverageWorkspace::Column* columns = workspace.columns_.data();
    const double* weights = workspace.weights_.data();
    double* sums = workspace.sums_.data();
    std::int32_t* channels = workspace.channels_.data();
    std::int32_t* reds = channels;
    std::int32_t* greens = reds + srcWidth;
    std::int32_t* blues = greens + srcWidth;
    std::fill(sums, sums + 4 * std::size_t(dstWidth), 0.0);
    for (std::int32_t K = rows.first; K <= rows.lastTaken; ++K) {
        const Extended wy = rows.weightOf(K);
        const std::uint32_t* row = src + std::size_t(K) * std::size_t(srcWidth);
        // Channels spread into integer rows, so that each converts to extended
        // straight from memory.
        for (std::int32_t L = 0; L < srcWidth; ++L) {
            const std::uint32_t p = row[L];
            reds[L] = std::int32_t((p >> 16) & 0xFF);
            greens[L] = std::int32_t((p >> 8) & 0xFF);
            blues[L] = std::int32_t(p & 0xFF);
        }
        double* sum = sums;
        for (std::int32_t x = 0; x < dstWidth; ++x, sum += 4) {
            const AreaAverageWorkspace::Column& column = columns[x];
            const std::int32_t* r = reds + column.first;
            const std::int32_t* g = greens + column.first;
            const std::int32_t* b = blues + column.first;
            const double* wx = weights + column.weight;
            double R = sum[0], G = sum[1], B = sum[2], T = sum[3];
            for (std::int32_t i = 0; i < column.count; ++i) {
                const Extended w = wx[i];
                R = double(R + (Extended(r[i]) * w) * wy);
                G = double(G + (Extended(g[i]) * w) * wy);
                B = double(B + (Extended(b[i]) * w) * wy);
                T = double(T + w * wy);
            }
            sum[0] = R; sum[1] = G; sum[2] = B; sum[3] = T;
        }
    }
    const double* sum = sums;
    for (std::int32_t x = 0; x < dstWidth; ++x, sum += 4) {
        const Extended T = sum[3];
        out[x] = channelMean(sum[0], T) << 16 | channelMean(sum[1], T) << 8 | channelMean(sum[2], T);
    }
}

// The same target row when no product or addition of the rule rounds at all:
// every weight is a whole multiple of 2^-bits and every sum stays below 2^48 such
// units. Whole-number sums then stand for exactly the values the rule forms, in
// any order, so each pixel is summed on its own in registers.
void AreaAverageRows::fixed(const std::uint32_t* src, std::int32_t srcWidth, const RowSpan& rows,
                            std::uint64_t firstWeight, std::uint64_t lastWeight, std::uint64_t weight,
                            std::uint64_t rowSum, AreaAverageWorkspace& workspace,
                            std::int32_t dstWidth, std::uint32_t* out)
{
    const double rowInverse = 1.0 / double(std::int64_t(rowSum));
    const std::uint8_t* meanTables[kMaxColumnSums];
    const bool tables = workspace.meanTables(rowSum, meanTables);
    for (std::int32_t x = 0; x < dstWidth; ++x) {
        const AreaAverageWorkspace::Column& column = workspace.columns_[std::size_t(x)];
        const std::uint64_t* wx = workspace.fixedWeights_.data() + column.weight;
        // Every cell of the target pixel with its whole-number weight.
        auto eachCell = [&](auto&& add) {
            for (std::int32_t K = rows.first; K <= rows.lastTaken; ++K) {
                const std::uint64_t wy = K == rows.first ? firstWeight : K == rows.last ? lastWeight : weight;
                const std::uint32_t* cell = src + std::size_t(K) * std::size_t(srcWidth) + column.first;
                for (std::int32_t i = 0; i < column.count; ++i)
                    add(cell[i], wx[i] * wy);
            }
        };
        if (tables) {
            // Sums below 2^16: the three channels share one word, 21 bits apart.
            std::uint64_t RGB = 0;
            eachCell([&](std::uint32_t p, std::uint64_t w) {
                RGB += ((p & 0xFF) | std::uint64_t(p & 0xFF00) << 13 | std::uint64_t(p & 0xFF0000) << 26) * w;
            });
            const std::uint8_t* mean = meanTables[workspace.columnTable_[std::size_t(x)]];
            constexpr std::uint64_t lane = (std::uint64_t{1} << 21) - 1;
            out[x] = std::uint32_t(mean[RGB >> 42]) << 16 | std::uint32_t(mean[(RGB >> 21) & lane]) << 8
                     | mean[RGB & lane];
            continue;
        }
        std::uint64_t R = 0, G = 0, B = 0;
        eachCell([&](std::uint32_t p, std::uint64_t w) {
            R += ((p >> 16) & 0xFF) * w;
            G += ((p >> 8) & 0xFF) * w;
            B += (p & 0xFF) * w;
        });
        // Exact sums: the total of the weights is the product of the two axes' sums.
        const std::uint64_t T = workspace.fixedColumnSums_[std::size_t(x)] * rowSum;
        const double inverse = workspace.fixedColumnInverses_[std::size_t(x)] * rowInverse;
        out[x] = fixedMean(R, T, inverse) << 16 | fixedMean(G, T, inverse) << 8 | fixedMean(B, T, inverse);
    }
}

void areaAverage(const std::uint32_t* src, std::int32_t srcWidth, std::int32_t srcHeight,
                 std::uint32_t* dst, std::int32_t dstWidth, std::int32_t dstHeight,
                 AreaAverageWorkspace& workspace, const RowProgress& onRowProgress)
{
    if (dstHeight < 1)
        return;
    const double sy = double(Extended(dstHeight) / Extended(srcHeight));
    const Extended reciprocalY = 1.0L / Extended(sy);
    const bool haveColumns = dstWidth > 0 && workspace.dstWidth_ == dstWidth
                             && workspace.srcWidth_ == srcWidth;

    for (std::int32_t y = 0; y < dstHeight; ++y) {
        if (onRowProgress)
            onRowProgress(y + 1);
        if (!haveColumns)
            continue;

        RowSpan rows;
        cellRange(reciprocalY, y, rows.first, rows.last);
        rows.lastTaken = rows.last < srcHeight - 1 ? rows.last : srcHeight - 1;
        rows.firstWeight = cellWeight(rows.first, rows.first, rows.last, y, sy);
        rows.lastWeight = cellWeight(rows.last, rows.first, rows.last, y, sy);
        rows.weight = sy;
        std::uint32_t* out = dst + std::size_t(y) * std::size_t(dstWidth);

        if (workspace.fixedColumns_) {
            const int bitsFirst = fractionBits(rows.firstWeight);
            const int bitsLast = fractionBits(rows.lastWeight);
            const int bitsMid = fractionBits(rows.weight);
            if (bitsFirst >= 0 && bitsLast >= 0 && bitsMid >= 0) {
                const int bits = std::max({bitsFirst, bitsLast, bitsMid});
                const std::uint64_t first = fixedOf(rows.firstWeight, bits);
                const std::uint64_t last = fixedOf(rows.lastWeight, bits);
                const std::uint64_t mid = fixedOf(rows.weight, bits);
                Extended rowSum = 0;
                for (std::int32_t K = rows.first; K <= rows.lastTaken; ++K)
                    rowSum += Extended(K == rows.first ? first : K == rows.last ? last : mid);
                if (Extended(workspace.maxColumnSum_) * rowSum < kFixedBound) {
                    AreaAverageRows::fixed(src, srcWidth, rows, first, last, mid,
                                           std::uint64_t(rowSum), workspace, dstWidth, out);
                    continue;
                }
            }
        }
        AreaAverageRows::extended(src, srcWidth, rows, workspace, dstWidth, out);
    }
}

void areaAverage(const XrgbBuffer& src, XrgbBuffer& dst, const RowProgress& onRowProgress)
{
    AreaAverageWorkspace workspace(src.width(), dst.width());
    areaAverage(src.data(), src.width(), src.height(), dst.data(), dst.width(), dst.height(),
                workspace, onRowProgress);
}

} // namespace core
