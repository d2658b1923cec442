// Packing the declaration of a large employer: 100,000 detail rows of 170
// characters (17 MB) into a zip archive, as the zip command does it: the
// source read in pieces and deflated straight into the archive, written beside
// its name and moved into place. A larger file shows the memory it takes.
#include "workspace/ZipExport.h"
#include "zip/ZipFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include <sys/resource.h>

namespace {

std::string Declaration(int rows)
{
    std::string data = "0JL10    20250110" + std::string(153, ' ') + "\r\n";
    for (int k = 0; k < rows; ++k) {
        std::string row =
            "3" + std::to_string(100000000 + k * 7) + " \xD0\xC1\xD0\xC1\xC4\xCF\xD0\xCF\xD5\xCB\xCF\xD3";
        row += std::string(170 - row.size() - 20, ' ') + std::to_string(1000000000LL + k * 13) + "0000000000";
        data += row + "\r\n";
    }
    return data;
}

void BM_DeflateDeclaration(benchmark::State& state)
{
    const std::string data = Declaration(static_cast<int>(state.range(0)));
    size_t compressed = 0;
    for (auto _ : state)
        compressed = TZipFile::Deflate(data).size();
    state.counters["MB"] = static_cast<double>(data.size()) / 1e6;
    state.counters["ratio"] = static_cast<double>(compressed) / static_cast<double>(data.size());
}
BENCHMARK(BM_DeflateDeclaration)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PackDeclarationFile(benchmark::State& state)
{
    const auto folder = std::filesystem::temp_directory_path() / "rozaro-bench-zip";
    std::filesystem::create_directories(folder);
    const std::string source = (folder / "090000045-Rozaro").string();
    std::ofstream(source, std::ios::binary) << Declaration(static_cast<int>(state.range(0)));
    for (auto _ : state)
        ZipExport::WriteArchive(source, source + ".zip");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PackDeclarationFile)->Arg(100000)->Unit(benchmark::kMillisecond);

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The peak memory of the process while a file of `range(0)` MB is packed:
// it stays near the start, whatever the size of the file.
void BM_PackLargeFileMemory(benchmark::State& state)
{
    const auto folder = std::filesystem::temp_directory_path() / "rozaro-bench-zip-large";
    std::filesystem::create_directories(folder);
    const std::string source = (folder / "large").string();
    {
        const std::string piece = Declaration(6000).substr(0, 1 << 20);
        std::ofstream out(source, std::ios::binary);
        for (int64_t mb = 0; mb < state.range(0); ++mb)
            out << piece;
    }
    const long before = PeakKilobytes();
    for (auto _ : state)
        ZipExport::WriteArchive(source, source + ".zip");
    state.counters["source_MB"] = static_cast<double>(state.range(0));
    state.counters["peak_growth_MB"] = static_cast<double>(PeakKilobytes() - before) / 1024.0;
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PackLargeFileMemory)->Arg(512)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
