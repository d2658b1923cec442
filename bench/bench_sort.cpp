// The row sorts at payroll-office sizes: 100,000 detail records of 170 bytes
// with many equal keys, against the quadratic exchange sort they must match.
//   bench_sort --benchmark_counters_tabular=true
#include "workspace/ExchangeSort.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace {

// Records drawn from a small pool of distinct texts, so that groups of equal
// keys are large and interleaved with smaller ones.
std::vector<std::string> RecordKeys(size_t count, size_t distinct)
{
    std::mt19937 rng(170);
    std::uniform_int_distribution<int> digit('0', '9');
    std::uniform_int_distribution<int> letter(0xC1, 0xD9); // Greek capitals in cp1253
    std::vector<std::string> pool(distinct);
    for (auto& key : pool) {
        key = "3";
        for (int k = 0; k < 9; ++k)
            key.push_back(static_cast<char>(digit(rng)));
        while (key.size() < 170)
            key.push_back(static_cast<char>(letter(rng)));
    }
    std::uniform_int_distribution<size_t> pick(0, distinct - 1);
    std::vector<std::string> keys(count);
    for (auto& key : keys)
        key = pool[pick(rng)];
    return keys;
}

void BM_ExchangeSortOrder(benchmark::State& state)
{
    const auto keys = RecordKeys(static_cast<size_t>(state.range(0)), static_cast<size_t>(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(ExchangeSortOrder(keys));
    state.counters["rows"] = static_cast<double>(keys.size());
}
BENCHMARK(BM_ExchangeSortOrder)
    ->Args({10'000, 500})
    ->Args({100'000, 5'000})
    ->Args({100'000, 100})
    ->Args({100'000, 100'000})
    ->Unit(benchmark::kMillisecond);

// The quadratic sort: about n^2/2 comparisons, so 100,000 rows take about a
// hundred times the 10,000-row figure (the estimate_100k_s counter).
void BM_ExchangeSortOrderLiteral(benchmark::State& state)
{
    const auto keys = RecordKeys(static_cast<size_t>(state.range(0)), static_cast<size_t>(state.range(1)));
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ExchangeSortOrderLiteral(keys));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double scale = 100'000.0 / static_cast<double>(keys.size());
    state.counters["rows"] = static_cast<double>(keys.size());
    state.counters["estimate_100k_s"] = seconds / static_cast<double>(state.iterations()) * scale * scale;
}
BENCHMARK(BM_ExchangeSortOrderLiteral)->Args({10'000, 500})->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
