// The check of every stored row, as F7 and `rozaro-cli check` run it, over a
// declaration of 100,000 rows. It must stay under 2 s.
//   bench_check --benchmark_counters_tabular=true
#include "bench/TaxNumber.h"
#include "text/AmountText.h"
#include "declaration/DeclarationCheck.h"
#include "declaration/ScratchDetailRow.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace declaration;

constexpr int kRows = 100'000;
const std::string kEmployer = TaxNumber(9'000'004);

// Stored rows as a received declaration holds them: most pass, one in ten
// has a net that does not agree, one in ten withholds above the due tax (a
// question) and one in a hundred repeats the row before it.
const std::vector<TFixedFormatDataSet::TLine>& Declaration()
{
    static const std::vector<TFixedFormatDataSet::TLine> lines = [] {
        std::mt19937 random(7);
        std::vector<TFixedFormatDataSet::TLine> made;
        made.reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            ScratchDetailRow row("");
            row.Set(RecordType, "3");
            row.Set(AFM, TaxNumber(10'000'000 + 7LL * (i % 100 == 99 ? i - 1 : i)));
            row.Set(SurName, "PAPADOPOULOS");
            row.Set(TypeInc, "10");
            const long double gross = static_cast<long double>(100'000 + random() % 5'000'000) / 100;
            row.Set(AkaInc, amount::FormatAmount(gross));
            row.Set(Kratiseis, "200,5");
            row.Set(Kathares, amount::FormatAmount(gross - (i % 10 == 3 ? 200 : 200.5L)));
            for (DetailField field : {Xartosimo, OGAXart, ForosAnal, OGAForouParakr, OGAForouAnal})
                row.Set(field, "12,34");
            row.Set(ForosParakr, i % 10 == 5 ? "20" : "12,34");
            row.Set(Ypokatastima, "0");
            row.Set(Hmeres, "25");
            made.push_back({row.Text(), i + 1});
        }
        return made;
    }();
    return lines;
}

void BM_CheckEveryRow(benchmark::State& state)
{
    const auto& lines = Declaration();
    size_t problems = 0;
    for (auto _ : state) {
        const auto found = DeclarationCheck::Run(lines, kEmployer);
        problems = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["rows"] = kRows;
    state.counters["problems"] = static_cast<double>(problems);
}
BENCHMARK(BM_CheckEveryRow)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
