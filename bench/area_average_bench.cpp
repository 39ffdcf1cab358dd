#include "core/area_average.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

// A 12-megapixel picture of photo-like noise: smooth gradients with grain.
const core::XrgbBuffer& source()
{
    static core::XrgbBuffer buffer = [] {
        auto b = core::XrgbBuffer::create(4000, 3000);
        std::mt19937 random(1);
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x) {
                const std::uint32_t grain = random() & 15;
                const std::uint32_t r = (x * 255 / 4000 + grain) & 255;
                const std::uint32_t g = (y * 255 / 3000 + grain) & 255;
                const std::uint32_t bl = ((x + y) * 255 / 7000 + grain) & 255;
                b.row(y)[x] = r << 16 | g << 8 | bl;
            }
        return b;
    }();
    return buffer;
}

void resize(benchmark::State& state, int w2, int h2)
{
    const auto& src = source();
    auto dst = core::XrgbBuffer::create(w2, h2);
    core::AreaAverageWorkspace workspace(src.width(), w2);
    std::int32_t last = 0;
    for (auto _ : state) {
        core::areaAverage(src.data(), src.width(), src.height(), dst.data(), w2, h2, workspace,
                          [&](std::int32_t n) { last = n; });
        benchmark::DoNotOptimize(dst.data());
    }
    benchmark::DoNotOptimize(last);
    state.counters["src_cells/s"] = benchmark::Counter(double(src.pixelCount()),
                                                       benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Half(benchmark::State& state) { resize(state, 2000, 1500); }
void BM_To1280x960(benchmark::State& state) { resize(state, 1280, 960); }
void BM_Enlarge150(benchmark::State& state) { resize(state, 6000, 4500); }

BENCHMARK(BM_Half)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_To1280x960)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Enlarge150)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
