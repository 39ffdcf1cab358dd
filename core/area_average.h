#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/xrgb_buffer.h"

namespace core {

// Called once per target row y, before the row is computed, with y + 1.
using RowProgress = std::function<void(std::int32_t)>;

// Everything the resampler needs besides the two buffers: the column ranges and
// column weights of every target column, and room for the running sums of one
// target row. Made before the call so that the resampler itself allocates nothing.
struct AreaAverageRows;

class AreaAverageWorkspace {
public:
    AreaAverageWorkspace(std::int32_t srcWidth, std::int32_t dstWidth);

    std::int32_t srcWidth() const { return srcWidth_; }
    std::int32_t dstWidth() const { return dstWidth_; }

private:
    friend void areaAverage(const std::uint32_t*, std::int32_t, std::int32_t, std::uint32_t*,
                            std::int32_t, std::int32_t, AreaAverageWorkspace&, const RowProgress&);
    friend struct AreaAverageRows;

public:
    struct Column {
        std::int32_t first;   // c0
        std::int32_t count;   // cells of c0..c1 that lie inside the source
        std::uint32_t weight; // index of c0's weight in weights_ and fixedWeights_
    };

private:
    std::int32_t srcWidth_;
    std::int32_t dstWidth_;
    std::vector<Column> columns_;
    std::vector<double> weights_;
    // The same weights as whole multiples of 2^-columnBits_, when every one of
    // them is such a short binary fraction (0.5, 0.75, 1.5 ...).
    std::vector<std::uint64_t> fixedWeights_;
    bool fixedColumns_ = false;
    int columnBits_ = 0;
    std::uint64_t maxColumnSum_ = 0;
    std::vector<std::uint64_t> fixedColumnSums_;
    std::vector<double> fixedColumnInverses_;
    // Rounded means looked up instead of divided when the totals are small: a table
    // of the mean of every possible channel sum for each total in use, the totals
    // being the products of the few distinct column sums with the row sums met.
    bool meanTables(std::uint64_t rowSum, const std::uint8_t** tables);
    std::vector<std::uint32_t> columnTable_;     // per column: its column sum among these
    std::vector<std::uint64_t> tableColumnSums_; // the distinct column sums
    std::vector<std::uint64_t> tableTotals_;     // the total each table holds, 0: none
    std::vector<std::uint8_t> meanTables_;
    std::size_t nextTable_ = 0;
    std::vector<double> sums_;           // R, G, B, T for every target column of the current row
    std::vector<std::int32_t> channels_; // red, green and blue of the current source row
};

// Resizes src (srcWidth x srcHeight, both at least 1) into dst (dstWidth x dstHeight,
// both at least 0) by the area-average rule. Every word of dst is written once;
// bits 24-31 of src are ignored and those of dst are 0. Both buffers hold their rows
// bottom row first. The workspace must have been made for srcWidth and dstWidth.
void areaAverage(const std::uint32_t* src, std::int32_t srcWidth, std::int32_t srcHeight,
                 std::uint32_t* dst, std::int32_t dstWidth, std::int32_t dstHeight,
                 AreaAverageWorkspace& workspace, const RowProgress& onRowProgress);

// Convenience form: makes the workspace first, then runs the call above.
void areaAverage(const XrgbBuffer& src, XrgbBuffer& dst, const RowProgress& onRowProgress);

} // namespace core
