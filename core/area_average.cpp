// Temporary, direct form of the area-average rule so that the engine links; the
// real resampler replaces this file.
#include "core/area_average.h"

#include <cmath>
#include <limits>

namespace core {

static_assert(std::numeric_limits<long double>::digits == 64, "needs the x87 extended format");

AreaAverageWorkspace::AreaAverageWorkspace(std::int32_t srcWidth, std::int32_t dstWidth)
    : srcWidth_(srcWidth), dstWidth_(dstWidth), sx_(0.0)
{
}

namespace {

double firstWeight(std::int32_t l, double s)
{
    const long double a = (static_cast<long double>(l) + 1) * static_cast<long double>(s);
    const long double b = std::floor(static_cast<long double>(l) * static_cast<long double>(s));
    return static_cast<double>(a - b);
}

double lastWeight(std::int32_t x, std::int32_t l, double s)
{
    return static_cast<double>((static_cast<long double>(x) + 1) -
                               static_cast<long double>(l) * static_cast<long double>(s));
}

} // namespace

void areaAverage(const std::uint32_t* src, std::int32_t srcWidth, std::int32_t srcHeight,
                 std::uint32_t* dst, std::int32_t dstWidth, std::int32_t dstHeight,
                 AreaAverageWorkspace&, const RowProgress& onRowProgress)
{
    const double sx = static_cast<double>(static_cast<long double>(dstWidth) / srcWidth);
    const double sy = static_cast<double>(static_cast<long double>(dstHeight) / srcHeight);
    const long double rx = 1.0L / static_cast<long double>(sx);
    const long double ry = 1.0L / static_cast<long double>(sy);
    for (std::int32_t y = 0; y < dstHeight; ++y) {
        if (onRowProgress)
            onRowProgress(y + 1);
        const auto r0 = static_cast<std::int32_t>(std::floor(ry * y));
        const auto r1 = static_cast<std::int32_t>(std::ceil(ry * (static_cast<long double>(y) + 1))) - 1;
        for (std::int32_t x = 0; x < dstWidth; ++x) {
            const auto c0 = static_cast<std::int32_t>(std::floor(rx * x));
            const auto c1 = static_cast<std::int32_t>(std::ceil(rx * (static_cast<long double>(x) + 1))) - 1;
            double r = 0, g = 0, b = 0, t = 0;
            for (std::int32_t k = r0; k <= r1; ++k) {
                const double wy = k == r0 ? firstWeight(k, sy) : k == r1 ? lastWeight(y, k, sy) : sy;
                for (std::int32_t l = c0; l <= c1; ++l) {
                    const double wx = l == c0 ? firstWeight(l, sx) : l == c1 ? lastWeight(x, l, sx) : sx;
                    if (l >= srcWidth || k >= srcHeight)
                        continue;
                    const std::uint32_t p = src[std::size_t(k) * std::size_t(srcWidth) + std::size_t(l)];
                    const long double wxl = wx, wyl = wy;
                    r = static_cast<double>(((p >> 16) & 0xFF) * wxl * wyl + r);
                    g = static_cast<double>(((p >> 8) & 0xFF) * wxl * wyl + g);
                    b = static_cast<double>((p & 0xFF) * wxl * wyl + b);
                    t = static_cast<double>(wxl * wyl + t);
                }
            }
            double mean[3] = {static_cast<double>(static_cast<long double>(r) / t),
                              static_cast<double>(static_cast<long double>(g) / t),
                              static_cast<double>(static_cast<long double>(b) / t)};
            std::uint32_t word = 0;
            for (double& m : mean) {
                if (m > 255.0)
                    m = 255.0;
                word = word * 256 + static_cast<std::uint32_t>(std::nearbyint(m));
            }
            dst[std::size_t(y) * std::size_t(dstWidth) + std::size_t(x)] = word;
        }
    }
}

void areaAverage(const XrgbBuffer& src, XrgbBuffer& dst, const RowProgress& onRowProgress)
{
    AreaAverageWorkspace workspace(src.width(), dst.width());
    areaAverage(src.data(), src.width(), src.height(), dst.data(), dst.width(), dst.height(),
                workspace, onRowProgress);
}

} // namespace core
