// Writing and reading back a declaration of 100,000 rows, to memory and to a
// real file, with the peak memory each takes beside its time; and refusing
// files of 1 GB that are no declaration.
//   build/bench/bench_declaration --benchmark_counters_tabular=true
#include "workspace/AtomicFile.h"
#include "declaration/DeclarationFile.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <malloc.h>
#include <random>
#include <string>

namespace {

constexpr int kRows = 100000;

std::string padded(std::string value, int width)
{
    value.resize(static_cast<size_t>(width), ' ');
    return value;
}

// An amount whose working form fits a field of `width` (cents of one digit fewer).
std::string amountText(std::mt19937& rng, int width)
{
    uint64_t limit = 1;
    for (int i = 1; i < width; ++i)
        limit *= 10;
    const uint64_t cents = rng() % limit;
    std::string text = std::to_string(cents / 100);
    if (cents % 100 != 0)
        text += "," + std::to_string(cents % 100 / 10) + (cents % 10 ? std::to_string(cents % 10) : "");
    return text;
}

// Working rows as the detail store holds them: full width, amounts in working form.
const std::vector<TFixedFormatDataSet::TLine>& rows()
{
    static const std::vector<TFixedFormatDataSet::TLine> lines = [] {
        std::mt19937 rng(170);
        std::vector<TFixedFormatDataSet::TLine> v;
        v.reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            std::string line = "3" + padded(std::to_string(100000000 + i), 9) + " " +
                               padded("\xD0\xC1\xD0\xC1\xC4\xCF\xD0\xCF\xD5\xCB\xCF\xD3", 18) +
                               padded("\xC3\xC9\xD9\xD1\xC3\xCF\xD3", 9) + "\xCD\xC9\xCA" +
                               padded("\xC1\xC8\xC7\xCD\xC1", 10) +
                               padded("\xD0\xC1\xD4\xC7\xD3\xC9\xD9\xCD", 16) + padded("12", 5) + "11141" +
                               "10";
            for (int w : {10, 8, 7, 9, 10, 9, 9})
                line += padded(amountText(rng, w), w);
            line += padded("0", 6) + padded(std::to_string(rng() % 366), 3);
            line += padded(amountText(rng, 8), 8) + padded("0", 8) + "    ";
            v.push_back({line, i + 1});
        }
        return v;
    }();
    return lines;
}

declaration::EmployerHeader header()
{
    declaration::EmployerHeader h;
    h.YearOfData = "2025";
    h.CompanyName = "\xD5\xD0\xCF\xD5\xD1\xC3\xC5\xC9\xCF";
    h.AFM = "090000045";
    return h;
}

const std::array<std::string, 9> kTotals = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};

const QDate kToday(2026, 12, 7);

QByteArray writtenFile()
{
    static const QByteArray bytes = [] {
        QByteArray b;
        QBuffer buffer(&b);
        buffer.open(QIODevice::WriteOnly);
        declaration::WriteDeclaration(buffer, kToday, header(), kTotals, rows());
        return b;
    }();
    return bytes;
}

// Peak resident memory an operation adds, from the kernel's high-water mark
// reset just before it.
long statusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::strlen(key)));
    return -1;
}

template <typename Operation> double peakBytesOf(Operation op)
{
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKb("VmRSS:");
    op();
    const long peak = statusKb("VmHWM:");
    return before < 0 || peak < 0 ? -1 : double(peak - before) * 1024;
}

void report(benchmark::State& state, double peakBytes)
{
    const double fileBytes = double(writtenFile().size());
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fileBytes));
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["peak_MB"] = peakBytes / 1e6;
    state.counters["peak_per_file"] = peakBytes / fileBytes;
}

// The peak of one run first (from a clean high-water mark), then the timed runs.
template <typename Operation> void measure(benchmark::State& state, Operation once)
{
    const double peak = peakBytesOf(once);
    for (auto _ : state)
        once();
    report(state, peak);
}

void readAndCheck(benchmark::State& state, QIODevice& in)
{
    const declaration::ReadResult r = declaration::ReadDeclaration(in);
    if (r.status != declaration::ReadStatus::Ok || r.detailLines.size() != kRows)
        state.SkipWithError("read back wrong");
}

void BM_WriteToBuffer(benchmark::State& state)
{
    rows();
    auto once = [] {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        declaration::WriteDeclaration(buffer, kToday, header(), kTotals, rows());
        benchmark::DoNotOptimize(bytes.data());
    };
    measure(state, once);
}

void BM_WriteToSaveFile(benchmark::State& state)
{
    rows();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("declaration.txt"));
    // Through the program's own writer: every write checked, synced, renamed.
    auto once = [&] {
        try {
            AtomicFile::Write(AtomicFile::DefaultFactory(), path, [](QIODevice& file) {
                declaration::WriteDeclaration(file, kToday, header(), kTotals, rows());
            });
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
        }
    };
    measure(state, once);
}

void BM_ReadFromBuffer(benchmark::State& state)
{
    QByteArray bytes = writtenFile();
    auto once = [&] {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        readAndCheck(state, buffer);
    };
    measure(state, once);
}

void BM_ReadFromFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("declaration.txt"));
    {
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(writtenFile());
    }
    auto once = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        readAndCheck(state, file);
    };
    measure(state, once);
}

// A file of `size` bytes from `rng`, written a chunk at a time; `shape`
// may change each chunk (its offset in the file given).
template <typename Shape> void writeNoise(const QString& path, qint64 size, Shape shape)
{
    std::mt19937_64 rng(1 << 30);
    std::string chunk(1 << 20, '\0');
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    for (qint64 at = 0; at < size; at += qint64(chunk.size())) {
        for (size_t k = 0; k < chunk.size(); k += 8) {
            const uint64_t v = rng();
            std::memcpy(chunk.data() + k, &v, 8);
        }
        shape(chunk, at);
        out.write(chunk.data(), qint64(chunk.size()));
    }
}

constexpr qint64 kGigabyte = qint64(1) << 30;

void refuse(benchmark::State& state, const QString& path, declaration::ReadStatus expected)
{
    auto once = [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        if (declaration::ReadDeclaration(file).status != expected)
            state.SkipWithError("not refused as expected");
    };
    const double peak = peakBytesOf(once);
    for (auto _ : state)
        once();
    state.counters["file_MB"] = double(kGigabyte) / 1e6;
    state.counters["peak_MB"] = peak / 1e6;
}

// Open of 1 GB of random bytes: refused on its first bytes, whatever follows.
void BM_RefuseRandomGigabyte(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("random.bin"));
    writeNoise(path, kGigabyte, [](std::string& chunk, qint64 at) {
        if (at == 0)
            chunk[0] = 'P';
    });
    refuse(state, path, declaration::ReadStatus::NotADeclaration);
}

// The worst case: a declaration header followed by 1 GB without a line
// break; the whole first line is read (a zero byte in it refuses the file),
// in the same small buffer.
void BM_RefuseHeaderThenGigabyteLine(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("one-line.bin"));
    writeNoise(path, kGigabyte, [](std::string& chunk, qint64 at) {
        for (char& c : chunk)
            if (c == '\r' || c == '\n')
                c = ' ';
        if (at == 0)
            chunk.replace(0, 5, "0JL10");
    });
    refuse(state, path, declaration::ReadStatus::ReadFailed);
}

} // namespace

BENCHMARK(BM_RefuseRandomGigabyte)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefuseHeaderThenGigabyteLine)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WriteToBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteToSaveFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFromBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFromFile)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // A fixed threshold keeps large blocks in their own mappings, so freed
    // memory leaves the process and each peak is measured from a clean start.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
