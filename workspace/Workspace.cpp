#include "workspace/Workspace.h"

#include <filesystem>
#include <system_error>

namespace {

const char* const kChangesQuestion = "Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο;";

} // namespace

Workspace::Workspace(UserInterface& ui, std::string programFolder)
    : m_ui(ui), m_programFolder(std::move(programFolder))
{
}

Workspace::~Workspace() = default;

std::string Workspace::ProgramPath(const std::string& relative) const
{
    return (std::filesystem::path(m_programFolder) / relative).string();
}

void Workspace::Start()
{
    // An existing temp/ (left over from an earlier run) is used as it is.
    std::error_code ignored;
    std::filesystem::create_directory(ProgramPath("temp"), ignored);

    FixedFormatDataSet1.SetFileName(ProgramPath("temp/record2"));
    FixedFormatDataSet1.SetSchema(declaration::DetailSchema());
    FixedFormatDataSet3.SetFileName(ProgramPath("temp/record21"));
    FixedFormatDataSet3.SetSchema(declaration::DetailSchema());
    FixedFormatDataSet2.SetFileName(ProgramPath("Addon/typeofinc.txt"));
    FixedFormatDataSet2.SetSchema(declaration::IncomeTypeSchema());

    FixedFormatDataSet1.BeforePost = [this](TFixedFormatDataSet&) { FixedFormatDataSet1BeforePost(); };
    FixedFormatDataSet1.AfterPost = [this](TFixedFormatDataSet&) { RecomputeTotals(); };
    FixedFormatDataSet1.AfterDelete = [this](TFixedFormatDataSet&) { RecomputeTotals(); };
    FixedFormatDataSet1.OnNewRecord = [this](TFixedFormatDataSet&) { NewRecordPending = true; };
    FixedFormatDataSet1.AfterEdit = [this](TFixedFormatDataSet&) { NewRecordPending = false; };

    // Without the income-type list the program still works; only the
    // grid's income-type box stays empty.
    try {
        FixedFormatDataSet2.Open();
    } catch (const std::exception& e) {
        m_ui.ShowError(e.what());
    }
}

bool Workspace::CloseQuery()
{
    if (!Modified)
        return true;
    switch (m_ui.AskWithCaptions(
        kChangesQuestion, UserInterface::YesButton | UserInterface::NoButton | UserInterface::CancelButton,
        {"Ναι", "Όχι", "Άκυρο"})) {
    case UserInterface::Answer::Yes:
        SaveAs();
        // A cancelled file dialog still closes: only refused checks keep the window.
        return LastSaveOk;
    case UserInterface::Answer::No:
        return true;
    case UserInterface::Answer::Cancel:
        break;
    }
    return false;
}

void Workspace::Shutdown()
{
    try {
        FixedFormatDataSet1.Close();
    } catch (const std::exception& e) {
        m_ui.ShowError(e.what());
    }
    RemoveWorkFiles();
}

void Workspace::RemoveWorkFiles()
{
    // Each step on its own: a missing file or a folder that is not empty is skipped.
    for (const char* name : {"temp/generaldata", "temp/record2", "temp/record21", "temp"}) {
        std::error_code ignored;
        std::filesystem::remove(ProgramPath(name), ignored);
    }
}

void Workspace::New() {}
void Workspace::Open() {}
void Workspace::SaveAs() {}
void Workspace::FixedFormatDataSet1BeforePost() {}
void Workspace::RecomputeTotals() {}
