// Benchmarks of the work done for every point of the sweep: the Debye
// function, the rendering of the two reals, and the layout of the record.
#include <benchmark/benchmark.h>

#include <vector>

#include "calc/debye_heat_capacity.h"
#include "records/decimal_rendering.h"
#include "records/free_format_writer.h"

namespace {

// x = theta / T over a sweep of 1 K to 1000 K at theta = 345 K: all five
// regions, weighted as a real sweep weights them.
std::vector<double> sweep_arguments() {
    std::vector<double> xs;
    for (int t = 1; t <= 1000; ++t) xs.push_back(345.0 / t);
    return xs;
}

void BM_DebyeHeatCapacity(benchmark::State& state) {
    const std::vector<double> xs = sweep_arguments();
    for (auto _ : state) {
        for (const double x : xs) benchmark::DoNotOptimize(sotra::debye_heat_capacity(x));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(xs.size()));
}
BENCHMARK(BM_DebyeHeatCapacity);

void BM_RealDigits(benchmark::State& state) {
    const std::vector<double> xs = sweep_arguments();
    for (auto _ : state) {
        for (const double x : xs) benchmark::DoNotOptimize(sotra::real_digits(static_cast<float>(x)));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(xs.size()));
}
BENCHMARK(BM_RealDigits);

// The two texts of a point, as the layout makes them: no allocation.
void BM_PointTexts(benchmark::State& state) {
    const std::vector<double> xs = sweep_arguments();
    std::vector<float> cvs;
    for (const double x : xs) cvs.push_back(static_cast<float>(sotra::debye_heat_capacity(x) * 6.0));
    char text[sotra::kFreeFormatRealRoom];
    for (auto _ : state) {
        float t = 1.0f;
        for (const float cv : cvs) {
            benchmark::DoNotOptimize(sotra::write_free_format_real(t, text + sizeof text));
            benchmark::DoNotOptimize(sotra::write_free_format_real(cv, text + sizeof text));
            benchmark::ClobberMemory();
            t += 1.0f;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(xs.size()));
}
BENCHMARK(BM_PointTexts);

// The Debye function and the whole layout of a point's record, collected
// as a string (the allocation of which the program's own writes do not have).
void BM_PointRecord(benchmark::State& state) {
    const std::vector<double> xs = sweep_arguments();
    for (auto _ : state) {
        float t = 1.0f;
        for (const double x : xs) {
            const sotra::FreeFormatItem items[] = {
                sotra::FreeFormatItem::of_real(t),
                sotra::FreeFormatItem::of_real(static_cast<float>(sotra::debye_heat_capacity(x) * 6.0)),
            };
            benchmark::DoNotOptimize(sotra::lay_out_free_format(items));
            t += 1.0f;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(xs.size()));
}
BENCHMARK(BM_PointRecord);

}  // namespace
