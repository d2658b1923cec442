// rozaro-cli check on a payroll office's declaration of 100,000 rows, run
// in-process through the same entry point as the executable.
//   bench_cli --benchmark_counters_tabular=true
#include "bench/DeclarationRecords.h"
#include "cli/CliCommands.h"

#include "declaration/Helpers.h"

#include <QDate>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

void BM_CheckDeclaration(benchmark::State& state)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("declaration.txt")).toStdString();
    {
        std::ofstream file(path, std::ios::binary);
        file << HeaderRecords(QDate::currentDate().year() - 1);
        for (int k = 0; k < state.range(0); ++k)
            file << DetailRecord(k) << "\r\n";
    }
    int status = -1;
    for (auto _ : state) {
        std::ostringstream out, err;
        status = RunCli({"check", path}, {folder.path().toStdString() + "/Addon", out, err});
    }
    if (status != 0)
        state.SkipWithError("the check refused the declaration");
    state.counters["rows"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_CheckDeclaration)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
