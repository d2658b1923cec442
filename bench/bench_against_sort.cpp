// rozaro-cli check and both sorts on a declaration of 100,000 rows in shuffled
// order, each reading and writing its files, side by side with GNU sort on the
// same file, so that the ratio holds on any machine:
//   bench_against_sort --benchmark_counters_tabular=true
#include "bench/DeclarationRecords.h"
#include "cli/CliCommands.h"

#include <QDate>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <random>
#include <sstream>
#include <string>

namespace {

constexpr int kRows = 100'000;

struct Office
{
    QTemporaryDir folder;
    std::string input = folder.filePath(QStringLiteral("declaration.txt")).toStdString();
    std::string output = folder.filePath(QStringLiteral("out.txt")).toStdString();

    Office()
    {
        std::vector<int> order(kRows);
        std::iota(order.begin(), order.end(), 0);
        std::mt19937 random(7);
        std::shuffle(order.begin(), order.end(), random);
        const char* surnames[] = {"PAPADOPOULOS", "ANTONIOU", "ZERVAS", "KARRAS", "NIKOLAOU", "VLACHOS"};
        std::ofstream file(input, std::ios::binary);
        file << HeaderRecords(QDate::currentDate().year() - 1);
        for (int k : order)
            file << DetailRecord(k, surnames[random() % 6]) << "\r\n";
    }

    int Cli(std::vector<std::string> args)
    {
        std::remove(output.c_str());
        std::ostringstream out, err;
        return RunCli(args, {folder.path().toStdString() + "/Addon", out, err});
    }
};

Office& TheOffice()
{
    static Office office;
    return office;
}

void BM_GnuSort(benchmark::State& state)
{
    Office& office = TheOffice();
    const std::string command = "LC_ALL=C sort -o '" + office.output + "' '" + office.input + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("sort failed");
}

void RunCommand(benchmark::State& state, const std::vector<std::string>& args)
{
    Office& office = TheOffice();
    for (auto _ : state)
        if (office.Cli(args) != 0)
            state.SkipWithError("the command did not succeed");
    state.counters["rows"] = kRows;
}

void BM_CliCheck(benchmark::State& state)
{
    RunCommand(state, {"check", TheOffice().input});
}

void BM_CliSortByAfm(benchmark::State& state)
{
    RunCommand(state, {"--yes", "sort", "afm", TheOffice().input, TheOffice().output});
}

void BM_CliSortAlphabetically(benchmark::State& state)
{
    RunCommand(state, {"--yes", "sort", "alpha", TheOffice().input, TheOffice().output});
}

BENCHMARK(BM_GnuSort)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_CliCheck)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_CliSortByAfm)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_CliSortAlphabetically)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

BENCHMARK_MAIN();
