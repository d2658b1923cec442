#include "workspace/Workspace.h"

#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "declaration/Helpers.h"
#include "workspace/WorkKeeper.h"

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
        // Rows that cannot be read never stop a start: they are kept aside.
        const std::string kept = MoveAside({LeftoverWork::StateFile, "temp/record2"});
        m_ui.ShowError(e.what() + kept);
        RemoveLeftoverFiles();
        return RecoveryOutcome::NothingLeft;
    }
    if (work)
        m_leftoverCapsLock = work->state.personCapsLock;
    if (work && work->damaged) {
        // Damage found by the checks: said once, the damaged files kept
        // aside for a look, and whatever came before the damage offered.
        const std::string kept = MoveAside(work->keptFiles);
        m_ui.ShowError(work->reason + kept);
    }
    if (!work || !work->state.modified) {
        WorkKeeper(m_programFolder).Forget();
        RemoveLeftoverFiles();
        return RecoveryOutcome::NothingLeft;
    }
    std::string count = std::to_string(work->rows.size()) + " εγγραφές";
    if (work->lostRows > 0)
        count += "· " + std::to_string(work->lostRows) + " εγγραφές δεν ανακτήθηκαν";
    else if (work->damaged)
        count += "· οι αλλαγές μετά τη βλάβη δεν ανακτήθηκαν";
    const std::string question = "Η προηγούμενη εργασία δεν έκλεισε κανονικά. Υπάρχουν αλλαγές που δεν "
                                 "αποθηκεύτηκαν (" +
                                 count + "). Θέλετε να τις ανακτήσετε;";
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
    WorkKeeper(m_programFolder).Forget();
    RemoveLeftoverFiles();
    m_ui.ShowMessage("Η εργασία που δεν ανακτήθηκε φυλάχτηκε στο αρχείο " + copy);
    return RecoveryOutcome::CopyKept;
}

// Moves the kept files named (relative to the working folder) into a folder
// of their own under recovered/, links as links. Says where, as the end of a
// sentence; a file that cannot be moved is removed, so that it never stops
// another start.
std::string Workspace::MoveAside(const std::vector<std::string>& files)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const std::string stamp = Now().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")).toStdString();
    fs::path folder = fs::path(ProgramPath("recovered")) / ("damaged-" + stamp);
    for (int k = 2; fs::exists(fs::symlink_status(folder, error)); ++k)
        folder = fs::path(ProgramPath("recovered")) / ("damaged-" + stamp + "-" + std::to_string(k));
    fs::create_directories(folder, error);
    bool moved = false;
    for (const std::string& file : files) {
        const fs::path from = ProgramPath(file);
        if (!fs::exists(fs::symlink_status(from, error)))
            continue;
        fs::rename(from, folder / from.filename(), error);
        if (error)
            fs::remove(from, error);
        else
            moved = true;
    }
    if (!moved) {
        fs::remove(folder, error);
        return {};
    }
    return " Τα αρχεία της φυλάχτηκαν στον φάκελο " + folder.string() + ".";
}

void Workspace::TakeUpLeftoverWork(const LeftoverWork& work)
{
    FixedFormatDataSet1.Close();
    FixedFormatDataSet1.OpenOnLines(work.rows);
    Header = work.state.header;
    m_fileName = work.state.fileName;
    m_proposeFileName = !m_fileName.empty();
    m_index.Clear();
    m_totals = work.SummedTotals();
    m_sumFailed = false;
    if (const std::string unreadable = work.UnreadableAmount(); !unreadable.empty()) {
        // Named by its row: the person finds it and mends it before saving.
        m_ui.ShowError(unreadable);
        m_totals = Totals(Totals::Boxes{}, m_totals.Label32());
        m_sumFailed = true;
    } else if (work.state.summed) {
        SumShowingError();
    }
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
