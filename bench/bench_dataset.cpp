// The record store at the size of a large employer: 100,000 detail rows of 170
// characters (17 MB). Open and a write must each stay well under 0.3 s, since
// the main window writes the whole store twice after every stored row.
#include "dataset/FixedFormatDataSet.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>

#include <malloc.h>

// Counts the heap in use, so the peak of an Open can be set against the file size.
namespace {
std::atomic<size_t> g_heapInUse{0};
std::atomic<size_t> g_heapPeak{0};

void CountAllocation(void* block)
{
    const size_t now = g_heapInUse += malloc_usable_size(block);
    size_t peak = g_heapPeak.load();
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
    }
}
} // namespace

void* operator new(size_t size)
{
    void* block = std::malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    CountAllocation(block);
    return block;
}

void operator delete(void* block) noexcept
{
    if (block) {
        g_heapInUse -= malloc_usable_size(block);
        std::free(block);
    }
}

void operator delete(void* block, size_t) noexcept
{
    operator delete(block);
}

namespace {

constexpr int kRows = 100000;

const std::vector<std::string>& DetailSchema()
{
    static const std::vector<std::string> schema{
        "RecordType=1",   "AFM=9",     "FILLER=1",         "SurName=18",     "Name=9",        "FatherName=3",
        "City=10",        "Street=16", "StreetNo=5",       "TK=5",           "TypeInc=2",     "AkaInc=10",
        "Xartosimo=8",    "OGAXart=7", "Kratiseis=9",      "Kathares=10",    "ForosParakr=9", "ForosAnal=9",
        "Ypokatastima=6", "Hmeres=3",  "OGAForouParakr=8", "OGAForouAnal=8", "FILLER2=4"};
    return schema;
}

// A detail file written once per run, in a private temporary folder.
struct TDetailFile
{
    std::filesystem::path Folder;
    std::string Path;
    size_t Size = 0;

    TDetailFile()
    {
        Folder =
            std::filesystem::temp_directory_path() / ("rozaro-bench-dataset-" + std::to_string(::getpid()));
        std::filesystem::create_directories(Folder);
        Path = (Folder / "record2").string();
        std::string bytes;
        bytes.reserve(static_cast<size_t>(kRows) * 172);
        for (int row = 0; row < kRows; ++row) {
            std::string line = "3" + std::to_string(100000000 + row) + " SURNAME" + std::to_string(row);
            line.resize(170, ' ');
            bytes += line;
            bytes += "\r\n";
        }
        std::ofstream(Path, std::ios::binary) << bytes;
        Size = bytes.size();
    }
    ~TDetailFile()
    {
        std::error_code error;
        std::filesystem::remove_all(Folder, error);
    }
};

const TDetailFile& File()
{
    static const TDetailFile file;
    return file;
}

void Prepare(TFixedFormatDataSet& dataSet)
{
    dataSet.SetFileName(File().Path);
    dataSet.SetSchema(DetailSchema());
}

void BM_OpenClose(benchmark::State& state)
{
    TFixedFormatDataSet dataSet("FixedFormatDataSet1");
    Prepare(dataSet);
    size_t peak = 0;
    for (auto _ : state) {
        const size_t before = g_heapInUse;
        g_heapPeak = before;
        dataSet.Open();
        peak = std::max(peak, g_heapPeak - before);
        dataSet.Close();
    }
    state.counters["file_MB"] = static_cast<double>(File().Size) / 1e6;
    state.counters["open_peak_MB"] = static_cast<double>(peak) / 1e6;
    state.counters["peak_per_file_byte"] = static_cast<double>(peak) / static_cast<double>(File().Size);
}
BENCHMARK(BM_OpenClose)->Unit(benchmark::kMillisecond);

void BM_OpenEditPostClose(benchmark::State& state)
{
    TFixedFormatDataSet dataSet("FixedFormatDataSet1");
    Prepare(dataSet);
    for (auto _ : state) {
        dataSet.Open();
        dataSet.SetRecNo(kRows / 2);
        dataSet.Edit();
        dataSet.FieldByName("Hmeres").SetAsString("25");
        dataSet.Post();
        dataSet.Close();
    }
}
BENCHMARK(BM_OpenEditPostClose)->Unit(benchmark::kMillisecond);

void BM_WriteFileAs(benchmark::State& state)
{
    TFixedFormatDataSet dataSet("FixedFormatDataSet1");
    Prepare(dataSet);
    dataSet.Open();
    const std::string copy = (File().Folder / "record21").string();
    for (auto _ : state)
        dataSet.WriteFileAs(copy);
}
BENCHMARK(BM_WriteFileAs)->Unit(benchmark::kMillisecond);

// A search that passes every record, through the scroll hooks as a caller sees it.
void BM_LocateLastRecord(benchmark::State& state)
{
    TFixedFormatDataSet dataSet("FixedFormatDataSet1");
    Prepare(dataSet);
    dataSet.Open();
    const std::string key = std::to_string(100000000 + kRows - 1);
    for (auto _ : state) {
        const bool found = dataSet.Locate("AFM", key, {});
        benchmark::DoNotOptimize(found);
        dataSet.First();
    }
}
BENCHMARK(BM_LocateLastRecord)->Unit(benchmark::kMillisecond);

void BM_LocateMissing(benchmark::State& state)
{
    TFixedFormatDataSet dataSet("FixedFormatDataSet1");
    Prepare(dataSet);
    dataSet.Open();
    for (auto _ : state)
        benchmark::DoNotOptimize(dataSet.Locate("SurName", "NOBODY", {true, true}));
}
BENCHMARK(BM_LocateMissing)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
