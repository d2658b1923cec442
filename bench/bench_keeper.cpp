// The crash-safe copy of a declaration of 100,000 rows: one edited row kept
// and synced, a whole new base, and recovery.
//   bench_keeper --benchmark_counters_tabular=true
#include "workspace/WorkKeeper.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kRows = 100'000;

std::vector<TFixedFormatDataSet::TLine> Rows()
{
    std::vector<TFixedFormatDataSet::TLine> rows;
    rows.reserve(kRows);
    for (int k = 0; k < kRows; ++k) {
        std::string text = std::to_string(100000000 + k) + " ΠΑΠΑΔΟΠΟΥΛΟΣ ΓΕΩΡΓΙΟΣ";
        text.resize(170, ' ');
        rows.push_back({text, k + 1});
    }
    return rows;
}

SessionState State()
{
    SessionState state;
    state.header.AFM = "094014201";
    state.modified = true;
    return state;
}

// Storing one edited row, the copy synced before the store returns.
void KeepOneEditedRow(benchmark::State& run)
{
    QTemporaryDir folder;
    WorkKeeper keeper(folder.path().toStdString());
    std::vector<TFixedFormatDataSet::TLine> rows = Rows();
    keeper.Restart(State(), rows);
    size_t edit = 0;
    for (auto _ : run) {
        TFixedFormatDataSet::TLine& row = rows[(edit * 7919) % kRows];
        row.Text[120] = static_cast<char>('0' + edit % 10);
        ++edit;
        keeper.RecordRows(rows);
    }
    run.counters["rows"] = kRows;
}
BENCHMARK(KeepOneEditedRow)->Unit(benchmark::kMillisecond);

void KeepANewBase(benchmark::State& run)
{
    QTemporaryDir folder;
    WorkKeeper keeper(folder.path().toStdString());
    const std::vector<TFixedFormatDataSet::TLine> rows = Rows();
    for (auto _ : run)
        keeper.Restart(State(), rows);
}
BENCHMARK(KeepANewBase)->Unit(benchmark::kMillisecond);

// Recovery of a base and a journal of 1,000 edits.
void RecoverTheCopy(benchmark::State& run)
{
    QTemporaryDir folder;
    WorkKeeper keeper(folder.path().toStdString());
    std::vector<TFixedFormatDataSet::TLine> rows = Rows();
    keeper.Restart(State(), rows);
    for (int edit = 0; edit < 1000; ++edit) {
        rows[static_cast<size_t>(edit * 97)].Text[120] = 'X';
        keeper.RecordRows(rows);
    }
    for (auto _ : run)
        benchmark::DoNotOptimize(WorkKeeper::Recover(folder.path().toStdString()));
}
BENCHMARK(RecoverTheCopy)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
