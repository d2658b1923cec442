// Importing a payroll office's sheet: the most rows a classic workbook sheet
// holds, from memory, and 100,000 rows of a .csv file read from disk.
//   bench_import --benchmark_counters_tabular=true
#include "bench/PayrollRows.h"
#include "bench/ProgramFolder.h"
#include "bench/SilentUi.h"
#include "bench/TaxNumber.h"
#include "declaration/Helpers.h"
#include "workspace/Workspace.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

workbook::Sheet InMemorySheet(const std::vector<std::vector<std::string>>& rows)
{
    workbook::Sheet sheet;
    sheet.SetColumns(20);
    for (const auto& row : rows)
        for (const auto& cell : row)
            sheet.Cells().push_back(QString::fromStdString(cell));
    return sheet;
}

// A program folder and a workspace with an empty declaration.
struct Office
{
    QTemporaryDir dir;
    SilentUi ui;
    std::unique_ptr<Workspace> ws;

    Office()
    {
        PrepareProgramFolder(dir.path());
        ws = std::make_unique<Workspace>(ui, dir.path().toStdString());
        ws->Start();
        ws->StartNewDeclaration();
        ws->Header.AFM = TaxNumber(9'000'004);
    }
};

void Report(benchmark::State& state, Office& office, Workspace::ImportOutcome outcome)
{
    if (outcome != Workspace::ImportOutcome::Imported || office.ui.messages != 0)
        state.SkipWithError("the import did not store every row");
    state.counters["rows"] = static_cast<double>(office.ws->FixedFormatDataSet1.RecordCount());
}

void BM_ImportSheet(benchmark::State& state)
{
    const workbook::Sheet sheet = InMemorySheet(PayrollRows(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        Office office;
        state.ResumeTiming();
        const auto outcome = office.ws->ImportRows(sheet);
        state.PauseTiming();
        Report(state, office, outcome);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportSheet)->Arg(65'536)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole command on a .csv file in the Greek code page: reading included.
void BM_ImportCsvFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("payroll.csv")).toStdString();
    {
        std::string text;
        for (const auto& row : PayrollRows(static_cast<int>(state.range(0)))) {
            for (size_t c = 0; c < row.size(); ++c)
                text += (c ? ";" : "") + row[c];
            text += "\r\n";
        }
        QFile file(QString::fromStdString(path));
        file.open(QIODevice::WriteOnly);
        // The file as a Greek spreadsheet program saves it: cp1253, no byte-order mark.
        QStringEncoder greek("windows-1253");
        file.write(greek.encode(QString::fromStdString(text)));
    }
    for (auto _ : state) {
        state.PauseTiming();
        Office office;
        office.ui.openPath = path;
        state.ResumeTiming();
        const auto outcome = office.ws->ImportFromWorkbook();
        state.PauseTiming();
        Report(state, office, outcome);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ImportCsvFile)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
