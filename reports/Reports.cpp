#include "reports/Reports.h"

#include "reports/ReportHtml.h"
#include "workspace/Workspace.h"

#include "fileio/FileError.h"
#include "workspace/AtomicFile.h"
#include "workspace/BusyWindow.h"

#include <filesystem>
#include <stdexcept>

namespace {

std::string Join(const std::string& folder, const char* relative)
{
    return (std::filesystem::path(folder) / relative).string();
}

} // namespace

std::string Reports::ReportPath() const
{
    return Join(m_work.ProgramFolder(), "Rozaro.htm");
}

std::string Reports::FirstPagePath() const
{
    return Join(m_work.ProgramFolder(), "Addon/E7FirstPageFinal.htm");
}

// Stores the pending row (an error that is not the row checks' refusal goes
// on to the caller with the row still in edit), builds the whole page in
// memory and replaces the file in one step, so that a failure part-way never
// leaves half a report behind.
template <typename Build> Reports::Outcome Reports::Write(const std::string& path, Build build)
{
    if (m_work.StorePendingRow() == Workspace::StoreOutcome::Refused)
        return Outcome::Refused;
    m_page.clear();
    try {
        // Gone before a failure is told: the catches run after it.
        const BusyWindow busy(m_work.Ui());
        std::string page = build();
        AtomicFile::Write(m_work.SaveFileFactory, QString::fromStdString(path), page);
        m_page = std::move(page);
    } catch (const EFileError& e) {
        // Which file and why, on the line after the usual words.
        m_work.Ui().ShowMessage(std::string(FailureMessage) + "\n" + e.what());
        return Outcome::Failed;
    } catch (const std::exception&) {
        m_work.Ui().ShowMessage(FailureMessage);
        return Outcome::Failed;
    }
    return Outcome::Written;
}

Reports::Outcome Reports::WriteDetailed()
{
    m_detailed.reset();
    return Write(ReportPath(), [this] {
        // The rows as the report lists them are the stored rows in memory.
        m_detailed = std::make_shared<const DetailedList>(m_work.Header, m_work.CurrentTotals().Edits(),
                                                          m_work.FixedFormatDataSet1.Lines());
        return report::DetailedReport(*m_detailed);
    });
}

Reports::Outcome Reports::WriteTotals()
{
    return Write(ReportPath(),
                 [this] { return report::TotalsReport(m_work.Header, m_work.CurrentTotals().Edits()); });
}

Reports::Outcome Reports::WriteFirstPage()
{
    return Write(FirstPagePath(),
                 [this] { return report::FirstPage(m_work.Header, m_work.CurrentTotals().Edits()); });
}

void Reports::Show(Outcome outcome, const std::string& path, const char* caption, bool landscapeHint,
                   std::shared_ptr<const DetailedList> list)
{
    if (outcome != Outcome::Written)
        return;
    try {
        m_work.Ui().ShowPrintWindow(path, caption, landscapeHint, std::move(list));
    } catch (const std::exception&) {
        m_work.Ui().ShowMessage(FailureMessage);
    }
}

void Reports::PrintDetailed()
{
    const Outcome outcome = WriteDetailed();
    Show(outcome, ReportPath(), "Εκτύπωση", true, m_detailed);
}

void Reports::PrintTotals()
{
    Show(WriteTotals(), ReportPath(), "Εκτύπωση Συνόλων", false, nullptr);
}

void Reports::PrintFirstPage()
{
    Show(WriteFirstPage(), FirstPagePath(), "Εκτύπωση 1ης Σελίδας", false, nullptr);
}
