// The printed reports on a payroll office's declaration: the detailed list's
// HTML for 100,000 rows, and its printed pages (laid out, paginated, written
// as PDF) for a few thousand.
//   bench_reports --benchmark_counters_tabular=true
#include "printing/ReportDocument.h"
#include "reports/ReportHtml.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace declaration;

// Working lines with every field filled, as the scan copy holds them.
std::vector<TFixedFormatDataSet::TLine> Rows(int count)
{
    std::vector<TFixedFormatDataSet::TLine> rows(static_cast<size_t>(count));
    for (int n = 0; n < count; ++n) {
        std::string line(RecordWidth, ' ');
        auto put = [&line](DetailField field, const std::string& value) {
            line.replace(static_cast<size_t>(DetailLayout()[field].offset), value.size(), value);
        };
        put(RecordType, "3");
        put(AFM, std::to_string(100000000 + n));
        put(SurName, "PAPADOPOULOS");
        put(Name, "GIORGOS");
        put(City, "ATHINA");
        put(Street, "PATISION");
        put(StreetNo, std::to_string(n % 300));
        put(TypeInc, "10");
        put(AkaInc, "12345,67");
        put(Kathares, "9876,54");
        put(Kratiseis, "2469,13");
        rows[static_cast<size_t>(n)].Text = line;
    }
    return rows;
}

EmployerHeader Header()
{
    EmployerHeader header;
    header.YearOfData = "2025";
    header.CompanyName = "MINISTRY";
    header.AFM = "094014201";
    return header;
}

void BM_DetailedReportHtml(benchmark::State& state)
{
    const auto rows = Rows(static_cast<int>(state.range(0)));
    const std::array<std::string, 9> edits = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    size_t bytes = 0;
    for (auto _ : state) {
        const std::string page = report::DetailedReport(DetailedList(Header(), edits, rows));
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_DetailedReportHtml)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The detailed list's file for `count` rows, written into `dir`.
QString ListFile(const QTemporaryDir& dir, int count)
{
    const QString html = dir.filePath(QStringLiteral("Rozaro.htm"));
    const std::string page = report::DetailedReport(DetailedList(Header(), {}, Rows(count)));
    QFile out(html);
    out.open(QIODevice::WriteOnly);
    out.write(page.data(), static_cast<qint64>(page.size()));
    out.close();
    return html;
}

// The printed list as the program and the console write it: laid out by hand
// from the list's model.
void BM_DetailedReportPdf(benchmark::State& state)
{
    QTemporaryDir dir;
    const auto list = std::make_shared<const DetailedList>(Header(), std::array<std::string, 9>{},
                                                           Rows(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        QString error;
        if (!ReportDocument::WritePdf(list, dir.filePath(QStringLiteral("r.pdf")), &error))
            state.SkipWithError(error.toStdString().c_str());
    }
}
BENCHMARK(BM_DetailedReportPdf)->Arg(2000)->Arg(20'000)->Unit(benchmark::kSecond)->Iterations(1);

// The same pages through the general rich-text table layout, for comparison.
void BM_DetailedReportPdfRichText(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString html = ListFile(dir, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QTextDocument document;
        ReportDocument::Load(document, html);
        QPdfWriter writer(dir.filePath(QStringLiteral("r.pdf")));
        ReportDocument::SetUpPage(writer, true);
        if (!ReportDocument::Print(document, writer))
            state.SkipWithError("not printed");
    }
}
BENCHMARK(BM_DetailedReportPdfRichText)->Arg(2000)->Unit(benchmark::kSecond)->Iterations(1);

// What the print window does before it shows a long list: lay out the pages.
void BM_DetailedReportView(benchmark::State& state)
{
    const auto model = std::make_shared<const DetailedList>(Header(), std::array<std::string, 9>{},
                                                            Rows(static_cast<int>(state.range(0))));
    int pages = 0;
    for (auto _ : state) {
        ListPages list(model);
        qreal foot = 0;
        list.LayOut(ReportDocument::PageArea(ReportDocument::Paper(true), ReportDocument::Face(), &foot));
        pages = list.PageCount();
    }
    state.counters["pages"] = pages;
}
// The same through the general rich-text layout, for comparison.
void BM_DetailedReportViewRichText(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString html = ListFile(dir, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        QTextDocument document;
        ReportDocument::Load(document, html);
        benchmark::DoNotOptimize(document.documentLayout()->documentSize());
    }
}
BENCHMARK(BM_DetailedReportViewRichText)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_DetailedReportView)->Arg(2000)->Arg(20'000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
