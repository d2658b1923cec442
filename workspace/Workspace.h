#pragma once

#include "dataset/FixedFormatDataSet.h"
#include "workbook/Workbook.h"
#include "workspace/AtomicFile.h"
#include "declaration/DeclarationFile.h"
#include "workspace/ImportTarget.h"
#include "workspace/ProgramFolders.h"
#include "workspace/SessionState.h"
#include "declaration/StoredRowIndex.h"
#include "declaration/Totals.h"
#include "declaration/UserInterface.h"
#include "workspace/WorkKeeper.h"

#include <QDate>
#include <QDateTime>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class DetailRow;

// The open declaration for the life of the program: the employer header, the
// detail rows held in memory, the totals with the row label and the flags the
// commands leave behind. Every command reads and changes these, never a file
// of the working folder; that folder only keeps a crash-safe copy, written
// after each change through KeepWork. It talks to the person only through
// UserInterface; the main window, rozaro-cli and the tests all drive it the
// same way.
class Workspace final : private ImportTarget
{
public:
    // `programFolder` is the folder of the running program: temp/ and Addon/ are found there.
    Workspace(UserInterface& ui, std::string programFolder);
    // Resources and working files in the folders `folders` names.
    Workspace(UserInterface& ui, const ProgramFolders& folders);
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Start-up: create temp/ (an existing one is fine), make the first
    // page's pictures whole in the working folder, lay the detail rows out and
    // open the income-type list; a list that cannot be opened is reported and
    // the program runs on without it.
    void Start();

    // Closing, first half: asks about unsaved changes ("Ναι" saves) and says
    // whether the program may close.
    bool CloseQuery();
    // Closing, second half: closes the detail store and removes the working files.
    void Shutdown();
    // Deletes the crash-safe copy, the files earlier releases kept in temp/
    // and the folder, each step on its own.
    void RemoveWorkFiles();

    // The start's look at the working folder: work that a session left
    // there without closing, with changes not saved, is offered back. "Ναι"
    // takes it up as the declaration, marked changed; "Όχι" first writes it
    // as a declaration file into recovered/ and says where. Work without
    // unsaved changes is dropped silently. The front calls it once, right
    // after Start, while no other program holds the folder.
    enum class RecoveryOutcome { NothingLeft, Recovered, CopyKept };
    RecoveryOutcome RecoverLeftoverWork();
    // The Caps Lock the person had before the program set it (-1 not known,
    // 0 off, 1 on): the window notes it at start, it is kept with the work.
    int PersonCapsLock = -1;
    // The same as the session that did not close kept it; -1 when there was
    // none. That session may have left the lock on for the whole desktop.
    int LeftoverCapsLock() const { return m_leftoverCapsLock; }
    // The file the declaration came from or was last saved as (UTF-8), empty
    // for a new one.
    const std::string& FileName() const { return m_fileName; }

    // The folder of the working files (temp/, the reports).
    const std::string& ProgramFolder() const { return m_programFolder; }
    // The folder Addon/ and Help/ are read from.
    const std::string& ResourceFolder() const { return m_resourceFolder; }
    // Where the next open or save dialog starts: the program folder of a
    // portable copy; for an installed program the folder last chosen, at
    // first the person's documents.
    const std::string& DialogFolder() const { return m_dialogFolder; }
    void RememberDialogFolder(const std::string& chosenFile);
    UserInterface& Ui() override { return m_ui; }

    // The employer header, as the window's fields hold it (cp1253).
    declaration::EmployerHeader Header;

    // The detail rows, held in memory with no file behind them, and the
    // read-only income-kind list.
    TFixedFormatDataSet FixedFormatDataSet1{"FixedFormatDataSet1"};
    TFixedFormatDataSet FixedFormatDataSet2{"FixedFormatDataSet2"};

    // What the totals boxes and the row label show. Only the workspace
    // changes them, and tells the front to show them again (Refresh).
    const Totals& CurrentTotals() const { return m_totals; }
    // Puts `totals` in the boxes as they stand, without summing the rows, and
    // has them shown: what the reports and the save checks then take is
    // exactly what the boxes show.
    void ReplaceTotals(const Totals& totals);

    // The declaration holds changes its file does not have yet; closing,
    // New and Open ask before they drop them.
    bool Modified() const { return m_modified; }
    // Every change of the flag, and of the header before it, is kept in the
    // working folder at once, so that a program that never closes loses no
    // more than the row being edited.
    void SetModified(bool modified) override;
    // Whether the checks of the last Save as passed.
    bool LastSaveOk() const { return m_lastSaveOk; }
    // The row checks' verdict on the last row they ran on.
    bool RowAccepted() const { return m_rowAccepted; }
    void SetRowAccepted(bool accepted) override { m_rowAccepted = accepted; }
    // The current row was inserted, not opened for edit: the row checks
    // treat it as a new row.
    bool NewRecordPending() const { return m_newRecordPending; }
    void SetNewRecordPending(bool pending) override { m_newRecordPending = pending; }
    // Rows are coming from a workbook: the row checks leave out the tax
    // number questions.
    bool Importing() const { return m_importing; }
    void SetImporting(bool importing) { m_importing = importing; }

    // Today's date for the year rules and the date written into a
    // declaration; replaceable so that those rules can be tried on any day.
    std::function<QDate()> Today = &QDate::currentDate;
    // The moment that names a copy of leftover work in recovered/.
    std::function<QDateTime()> Now = &QDateTime::currentDateTime;
    // Makes the device a declaration or a working file is saved through;
    // replaceable so that a device failing half-way can stand in.
    AtomicFile::Factory SaveFileFactory = AtomicFile::DefaultFactory();

    // Commands of the menu "Αρχείο". New and Open first ask about unsaved
    // changes; after "Ναι" they go on only once the declaration is saved.
    void New();
    // What Open came to.
    enum class OpenOutcome {
        Opened,
        OpenedWithoutTotals, // open, but an amount of a row cannot be read (the error was
                             // shown); Save as refuses until it is corrected
        Cancelled,           // the unsaved changes were kept, or the file dialog was cancelled
        Refused,             // the file is no declaration (its message was shown)
        Failed,              // the file could not be read (the error was shown); nothing changed
    };
    OpenOutcome Open();
    // What Save as came to; LastSaveOk still says whether its checks passed.
    enum class SaveOutcome {
        Saved,     // the file was written and Modified cleared
        Refused,   // a check refused the declaration and said why
        Cancelled, // the file dialog was cancelled
        Declined,  // an existing file was kept: "Όχι", or the question closed
        Failed,    // the file could not be written; the error was shown
        // The file is in place, but its folder could not be synced, so a
        // power cut may still take it (said): the file name is taken, the
        // declaration stays marked changed and its crash-safe copy kept.
        Unsynced,
    };
    SaveOutcome SaveAs();
    // The checks Save as runs before it writes anything.
    bool ValidateForSave();

    // Hooks of the detail store.
    void FixedFormatDataSet1BeforePost();
    // Sums the stored rows into the totals and shows them; writes nothing.
    // An amount that cannot be read is thrown, the boxes left empty.
    void RecomputeTotals() override;

    // Runs the row checks, questions included, on a copy of stored row
    // `index` (0-based) as if that row were being edited, and says whether it
    // would be accepted. The store, the flags and the files stay as they are.
    // Errors that are not refusals (an unreadable amount) are thrown.
    bool RevalidateStoredRow(int index);

    // What became of the detail store's pending row when a command stored it
    // first: stored, there was none, or the row checks refused it (they have
    // told the person why, and the row stays in edit).
    enum class StoreOutcome { Stored, NothingPending, Refused };
    // Stores the detail store's pending row, if any, as commands do before
    // they look at all rows. An error that is not the row checks' refusal (an
    // amount that cannot be read, a working file that cannot be written) is
    // thrown, with the row left in edit, so that the command stops and the
    // person sees why instead of losing the row.
    StoreOutcome StorePendingRow();
    // True when the command may go on: the row was stored or there was none.
    bool StorePendingRowFirst() { return StorePendingRow() != StoreOutcome::Refused; }

    // Sorting: by AFM (the whole record) and alphabetically (from the surname
    // on). False when the pending row was refused and nothing was sorted.
    bool SortByAfm();
    bool SortAlphabetically();

    // Find: moves the detail store to the first row whose AFM (or surname)
    // matches `key` (cp1253), whole or as a beginning. The window calls
    // StorePendingRow() before it shows the find dialog, so that a refused row
    // keeps the dialog shut; the store repeated here then finds nothing pending.
    enum class FindResult { Found, NotFound, Refused };
    FindResult FindRow(bool byAfm, const std::string& key, bool partialKey);

    // Keying rows in the grid. A character typed in a grid column: counts as
    // a change, then passes the column's filter (dropped with a beep) or is
    // meant for the income-kind box.
    enum class GridKey { Keep, Drop, ToIncomeKindBox };
    GridKey FilterGridKey(int column, const QString& editorText, char16_t& key);
    // Text put into a grid cell without typing keeps what typing would have kept.
    QString FilterPastedGridText(int column, const QString& text);
    // Entering the net-pay column fills it with gross pay less deductions
    // (unreadable amounts count as 0); a negative result is reported and 0
    // written. Nothing here fails visibly.
    void FillNetPay();
    // The income-kind box wrote `code` (cp1253) into the current row.
    void ChooseIncomeKind(const std::string& code);
    // The import of detail rows from a workbook's first sheet: how it ended.
    using ImportOutcome = ::ImportOutcome;
    // The menu command: stores the pending row first, lets the person choose
    // the workbook and imports its rows.
    ImportOutcome ImportFromWorkbook();
    // Reads the workbook at `path` (UTF-8) and imports its rows.
    ImportOutcome ImportWorkbookFile(const std::string& path);
    // Imports the rows of a sheet already read.
    ImportOutcome ImportRows(const workbook::Sheet& sheet);

    // Starts an empty declaration, as New does once its question is answered.
    void StartNewDeclaration();

    // Whether the crash-safe copy in the working folder is up to date with
    // the declaration in memory (false after a write of it failed).
    bool KeptSafe() const { return !m_keepFailing; }
    // What the crash-safe copy must take after a change.
    enum class Keep {
        State,       // the header, the file name and the flags
        ChangedRows, // those, and how the rows differ from those last kept
        Everything,  // those, and every row anew (after New, Open, a sort, recovery, an import)
    };
    // Brings the crash-safe copy level with memory. A failure changes
    // nothing in memory: it is said once, until a later keep succeeded.
    void KeepWork(Keep what);
    // Whether changes are kept safe in the working folder at all: a batch
    // run that only reads a declaration (a check, a report) has nothing of
    // its own to lose, and writes nothing there.
    void SetKeepingWork(bool keeping) { m_keepingWork = keeping; }
    // Waits for the crash-safe copy of every row that Open and New leave to
    // be written in the background.
    void FinishKeeping();

    // Header checks.
    bool YearIsValid(const std::string& year) const;
    // Leaving the year field: false (after telling the person) when it is not a valid year.
    bool YearOfDataExit();
    // Leaving the AFM field: false (after telling the person) when it fails the check.
    bool AFMExit();

private:
    // What an import needs beyond the commands above.
    TFixedFormatDataSet& DetailRows() override { return FixedFormatDataSet1; }
    const std::string& EmployerAfm() const override { return Header.AFM; }
    const StoredRowIndex& StoredRows() override;
    enum class SortKind { ByAfm, Alphabetical };
    bool SortRows(SortKind kind);
    bool ResolveUnsavedChanges();
    void RunRowValidation(DetailRow& row, bool newRow, bool& verdict);
    bool IsStoredPair(const std::string& afm, const std::string& typeInc);
    bool HeaderAfmPasses() const;
    bool ShowSaveFailure(const struct SaveCheckFailure& failure);
    void WriteDeclarationFile(const QString& target);
    void WriteWorkFile(const std::string& path, const std::string& content);
    // Makes `lines` the rows of the declaration in one step.
    void TakeRows(std::vector<TFixedFormatDataSet::TLine> lines);
    // Sums the rows; an amount that cannot be read is shown, and false.
    bool SumShowingError();
    void RestorePictures();
    std::string ProgramPath(const std::string& relative) const;
    void RemoveLeftoverFiles();
    void TakeUpLeftoverWork(const LeftoverWork& work);
    std::string KeepCopyOf(const LeftoverWork& work);
    std::string MoveAside(const std::vector<std::string>& files);
    int m_leftoverCapsLock = -1;

    UserInterface& m_ui;
    std::string m_programFolder;
    std::string m_resourceFolder;
    std::string m_dialogFolder;
    bool m_installed = false;
    WorkKeeper m_keeper;
    StoredRowIndex m_index;
    Totals m_totals;
    // The last sum of the rows met an amount it could not read: the boxes
    // do not hold the rows' totals, so nothing may be saved from them.
    bool m_sumFailed = false;
    bool m_modified = false;
    bool m_lastSaveOk = true;
    bool m_rowAccepted = true;
    bool m_newRecordPending = false;
    bool m_importing = false;
    std::string m_fileName;
    // Save as proposes m_fileName: the declaration was taken up from work
    // left behind, whose file name is all that says what it was.
    bool m_proposeFileName = false;
    // Keeping the work failed (said once, not at every keystroke).
    bool m_keepFailing = false;
    bool m_keepingWork = true;
    // While a store, insert or delete is kept and summed: only the row at
    // m_editedAt (none for a delete) and rows whose ids came or went changed.
    bool m_oneRowChanged = false;
    std::optional<size_t> m_editedAt;
    int32_t m_editedId = 0;
};
