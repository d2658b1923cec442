#pragma once

#include "dataset/FixedFormatDataSet.h"
#include "workspace/DeclarationFile.h"
#include "workspace/UserInterface.h"

#include <array>
#include <string>

// The open declaration for the life of the program: the employer header, the
// three record stores over their working files, the totals, the row label and
// the window flags. It talks to the person only through UserInterface; the
// main window, rozaro-cli and the tests all drive it the same way.
class Workspace
{
public:
    // `programFolder` is the folder of the running program: temp/ and Addon/ are found there.
    Workspace(UserInterface& ui, std::string programFolder);
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Start-up: create temp/ (an existing one is fine), point the three
    // stores at their files and open the income-type list; a list that cannot
    // be opened is reported and the program runs on without it.
    void Start();

    // Closing, first half: asks about unsaved changes ("Ναι" saves) and says
    // whether the program may close.
    bool CloseQuery();
    // Closing, second half: closes the detail store and removes the working files.
    void Shutdown();
    // Deletes temp/generaldata, temp/record2, temp/record21 and the folder,
    // each step on its own.
    void RemoveWorkFiles();

    const std::string& ProgramFolder() const { return m_programFolder; }
    UserInterface& Ui() { return m_ui; }

    // The employer header, as the window's fields hold it (cp1253).
    declaration::EmployerHeader Header;

    // The record stores.
    TFixedFormatDataSet FixedFormatDataSet1{"FixedFormatDataSet1"};
    TFixedFormatDataSet FixedFormatDataSet2{"FixedFormatDataSet2"};
    TFixedFormatDataSet FixedFormatDataSet3{"FixedFormatDataSet3"};

    // The totals texts Edit1..Edit9 (index 0 is Edit1) and the row label.
    std::array<std::string, 9> Edits;
    std::string Label32 = " Εγγραφές (Πελάτες)";

    // Window flags.
    bool Modified = false;
    bool LastSaveOk = true;
    bool RowAccepted = true;
    bool NewRecordPending = false;
    bool LookupEntered = false;
    bool Importing = false;

    // Commands of the menu "Αρχείο".
    void New();
    void Open();
    void SaveAs();

    // Hooks of the detail store.
    void FixedFormatDataSet1BeforePost();
    void RecomputeTotals();

private:
    std::string ProgramPath(const std::string& relative) const;

    UserInterface& m_ui;
    std::string m_programFolder;
};
