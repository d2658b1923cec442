// rozaro-cli check on a payroll office's declaration of 100,000 rows, run
// in-process through the same entry point as the executable.
//   bench_cli --benchmark_counters_tabular=true
#include "bench/TaxNumber.h"
#include "cli/CliCommands.h"

#include "workspace/Helpers.h"

#include <QDate>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Padded(std::string text, size_t width)
{
    text.resize(width, ' ');
    return text;
}

std::string Cents(long long cents, size_t width)
{
    const std::string digits = std::to_string(cents);
    return std::string(width - digits.size(), '0') + digits;
}

// Every row passes the row checks without a question and the save checks too.
std::string DetailRecord(int index)
{
    std::string line = "3" + TaxNumber(10'000'000 + index) + " " + Padded("PAPADOPOULOS", 18) +
                       Padded("GIORGOS", 9) + Padded("KON", 3) + Padded("ATHINA", 10) +
                       Padded("PATISION", 16) + Padded("5", 5) + Padded("11257", 5) +
                       (index % 2 ? "10" : "11");
    const long long gross = 100'000 + index;
    line += Cents(gross, 10) + Cents(360, 8) + Cents(72, 7) + Cents(20'000, 9) + Cents(gross - 20'000, 10) +
            Cents(10'000, 9) + Cents(10'000, 9) + Padded("0", 6) + "025" + Cents(300, 8) + Cents(300, 8) +
            "    ";
    return line;
}

void BM_CheckDeclaration(benchmark::State& state)
{
    QTemporaryDir folder;
    const std::string path = folder.filePath(QStringLiteral("declaration.txt")).toStdString();
    {
        std::ofstream file(path, std::ios::binary);
        // Last year: the save checks refuse a year after the current one.
        const std::string year = std::to_string(QDate::currentDate().year() - 1);
        file << "0JL10    20250110" << year << std::string(149, ' ') << "\r\n";
        file << "1" << year << Padded("YPOURGEIO", 30) << "0" << TaxNumber(9'000'004) << std::string(125, ' ')
             << "\r\n";
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
