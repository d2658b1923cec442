// Importing and saving a large workbook file, side by side with the office
// suite turning the same file into .csv. Each side runs as a child process of
// its own, so that its CPU time and its peak memory are its alone:
//   bench_workbook_files --benchmark_counters_tabular=true
// A 100,000-row .xlsx (65,536 rows for .xls, which holds no more) is written
// here; the suite converts it to .xls and .ods. The .xlsx with 180 columns of
// notes beside the rows is imported alone: its peak memory is to be that of
// the plain one. Where the suite is not
// installed, only the .xlsx import is measured.
#include "bench/PayrollRows.h"
#include "bench/ProgramFolder.h"
#include "bench/SilentUi.h"
#include "workspace/Workspace.h"
#include "zip/ZipFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Xml(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : std::string(1, c);
    return out;
}

// The columns a payroll program writes as numbers: street number, postcode,
// income kind, the amounts and the days.
bool NumberColumn(size_t column)
{
    return column >= 6 && column != 16;
}

// "U" for column 20 (from 0).
std::string ColumnName(size_t column)
{
    std::string letters;
    for (size_t c = column + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters;
}

// The rows as an .xlsx package, texts in the shared strings as office
// programs keep them; `noteColumns` columns of notes follow the 20, each note
// a shared string of its own.
void WriteXlsx(const std::string& path, int rows, size_t noteColumns = 0)
{
    std::map<std::string, int> index;
    std::string strings;
    int stringCount = 0;
    std::string sheet = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                        R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
                        "<dimension ref=\"A1:" +
                        ColumnName(19 + noteColumns) + std::to_string(rows) + "\"/><sheetData>";
    int r = 0;
    for (const auto& row : PayrollRows(rows)) {
        ++r;
        sheet += "<row r=\"" + std::to_string(r) + "\">";
        for (size_t c = 0; c < row.size() + noteColumns; ++c) {
            if (c >= row.size()) {
                strings += "<si><t>Σημείωση " + std::to_string(stringCount) + "</t></si>";
                sheet += "<c r=\"" + ColumnName(c) + std::to_string(r) + "\" t=\"s\"><v>" +
                         std::to_string(stringCount++) + "</v></c>";
                continue;
            }
            if (row[c].empty())
                continue;
            const std::string ref = ColumnName(c) + std::to_string(r);
            if (NumberColumn(c)) {
                std::string number = row[c];
                std::replace(number.begin(), number.end(), ',', '.');
                sheet += "<c r=\"" + ref + "\"><v>" + number + "</v></c>";
            } else {
                auto [it, added] = index.try_emplace(row[c], stringCount);
                if (added) {
                    strings += "<si><t>" + Xml(row[c]) + "</t></si>";
                    ++stringCount;
                }
                sheet += "<c r=\"" + ref + "\" t=\"s\"><v>" + std::to_string(it->second) + "</v></c>";
            }
        }
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    const std::vector<std::pair<std::string, std::string>> members = {
        {"[Content_Types].xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
         R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
         R"(<Default Extension="xml" ContentType="application/xml"/>)"
         R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
         R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
         R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)"
         R"(</Types>)"},
        {"_rels/.rels",
         R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
         R"(<Relationship Id="rId1" Type=")" +
             rel + R"(officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
        {"xl/workbook.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
         R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)"
         R"(<sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
         R"(<Relationship Id="rId1" Type=")" +
             rel +
             R"(worksheet" Target="worksheets/sheet1.xml"/>)"
             R"(<Relationship Id="rId2" Type=")" +
             rel + R"(sharedStrings" Target="sharedStrings.xml"/></Relationships>)"},
        {"xl/sharedStrings.xml",
         R"(<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" +
             strings + "</sst>"},
        {"xl/worksheets/sheet1.xml", sheet},
    };
    TZipFile zip;
    for (size_t i = 0; i < members.size(); ++i) {
        zip.AddEntry(members[i].first, 0);
        zip.SetEntryData(i, members[i].second);
    }
    zip.WriteArchiveFile(path);
}

struct ChildUse
{
    bool ok = false;
    double cpuSeconds = 0;
    double peakMegabytes = 0;
};

// Runs `arguments` as a child process and takes its CPU time and peak memory.
ChildUse RunChild(const std::vector<std::string>& arguments)
{
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        const int devNull = ::open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    ChildUse use;
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid)
        return use;
    use.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    use.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    use.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return use;
}

std::string g_self;

// The office suite, where it is installed, with a profile of its own so that
// it neither waits for nor disturbs one already running.
class Suite
{
public:
    Suite() : m_program(QStandardPaths::findExecutable(QStringLiteral("soffice")).toStdString()) {}
    bool Present() const { return !m_program.empty(); }

    ChildUse Convert(const std::string& file, const char* to)
    {
        return RunChild({m_program, "-env:UserInstallation=file://" + m_profile.path().toStdString(),
                         "--headless", "--convert-to", to, "--outdir", m_out.path().toStdString(), file});
    }
    std::string Output(const std::string& file, const char* ending) const
    {
        return m_out
            .filePath(QFileInfo(QString::fromStdString(file)).completeBaseName() + u'.' +
                      QLatin1String(ending))
            .toStdString();
    }

private:
    std::string m_program;
    QTemporaryDir m_profile;
    QTemporaryDir m_out;
};

// The files, made once for every benchmark.
struct Files
{
    QTemporaryDir dir;
    Suite suite;
    std::map<std::string, std::string> paths;

    Files()
    {
        const std::string xlsx = dir.filePath(QStringLiteral("payroll.xlsx")).toStdString();
        WriteXlsx(xlsx, 100'000);
        paths["xlsx"] = xlsx;
        if (!suite.Present())
            return;
        const std::string shorter = dir.filePath(QStringLiteral("short.xlsx")).toStdString();
        WriteXlsx(shorter, 65'536);
        // The first start of a new profile sets it up: done here, not measured.
        if (suite.Convert(shorter, "xls").ok)
            paths["xls"] = suite.Output(shorter, "xls");
        if (suite.Convert(xlsx, "ods").ok)
            paths["ods"] = suite.Output(xlsx, "ods");
    }
};

Files& TheFiles()
{
    static Files files;
    return files;
}

void BM_ImportAndSaveBesideSuite(benchmark::State& state, const std::string& format)
{
    Files& files = TheFiles();
    if (format == "xlsx_notes" && !files.paths.count(format)) {
        // The same rows beside 180 columns of notes, every one different:
        // what lies past T must cost no memory. Written only when asked
        // for, as it takes a while and some gigabytes.
        const std::string notes = files.dir.filePath(QStringLiteral("notes.xlsx")).toStdString();
        WriteXlsx(notes, 100'000, 180);
        files.paths[format] = notes;
    }
    const auto found = files.paths.find(format);
    if (found == files.paths.end()) {
        state.SkipWithError("the office suite that makes this format is not installed");
        return;
    }
    QTemporaryDir out;
    ChildUse ours;
    ChildUse suite;
    for (auto _ : state) {
        ours = RunChild(
            {g_self, "--import-child", found->second, out.filePath(QStringLiteral("d.txt")).toStdString()});
        if (!ours.ok) {
            state.SkipWithError("the import did not store and save every row");
            return;
        }
        state.SetIterationTime(ours.cpuSeconds);
        if (files.suite.Present() && format != "xlsx_notes")
            suite = files.suite.Convert(found->second, "csv");
    }
    state.counters["cpu_s"] = ours.cpuSeconds;
    state.counters["peak_MB"] = ours.peakMegabytes;
    if (suite.ok) {
        state.counters["suite_cpu_s"] = suite.cpuSeconds;
        state.counters["cpu_ratio"] = ours.cpuSeconds / suite.cpuSeconds;
        state.counters["suite_peak_MB"] = suite.peakMegabytes;
        state.counters["peak_ratio"] = ours.peakMegabytes / suite.peakMegabytes;
    }
}
BENCHMARK_CAPTURE(BM_ImportAndSaveBesideSuite, xlsx, std::string("xlsx"))
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportAndSaveBesideSuite, xlsx_notes, std::string("xlsx_notes"))
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportAndSaveBesideSuite, xls, std::string("xls"))
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ImportAndSaveBesideSuite, ods, std::string("ods"))
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

// The measured child: imports the workbook into a new declaration and saves it.
int ImportChild(const std::string& workbook, const std::string& declaration)
{
    QTemporaryDir dir;
    PrepareProgramFolder(dir.path());
    SilentUi ui;
    Workspace ws(ui, dir.path().toStdString());
    ws.Start();
    ws.StartNewDeclaration();
    ws.Header.YearOfData = "2025";
    ws.Header.AFM = TaxNumber(9'000'004);
    ws.Header.CompanyName = "YPOURGEIO";
    ui.openPath = workbook;
    ui.savePath = declaration;
    if (ws.ImportFromWorkbook() != Workspace::ImportOutcome::Imported || ui.messages != 0)
        return 2;
    return ws.SaveAs() == Workspace::SaveOutcome::Saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--import-child") == 0)
        return ImportChild(argv[2], argv[3]);
    // The .xlsx alone, to look at or to try by hand.
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "--write-xlsx") == 0) {
        WriteXlsx(argv[2], std::atoi(argv[3]), argc == 5 ? static_cast<size_t>(std::atoi(argv[4])) : 0);
        return 0;
    }
    g_self = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath().toStdString();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
