// The declaration commands on a payroll office's declaration of 100,000 rows.
//   bench_workspace --benchmark_counters_tabular=true
#include "bench/ProgramFolder.h"
#include "bench/SilentUi.h"
#include "bench/TaxNumber.h"
#include "text/AmountText.h"
#include "declaration/Helpers.h"
#include "declaration/ScratchDetailRow.h"
#include "declaration/StoredRowIndex.h"
#include "workspace/Workspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

namespace {

using namespace declaration;

constexpr int kRows = 100'000;

std::string Surname(std::mt19937& random)
{
    static const char* syllables[] = {"PA", "PA", "DO", "POU",  "LOS", "NI",
                                      "KO", "LA", "OU", "GEOR", "GI",  "OU"};
    std::string name;
    const int count = 2 + static_cast<int>(random() % 4);
    for (int k = 0; k < count; ++k)
        name += syllables[random() % 12];
    return name.substr(0, 18);
}

// A row that passes every check without a question, in shuffled number order.
std::string WorkingLine(int index, long long number, std::mt19937& random)
{
    ScratchDetailRow row("");
    row.Set(RecordType, "3");
    row.Set(AFM, TaxNumber(number));
    row.Set(SurName, Surname(random));
    row.Set(Name, "GIORGOS");
    row.Set(TypeInc, index % 2 ? "10" : "11");
    const long long grossCents = 100'000 + static_cast<long long>(random() % 5'000'000);
    const long double gross = static_cast<long double>(grossCents) / 100;
    row.Set(AkaInc, amount::FormatAmount(gross));
    row.Set(Kratiseis, "200,5");
    row.Set(Kathares, amount::FormatAmount(gross - 200.5L));
    for (DetailField field : {Xartosimo, OGAXart, ForosParakr, ForosAnal, OGAForouParakr, OGAForouAnal})
        row.Set(field, "12,34");
    row.Set(Ypokatastima, "0");
    row.Set(Hmeres, "25");
    row.Set(FILLER2, "    ");
    return row.Text();
}

// One workspace holding a 100,000-row declaration, shared by the benchmarks;
// the declaration is also saved once as a file for Open.
struct Office
{
    QTemporaryDir dir;
    SilentUi ui;
    std::unique_ptr<Workspace> ws;
    std::string declarationPath, otherDeclarationPath;
    long long nextNumber = 95'000'000;

    Office()
    {
        PrepareProgramFolder(dir.path());
        ws = std::make_unique<Workspace>(ui, dir.path().toStdString());
        ws->Start();
        ws->New();
        ws->Header.YearOfData = "2025";
        ws->Header.AFM = TaxNumber(9'000'004);
        ws->Header.CompanyName = "YPOURGEIO";

        std::mt19937 random(7);
        std::vector<long long> numbers(kRows);
        for (int i = 0; i < kRows; ++i)
            numbers[static_cast<size_t>(i)] = 10'000'000 + 7LL * i;
        std::shuffle(numbers.begin(), numbers.end(), random);
        std::vector<std::string> lines;
        for (int i = 0; i < kRows; ++i)
            lines.push_back(WorkingLine(i, numbers[static_cast<size_t>(i)], random));
        auto& rows = ws->FixedFormatDataSet1;
        rows.Close();
        rows.OpenOnLines(TFixedFormatDataSet::NumberedLines(std::move(lines)));
        ws->RecomputeTotals();
        ws->KeepWork(Workspace::Keep::Everything);

        declarationPath = dir.filePath(QStringLiteral("declaration.txt")).toStdString();
        ui.savePath = declarationPath;
        ui.openPath = declarationPath;
        ws->SaveAs();
        // The same rows in another order: opening one after the other finds
        // no line where it was, as with a declaration never seen before.
        ws->SortAlphabetically();
        otherDeclarationPath = dir.filePath(QStringLiteral("declaration2.txt")).toStdString();
        ui.savePath = otherDeclarationPath;
        ws->SaveAs();
        ui.openPath = declarationPath;
        ws->Open();
    }

    std::string Path(const char* relative) const
    {
        return dir.filePath(QString::fromUtf8(relative)).toStdString();
    }
};

Office& TheOffice()
{
    static Office office;
    return office;
}

void Report(benchmark::State& state, Office& office)
{
    state.counters["rows"] = static_cast<double>(office.ws->FixedFormatDataSet1.RecordCount());
    state.counters["messages"] = office.ui.messages;
}

// A new row typed in and stored: the whole gate with the duplicate check,
// the totals and the crash-safe copy synced.
void BM_StoreNewRow(benchmark::State& state)
{
    Office& office = TheOffice();
    auto& rows = office.ws->FixedFormatDataSet1;
    for (auto _ : state) {
        rows.Append();
        rows.FieldByName("AFM").SetAsString(TaxNumber(office.nextNumber++));
        rows.FieldByName("SurName").SetAsString("NEOS");
        rows.FieldByName("TypeInc").SetAsString("10");
        rows.FieldByName("AkaInc").SetAsString("1000");
        rows.FieldByName("Kratiseis").SetAsString("200");
        rows.FieldByName("Kathares").SetAsString("800");
        rows.Post();
    }
    if (!office.ws->RowAccepted())
        state.SkipWithError("row refused");
    Report(state, office);
}
BENCHMARK(BM_StoreNewRow)->Unit(benchmark::kMillisecond)->Iterations(20);

// A row in the middle changed and stored: the row checks, the totals and
// the change appended to the crash-safe copy and synced.
void BM_StoreEditedRow(benchmark::State& state)
{
    Office& office = TheOffice();
    auto& rows = office.ws->FixedFormatDataSet1;
    int round = 0;
    for (auto _ : state) {
        rows.SetRecNo(kRows / 2);
        rows.Edit();
        rows.FieldByName("Name").SetAsString(++round % 2 ? "NIKOS" : "GIORGOS");
        rows.Post();
    }
    if (!office.ws->RowAccepted() || !office.ws->KeptSafe())
        state.SkipWithError("row refused or not kept");
    Report(state, office);
}
BENCHMARK(BM_StoreEditedRow)->Unit(benchmark::kMillisecond)->Iterations(50);

// Every row kept anew, as after Open or a sort: the whole base written and synced.
void BM_KeepEveryRow(benchmark::State& state)
{
    Office& office = TheOffice();
    for (auto _ : state)
        office.ws->KeepWork(Workspace::Keep::Everything);
    Report(state, office);
}
BENCHMARK(BM_KeepEveryRow)->Unit(benchmark::kMillisecond);

// The whole totals pass: from memory only.
void BM_RecomputeTotals(benchmark::State& state)
{
    Office& office = TheOffice();
    for (auto _ : state)
        office.ws->RecomputeTotals();
    Report(state, office);
}
BENCHMARK(BM_RecomputeTotals)->Unit(benchmark::kMillisecond);

// The totals pass without its writes, as after a stored row (one line new).
void BM_TotalsWithoutWrites(benchmark::State& state)
{
    Office& office = TheOffice();
    const auto& lines = office.ws->FixedFormatDataSet1.Lines();
    StoredRowIndex index;
    index.Sync(lines);
    std::vector<TFixedFormatDataSet::TLine> changed(lines.begin(), lines.end());
    for (auto _ : state) {
        changed.back().Text[20] ^= 1; // one row differs from the last pass
        index.Sync(changed);
        benchmark::DoNotOptimize(index.Totals());
        benchmark::DoNotOptimize(index.DistinctAfmCount());
    }
    Report(state, office);
}
BENCHMARK(BM_TotalsWithoutWrites)->Unit(benchmark::kMillisecond);

// The same from nothing, as after Open or a sort: every amount read.
void BM_TotalsWithoutWritesCold(benchmark::State& state)
{
    Office& office = TheOffice();
    const auto& lines = office.ws->FixedFormatDataSet1.Lines();
    for (auto _ : state) {
        StoredRowIndex index;
        index.Sync(lines);
        benchmark::DoNotOptimize(index.Totals());
    }
    Report(state, office);
}
BENCHMARK(BM_TotalsWithoutWritesCold)->Unit(benchmark::kMillisecond);

// Opening a declaration other than the one open, which is the usual case.
void BM_Open(benchmark::State& state)
{
    Office& office = TheOffice();
    bool other = true;
    for (auto _ : state) {
        office.ui.openPath = other ? office.otherDeclarationPath : office.declarationPath;
        other = !other;
        office.ws->SetModified(false);
        office.ws->Open();
        // The copy of every row goes on being written after Open returns;
        // it is not part of the wait, but must not overlap the next one.
        state.PauseTiming();
        office.ws->FinishKeeping();
        state.ResumeTiming();
    }
    if (office.ws->FixedFormatDataSet1.RecordCount() != kRows)
        state.SkipWithError("the declaration did not open whole");
    Report(state, office);
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

void BM_ValidateForSave(benchmark::State& state)
{
    Office& office = TheOffice();
    for (auto _ : state)
        benchmark::DoNotOptimize(office.ws->ValidateForSave());
    Report(state, office);
}
BENCHMARK(BM_ValidateForSave)->Unit(benchmark::kMillisecond);

void BM_SaveAs(benchmark::State& state)
{
    Office& office = TheOffice();
    office.ui.savePath = office.Path("saved.txt");
    for (auto _ : state)
        office.ws->SaveAs();
    if (!office.ws->LastSaveOk() || QFile(QString::fromStdString(office.ui.savePath)).size() < 170LL * kRows)
        state.SkipWithError("not saved");
    Report(state, office);
}
BENCHMARK(BM_SaveAs)->Unit(benchmark::kMillisecond);

// Each sort starts from the other's order.
void BM_SortByAfm(benchmark::State& state)
{
    Office& office = TheOffice();
    for (auto _ : state) {
        state.PauseTiming();
        office.ws->SortAlphabetically();
        state.ResumeTiming();
        office.ws->SortByAfm();
    }
    Report(state, office);
}
BENCHMARK(BM_SortByAfm)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortAlphabetical(benchmark::State& state)
{
    Office& office = TheOffice();
    for (auto _ : state) {
        state.PauseTiming();
        office.ws->SortByAfm();
        state.ResumeTiming();
        office.ws->SortAlphabetically();
    }
    Report(state, office);
}
BENCHMARK(BM_SortAlphabetical)->Unit(benchmark::kMillisecond)->Iterations(3);

// Find at its worst: the match is the last row, or there is none at all.
void BM_FindLastRowByAfm(benchmark::State& state)
{
    Office& office = TheOffice();
    auto& rows = office.ws->FixedFormatDataSet1;
    const std::string last(DetailFieldText(rows.Lines().back().Text, AFM));
    for (auto _ : state) {
        rows.First();
        benchmark::DoNotOptimize(office.ws->FindRow(true, last, false));
    }
    Report(state, office);
}
BENCHMARK(BM_FindLastRowByAfm)->Unit(benchmark::kMillisecond);

void BM_FindMissingSurname(benchmark::State& state)
{
    Office& office = TheOffice();
    for (auto _ : state)
        benchmark::DoNotOptimize(office.ws->FindRow(false, "ZZZ", true));
    Report(state, office);
}
BENCHMARK(BM_FindMissingSurname)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
