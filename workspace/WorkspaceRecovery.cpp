#include "workspace/Workspace.h"

#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "workspace/Helpers.h"

#include <filesystem>
#include <optional>

namespace {

const std::vector<std::string> kYesNo = {"Ναι", "Όχι"};
constexpr int kYesNoButtons = UserInterface::YesButton | UserInterface::NoButton;

} // namespace

Workspace::RecoveryOutcome Workspace::RecoverLeftoverWork()
{
    std::optional<LeftoverWork> work;
    try {
        work = LeftoverWork::Find(m_programFolder);
    } catch (const std::exception& e) {
        // Rows that cannot be read are left where they are for another try.
        m_ui.ShowError(e.what());
        return RecoveryOutcome::NothingLeft;
    }
    if (!work || !work->state.modified) {
        RemoveLeftoverFiles();
        return RecoveryOutcome::NothingLeft;
    }
    const std::string question = "Η προηγούμενη εργασία δεν έκλεισε κανονικά. Υπάρχουν αλλαγές που δεν "
                                 "αποθηκεύτηκαν (" +
                                 std::to_string(work->rows.size()) + " εγγραφές). Θέλετε να τις ανακτήσετε;";
    if (m_ui.AskWithCaptions(question, kYesNoButtons, kYesNo) != UserInterface::Answer::No) {
        TakeUpLeftoverWork(*work);
        return RecoveryOutcome::Recovered;
    }
    std::string copy;
    try {
        copy = KeepCopyOf(*work);
    } catch (const std::exception& e) {
        // Dropping work that could not be kept anywhere would lose it: it is
        // taken up instead, for the person to save.
        m_ui.ShowError(e.what());
        TakeUpLeftoverWork(*work);
        return RecoveryOutcome::Recovered;
    }
    RemoveLeftoverFiles();
    m_ui.ShowMessage("Η εργασία που δεν ανακτήθηκε φυλάχτηκε στο αρχείο " + copy);
    return RecoveryOutcome::CopyKept;
}

void Workspace::TakeUpLeftoverWork(const LeftoverWork& work)
{
    Header = work.state.header;
    m_fileName = work.state.fileName;
    m_proposeFileName = !m_fileName.empty();
    FixedFormatDataSet1.Close();
    FixedFormatDataSet1.OpenOnLines(work.rows);
    m_index.Clear();
    m_totals = work.SummedTotals();
    m_sumFailed = false;
    if (work.state.summed)
        SumShowingError();
    m_modified = true;
    KeepWork(Keep::Everything);
    m_ui.EnterWorkingState();
    m_ui.FocusControl(HeaderField::YearOfData);
    m_ui.Refresh();
}

// recovered/ beside temp/, named for the moment, never over another copy.
std::string Workspace::KeepCopyOf(const LeftoverWork& work)
{
    const std::filesystem::path folder = ProgramPath("recovered");
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw EFileError(FileErrorMessage(folder.string(), error.value(), FileAction::Write));
    const std::string stamp = Now().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")).toStdString();
    std::filesystem::path path = folder / (stamp + ".txt");
    for (int k = 2; std::filesystem::exists(path, error); ++k)
        path = folder / (stamp + "-" + std::to_string(k) + ".txt");
    work.WriteDeclaration(SaveFileFactory, path.string(), Today());
    return path.string();
}
