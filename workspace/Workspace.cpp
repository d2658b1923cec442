#include "workspace/Workspace.h"

#include "text/AmountText.h"
#include "text/ConvertError.h"
#include "text/Cp1253.h"
#include "workspace/AmountLimit.h"
#include "workspace/BusyWindow.h"
#include "workspace/ExchangeSort.h"
#include "workspace/GridColumns.h"
#include "workspace/Helpers.h"
#include "workspace/RowValidation.h"
#include "workspace/ScopeExit.h"
#include "workspace/ScratchDetailRow.h"
#include "workspace/SheetImport.h"
#include "workspace/StoreDetailRow.h"

#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "fileio/ReplaceTarget.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <unordered_map>

namespace {

const char* const kChangesQuestion = "Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο;";
const char* const kYearMessage = "Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία";
const std::vector<std::string> kYesNo = {"Ναι", "Όχι"};
constexpr int kYesNoButtons = UserInterface::YesButton | UserInterface::NoButton;

QString Path(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// QFile leaves the system's reason in errno.
std::string CannotOpen(const QString& path, int error)
{
    return FileErrorMessage(path.toStdString(), error, FileAction::Read);
}

std::string ReadWholeFile(const std::string& path)
{
    QFile in(Path(path));
    errno = 0;
    if (!in.open(QIODevice::ReadOnly))
        throw EFileError(CannotOpen(in.fileName(), errno));
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError)
        throw EFileError(CannotOpen(in.fileName(), errno));
    return bytes.toStdString();
}

std::string ToUtf8(const std::string& cp1253Text)
{
    return cp1253::toUnicode(cp1253Text).toStdString();
}

// The title the grid shows over the column of `field`.
std::string ColumnTitle(declaration::DetailField field)
{
    for (const gridcolumns::Column& column : gridcolumns::Columns())
        if (column.field == field && column.title != nullptr)
            return column.title;
    return declaration::DetailLayout()[field].name;
}

// The message of a refused file; an amount the rows cannot hold is named by
// its row and column on a line of its own, so the person can find it in the file.
std::string ReadRefusalMessage(const declaration::ReadResult& read)
{
    std::string message = declaration::ReadStatusMessage(read.status);
    if (read.status == declaration::ReadStatus::AmountTooLarge)
        message += "\nΓραμμή " + std::to_string(read.failedRow) + " των αναλυτικών αμοιβών (ΑΦΜ " +
                   ToUtf8(read.failedAfm) + "), στήλη «" + ColumnTitle(read.failedField) + "»: το ποσό " +
                   read.failedAmount + " δεν χωράει στο πεδίο.";
    return message;
}

} // namespace

Workspace::Workspace(UserInterface& ui, std::string programFolder)
    : Workspace(ui, ProgramFolders::Single(QString::fromStdString(programFolder)))
{
}

Workspace::Workspace(UserInterface& ui, const ProgramFolders& folders)
    : m_ui(ui), m_programFolder(folders.working.toStdString()),
      m_resourceFolder(folders.resources.toStdString()), m_dialogFolder(folders.dialogs.toStdString()),
      m_installed(folders.installed), m_journal(m_programFolder)
{
}

void Workspace::RememberDialogFolder(const std::string& chosenFile)
{
    // A portable copy keeps starting in its own folder, as it always did.
    if (m_installed && !chosenFile.empty())
        m_dialogFolder = QFileInfo(Path(chosenFile)).absolutePath().toStdString();
}

Workspace::~Workspace() = default;

std::string Workspace::ProgramPath(const std::string& relative) const
{
    return (std::filesystem::path(m_programFolder) / relative).string();
}

void Workspace::WriteWorkFile(const std::string& path, const std::string& content)
{
    AtomicFile::Write(SaveFileFactory, Path(path), content);
}

// ---------------------------------------------------------------------------
// Start and close

void Workspace::Start()
{
    // An existing temp/ (left over from an earlier run) is used as it is.
    std::error_code ignored;
    std::filesystem::create_directory(ProgramPath("temp"), ignored);
    if (m_resourceFolder != m_programFolder) {
        // The form page is written into the working folder and shows the
        // pictures it finds beside itself.
        const char* pictures = "Addon/E7FirstPageFinal.files";
        std::filesystem::create_directories(ProgramPath(pictures), ignored);
        std::filesystem::copy(std::filesystem::path(m_resourceFolder) / pictures, ProgramPath(pictures),
                              std::filesystem::copy_options::overwrite_existing |
                                  std::filesystem::copy_options::recursive,
                              ignored);
    }

    FixedFormatDataSet1.SetFileName(ProgramPath("temp/record2"));
    FixedFormatDataSet1.SetSchema(declaration::DetailSchema());
    FixedFormatDataSet3.SetFileName(ProgramPath("temp/record21"));
    FixedFormatDataSet3.SetSchema(declaration::DetailSchema());
    FixedFormatDataSet2.SetFileName(
        (std::filesystem::path(m_resourceFolder) / "Addon/typeofinc.txt").string());
    FixedFormatDataSet2.SetSchema(declaration::IncomeTypeSchema());

    FixedFormatDataSet1.BeforePost = [this](TFixedFormatDataSet&) { FixedFormatDataSet1BeforePost(); };
    // A stored or deleted row is a change the declaration file does not have
    // yet: closing must not drop it without asking. The flag reaches the
    // working folder before the rows do, so work left there by a program
    // that stopped in between is still offered back.
    FixedFormatDataSet1.AfterPost = [this](TFixedFormatDataSet&) {
        SetModified(true);
        RecomputeTotals();
    };
    FixedFormatDataSet1.AfterDelete = [this](TFixedFormatDataSet&) {
        SetModified(true);
        RecomputeTotals();
    };
    FixedFormatDataSet1.OnNewRecord = [this](TFixedFormatDataSet&) { m_newRecordPending = true; };
    FixedFormatDataSet1.AfterEdit = [this](TFixedFormatDataSet&) { m_newRecordPending = false; };

    // Without the income-type list the program still works; only the
    // grid's income-type box stays empty.
    try {
        FixedFormatDataSet2.Open();
    } catch (const std::exception& e) {
        m_ui.ShowError(e.what());
    }
}

// Asks about unsaved changes; true when the caller may go on and drop them.
bool Workspace::ResolveUnsavedChanges()
{
    switch (m_ui.AskWithCaptions(
        kChangesQuestion, UserInterface::YesButton | UserInterface::NoButton | UserInterface::CancelButton,
        {"Ναι", "Όχι", "Άκυρο"})) {
    case UserInterface::Answer::Yes: {
        // "Ναι" asked to keep the declaration: closing, New and Open go on
        // only once it is on disk, never when the save was cancelled, the
        // existing file kept or the writing failed.
        return SaveAs() == SaveOutcome::Saved;
    }
    case UserInterface::Answer::No:
        return true;
    case UserInterface::Answer::Cancel:
        break;
    }
    return false;
}

bool Workspace::CloseQuery()
{
    return !m_modified || ResolveUnsavedChanges();
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
    RemoveLeftoverFiles();
    std::error_code ignored;
    std::filesystem::remove(ProgramPath("temp"), ignored);
}

// Each step on its own: a missing file is skipped. The state goes first: rows
// left without it are never offered back.
void Workspace::RemoveLeftoverFiles()
{
    for (const char* name : {LeftoverWork::StateFile, "temp/generaldata", "temp/record2", "temp/record21"}) {
        std::error_code ignored;
        std::filesystem::remove(ProgramPath(name), ignored);
    }
    DropRowJournal();
    m_keptState.clear();
}

// The rows in temp/record2, synced, are the whole truth again.
void Workspace::DropRowJournal()
{
    m_journal.Close();
    for (const char* name : {RowJournal::JournalFile, RowJournal::BaseFile}) {
        std::error_code ignored;
        std::filesystem::remove(ProgramPath(name), ignored);
    }
}

// ---------------------------------------------------------------------------
// Work kept in the working folder

void Workspace::SetModified(bool modified)
{
    m_modified = modified;
    KeepSessionState();
}

// Written only when it changed: the first change after a save, a header
// field typed, another file name. A state that cannot be written is said
// once; the command itself goes on.
void Workspace::KeepSessionState()
{
    SessionState state;
    state.header = Header;
    state.fileName = m_fileName;
    state.modified = m_modified;
    state.summed = !m_totals.Edits()[0].empty();
    std::string text = state.Serialize();
    if (text == m_keptState)
        return;
    try {
        WriteWorkFile(ProgramPath(LeftoverWork::StateFile), text);
    } catch (const std::exception& e) {
        if (!m_stateFailing)
            m_ui.ShowError(e.what());
        m_stateFailing = true;
        return;
    }
    m_stateFailing = false;
    m_keptState = std::move(text);
}

// The declaration in the working folder is about to be replaced on purpose
// (its unsaved changes were settled): nothing there is to be offered back,
// whatever point the replacing reaches.
void Workspace::ForgetSession()
{
    m_modified = false;
    m_fileName.clear();
    m_proposeFileName = false;
    KeepSessionState();
}

// ---------------------------------------------------------------------------
// New, Open, Save as

void Workspace::New()
{
    if (m_modified && !ResolveUnsavedChanges())
        return;
    if (m_ui.AskWithCaptions("Δημιουργία νέου αρχείου;", kYesNoButtons, kYesNo) == UserInterface::Answer::No)
        return;
    StartNewDeclaration();
}

void Workspace::StartNewDeclaration()
{
    ForgetSession();
    // Empty working files; if they cannot be written, the declaration stays as it was.
    ReplaceWorkingFiles(declaration::ReadResult{});
    LoadEmployerRecord();
    FixedFormatDataSet1.Open();
    m_index.Clear();
    m_totals = Totals(Totals::Boxes{}, m_totals.Label32());
    Header.NaturalPerson = false;
    SetModified(false);
    m_ui.EnterWorkingState();
    m_totals = Totals(Totals::Boxes{}, "0 Εγγραφές");
    m_ui.FocusControl(HeaderField::YearOfData);
    m_ui.Refresh();
}

Workspace::OpenOutcome Workspace::Open()
{
    if (m_modified && !ResolveUnsavedChanges())
        return OpenOutcome::Cancelled;
    std::string path;
    if (!m_ui.ChooseOpenFile(m_dialogFolder, "*.*", path))
        return OpenOutcome::Cancelled;
    RememberDialogFolder(path);

    // The whole file is read and judged before the open declaration is
    // touched, so a refused file loses nothing.
    QFile in(Path(path));
    errno = 0;
    if (!in.open(QIODevice::ReadOnly)) {
        m_ui.ShowError(CannotOpen(in.fileName(), errno));
        return OpenOutcome::Failed;
    }
    const declaration::ReadResult read = declaration::ReadDeclaration(in);
    in.close();
    if (read.status != declaration::ReadStatus::Ok) {
        if (declaration::ReadStatusBeeps(read.status))
            m_ui.Beep();
        m_ui.ShowMessage(ReadRefusalMessage(read));
        return OpenOutcome::Refused;
    }

    ForgetSession();
    ReplaceWorkingFiles(read);
    LoadEmployerRecord();
    m_fileName = path;
    FixedFormatDataSet1.Open();
    // An amount the rows cannot be summed with is reported; the declaration
    // is open all the same and the person can correct the row.
    OpenOutcome outcome = OpenOutcome::Opened;
    try {
        RecomputeTotals();
    } catch (const std::exception& e) {
        m_ui.ShowError(e.what());
        outcome = OpenOutcome::OpenedWithoutTotals;
    }
    KeepSessionState();
    m_ui.EnterWorkingState();
    m_ui.FocusControl(HeaderField::YearOfData);
    m_ui.Refresh();
    return outcome;
}

void Workspace::ReplaceWorkingFiles(const declaration::ReadResult& read)
{
    FixedFormatDataSet1.Close();
    m_scanCopyStale = true;
    try {
        // The header in memory is loaded only after both are written, so a
        // failure leaves it, and the rows in temp/record2, as they were.
        WriteWorkFile(ProgramPath("temp/generaldata"), JoinLines(read.employerLines));
        WriteWorkFile(ProgramPath("temp/record2"), JoinLines(read.detailLines));
    } catch (...) {
        ReopenAfterFailedWrite();
        throw;
    }
    DropRowJournal();
}

// The working file still holds the rows as they were; what the person must
// hear about is the write that failed, not a second failure to read them
// back (a working folder that never came into being).
void Workspace::ReopenAfterFailedWrite()
{
    try {
        FixedFormatDataSet1.Open();
    } catch (const std::exception&) {
    }
}

void Workspace::LoadEmployerRecord()
{
    try {
        const std::string content = ReadWholeFile(ProgramPath("temp/generaldata"));
        const size_t end = content.find_first_of("\r\n");
        Header = declaration::LoadEmployerLine(std::string_view(content).substr(0, end));
    } catch (const std::exception&) {
        m_ui.Beep();
        m_ui.ShowMessage("Παρουσιάστηκε πρόβλημα κατά την ανάγνωση των γενικών στοιχείων");
    }
    Header.NaturalPerson = false;
    SetModified(false);
}

Workspace::StoreOutcome Workspace::StorePendingRow()
{
    const auto state = FixedFormatDataSet1.State();
    if (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert)
        return StoreOutcome::NothingPending;
    // A new row nobody typed into (Down on the last row) holds nothing to
    // check: it is dropped, as the grid drops it when the person leaves it.
    if (state == TDataSetState::dsInsert && !FixedFormatDataSet1.Modified()) {
        FixedFormatDataSet1.Cancel();
        return StoreOutcome::NothingPending;
    }
    m_rowAccepted = true;
    try {
        FixedFormatDataSet1.Post();
    } catch (const EAbort&) {
        // The row checks refuse with the silent abort after their own
        // message; any other hook's silent abort leaves the row unstored too.
        return StoreOutcome::Refused;
    }
    return m_rowAccepted ? StoreOutcome::Stored : StoreOutcome::Refused;
}

bool Workspace::HeaderAfmPasses() const
{
    // Nine characters that are not digits are as wrong as a bad check digit.
    try {
        return CheckAFM(Header.AFM);
    } catch (const EConvertError&) {
        return false;
    }
}

void Workspace::RefreshScanCopy()
{
    // Copied a piece at a time, so that the copy of a large declaration never
    // stands whole in memory beside its rows.
    QFile in(Path(ProgramPath("temp/record2")));
    errno = 0;
    if (!in.open(QIODevice::ReadOnly))
        throw EFileError(CannotOpen(in.fileName(), errno));
    AtomicFile::Write(SaveFileFactory, Path(ProgramPath("temp/record21")), [&in](QIODevice& out) {
        std::array<char, 1 << 16> piece;
        for (;;) {
            const qint64 got = in.read(piece.data(), piece.size());
            if (got < 0)
                throw EFileError(CannotOpen(in.fileName(), errno));
            if (got == 0)
                return;
            if (out.write(piece.data(), got) != got)
                throw EFileError(out.errorString().toStdString());
        }
    });
    m_scanCopyStale = false;
}

bool Workspace::ValidateForSave()
{
    if (!YearIsValid(Header.YearOfData)) {
        m_ui.Beep();
        m_ui.ShowMessage(kYearMessage);
        m_ui.FocusControl(HeaderField::YearOfData);
        return false;
    }
    if (Header.CompanyName.empty()) {
        m_ui.Beep();
        m_ui.ShowMessage(Header.NaturalPerson ? "Γράψτε το Ονοματεπώνυμο του υπόχρεου"
                                              : "Γράψτε την Επωνυμία της επιχείρησης");
        m_ui.FocusControl(HeaderField::CompanyName);
        return false;
    }
    if (!HeaderAfmPasses()) {
        m_ui.ShowMessage("Έχετε δώσει λανθασμένο ΑΦΜ Υπόχρεου");
        m_ui.FocusControl(HeaderField::AFM);
        return false;
    }
    if (!StorePendingRowFirst())
        return false;

    // The rows checked are the rows that will be written: the store's own.
    RefreshScanCopy();
    const auto& lines = FixedFormatDataSet1.Lines();
    std::vector<std::string> afms, kinds;
    afms.reserve(lines.size());
    kinds.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        afms.emplace_back(declaration::DetailFieldText(lines[i].Text, declaration::AFM));
        kinds.emplace_back(declaration::DetailFieldText(lines[i].Text, declaration::TypeInc));
        if (afms.back() != Header.AFM)
            continue;
        m_ui.Beep();
        const std::string question = "Ο ΑΦΜ: " + ToUtf8(afms.back()) + " που έχει εισαχθεί στη γραμμή " +
                                     std::to_string(i + 1) +
                                     " των αναλυτικών αμοιβών είναι ίδιος με τον ΑΦΜ υπόχρεου. Είστε "
                                     "σίγουρος ότι αυτό είναι σωστό;";
        if (m_ui.AskWithCaptions(question, kYesNoButtons, kYesNo) == UserInterface::Answer::No)
            return false;
    }

    // The first repeated pair in the order of a pass over every i < j: the
    // smallest i that repeats later, with its first repetition.
    std::unordered_map<std::string, size_t> firstRow;
    size_t repeated = lines.size();
    for (size_t j = 0; j < lines.size(); ++j) {
        std::string key(1, static_cast<char>(kinds[j].size()));
        key += kinds[j];
        key += afms[j];
        auto [it, inserted] = firstRow.try_emplace(std::move(key), j);
        if (!inserted && it->second < repeated)
            repeated = it->second;
    }
    if (repeated < lines.size()) {
        m_ui.Beep();
        m_ui.ShowMessage("Ο ΑΦΜ: " + ToUtf8(afms[repeated]) +
                         " έχει εισαχθεί 2 φορές στις αναλυτικές αμοιβές με τον ίδιο κωδικό Είδους Αποδοχών");
        return false;
    }
    return AmountsFitFile() && AmountTotalsFitFile();
}

// A stored row can still hold an amount its file field cannot carry: a file
// read back keeps an amount that is no whole number of cents ("1E9") as it
// stands. Written, it would make its record longer than the others.
bool Workspace::AmountsFitFile()
{
    const auto& lines = FixedFormatDataSet1.Lines();
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::optional<declaration::DetailField> field =
            declaration::FirstOversizedAmount(lines[i].Text);
        if (!field)
            continue;
        m_ui.Beep();
        m_ui.ShowMessage(
            amountlimit::StoredRowMessage(*field, declaration::DetailLayout()[*field].width, i + 1,
                                          std::string(declaration::DetailFieldText(lines[i].Text, *field))));
        return false;
    }
    return true;
}

// The totals record carries each total as whole cents in a field of fixed
// width; a total that does not fit would make that record overrun its width.
bool Workspace::AmountTotalsFitFile()
{
    if (FixedFormatDataSet1.Lines().empty())
        return true; // the totals record is then all zeros
    const auto& slots = declaration::TotalsLayout();
    const Totals::Boxes edits = m_totals.Edits();
    for (size_t box = 0; box < slots.size(); ++box) {
        if (!amount::FitsFileForm(edits[box], slots[box].record2Width)) {
            m_ui.Beep();
            m_ui.ShowMessage(amountlimit::TotalMessage(slots[box].field, slots[box].record2Width));
            return false;
        }
    }
    return true;
}

Workspace::SaveOutcome Workspace::SaveAs()
{
    try {
        m_lastSaveOk = ValidateForSave();
    } catch (const std::exception& e) {
        // The rows could not even be looked at (a pending row that cannot be
        // read, a working file that cannot be copied): nothing can be saved.
        m_lastSaveOk = false;
        m_ui.ShowError(e.what());
    }
    if (!m_lastSaveOk)
        return SaveOutcome::Refused;
    std::string path;
    // A declaration taken up from leftover work proposes the file it was.
    const std::filesystem::path kept(m_fileName);
    const bool proposeKept = m_proposeFileName && !kept.filename().empty();
    if (!m_ui.ChooseSaveFile(proposeKept ? kept.parent_path().string() : m_dialogFolder,
                             proposeKept ? kept.filename().string() : ToUtf8(Header.AFM) + "-Rozaro", "",
                             path))
        return SaveOutcome::Cancelled;
    RememberDialogFolder(path);
    const QString target = Path(path);
    if (QFileInfo::exists(target) &&
        !m_ui.ConfirmDestructive("Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο " +
                                 ReplacedFileName(target.toStdString()) + ";"))
        return SaveOutcome::Declined;
    try {
        WriteDeclarationFile(target);
    } catch (const EAbort&) {
        return SaveOutcome::Failed;
    } catch (const std::exception& e) {
        m_ui.ShowError(e.what());
        return SaveOutcome::Failed;
    }
    m_fileName = path;
    SetModified(false);
    return SaveOutcome::Saved;
}

// The file under the chosen name is replaced only once every record has been
// written; any failure leaves the earlier file as it was.
void Workspace::WriteDeclarationFile(const QString& target)
{
    BusyWindow busy(m_ui);

    auto& rows = FixedFormatDataSet1;
    if (rows.Active())
        rows.First();
    AtomicFile::Write(SaveFileFactory, target, [&](QIODevice& out) {
        declaration::WriteDeclaration(out, Today(), Header, m_totals.Edits(), rows.Lines());
    });
    if (rows.Active())
        rows.First();
}

// ---------------------------------------------------------------------------
// Row checks and totals

void Workspace::RunRowValidation(DetailRow& row, bool newRow, bool& verdict)
{
    RowValidation::Settings settings;
    settings.employerAfm = Header.AFM;
    settings.importing = m_importing;
    settings.newRow = newRow;
    settings.isStoredPair = [this](const std::string& afm, const std::string& typeInc) {
        return IsStoredPair(afm, typeInc);
    };
    RowValidation(m_ui, row, verdict, std::move(settings)).Run();
}

void Workspace::FixedFormatDataSet1BeforePost()
{
    StoreDetailRow row(FixedFormatDataSet1);
    RunRowValidation(row, m_newRecordPending, m_rowAccepted);
}

bool Workspace::RevalidateStoredRow(int index)
{
    const auto& lines = FixedFormatDataSet1.Lines();
    if (index < 0 || static_cast<size_t>(index) >= lines.size())
        throw std::out_of_range("row " + std::to_string(index + 1) + " does not exist");
    ScratchDetailRow row(lines[static_cast<size_t>(index)].Text);
    bool accepted = false;
    try {
        RunRowValidation(row, false, accepted);
    } catch (const EAbort&) {
        return false;
    }
    return accepted;
}

// The stored rows are what the duplicate check compares with; temp/record21
// is brought level with temp/record2 as the check has always left it.
bool Workspace::IsStoredPair(const std::string& afm, const std::string& typeInc)
{
    return StoredRows().HasPair(afm, typeInc);
}

const StoredRowIndex& Workspace::StoredRows()
{
    if (m_scanCopyStale)
        RefreshScanCopy();
    m_index.Sync(FixedFormatDataSet1.Lines());
    return m_index;
}

void Workspace::RecomputeTotals()
{
    ScopeExit show([this] { m_ui.Refresh(); });
    auto& rows = FixedFormatDataSet1;
    m_totals = Totals(m_totals.Edits(), std::to_string(rows.RecordCount()) + " Εγγραφές");
    m_scanCopyStale = true;
    // The rows are kept safe by the journal, synced before anything else;
    // the working files only serve this run and are written over in place,
    // which keeps the next sync of the journal from waiting for them.
    m_journal.Record(rows.Lines());
    rows.WriteFileAs(ProgramPath("temp/record21"), true);
    rows.WriteFileAs(ProgramPath("temp/record2"), true);
    m_scanCopyStale = false;

    m_index.Sync(rows.Lines());
    const std::array<long double, Totals::BoxCount> sums = m_index.Totals();
    Totals::Boxes edits;
    for (size_t box = 0; box < sums.size(); ++box)
        edits[box] = amount::FormatAmount(sums[box]);
    m_totals = Totals(edits, m_totals.Label32() + "-" + std::to_string(m_index.DistinctAfmCount()) +
                                 " μοναδικοί ΑΦΜ");
    KeepSessionState();
}

void Workspace::ReplaceTotals(const Totals& totals)
{
    m_totals = totals;
    m_ui.Refresh();
}

// ---------------------------------------------------------------------------
// Sorting

bool Workspace::SortByAfm()
{
    return SortRows(SortKind::ByAfm);
}

bool Workspace::SortAlphabetically()
{
    return SortRows(SortKind::Alphabetical);
}

bool Workspace::SortRows(SortKind kind)
{
    if (!StorePendingRowFirst())
        return false;
    BusyWindow busy(m_ui);

    auto& rows = FixedFormatDataSet1;
    // Each row as its record text: every field at full width, the whole
    // record; alphabetically the first three fields travel along unsorted.
    constexpr size_t head = 11;
    const size_t width = static_cast<size_t>(declaration::RecordWidth);
    std::vector<std::string> records;
    std::vector<int32_t> ids;
    records.reserve(rows.Lines().size());
    ids.reserve(rows.Lines().size());
    for (const auto& line : rows.Lines()) {
        records.push_back(line.Text.substr(0, std::min(line.Text.size(), width)));
        ids.push_back(line.Id);
    }
    std::vector<std::string> keys;
    if (kind == SortKind::Alphabetical) {
        keys.reserve(records.size());
        for (const auto& record : records)
            keys.push_back(record.size() > head ? record.substr(head) : std::string());
    }
    const std::vector<size_t> order = ExchangeSortOrder(kind == SortKind::ByAfm ? records : keys);

    std::string sorted;
    sorted.reserve(records.size() * (width + 2));
    for (size_t index : order)
        sorted.append(records[index]).append("\r\n");

    // The flag is kept before the rows: work stopped in between is offered
    // back in its earlier order rather than dropped.
    const bool wasModified = m_modified;
    SetModified(true);
    rows.Close();
    m_scanCopyStale = true;
    try {
        WriteWorkFile(ProgramPath("temp/record2"), sorted);
    } catch (...) {
        ReopenAfterFailedWrite(); // the file still holds the rows in their earlier order
        SetModified(wasModified);
        throw;
    }
    rows.Open();
    try {
        m_journal.Restart(rows.Lines());
    } catch (const std::exception&) {
        DropRowJournal(); // the sorted rows are safe in temp/record2, synced
    }
    // The reopened store numbers its lines from 1 in the new order.
    std::vector<int32_t> formerIds;
    formerIds.reserve(order.size());
    for (size_t index : order)
        formerIds.push_back(ids[index]);
    m_index.Renumber(formerIds);
    rows.First();
    return true;
}

// ---------------------------------------------------------------------------
// Find

Workspace::FindResult Workspace::FindRow(bool byAfm, const std::string& key, bool partialKey)
{
    if (!StorePendingRowFirst())
        return FindResult::Refused;
    TFixedFormatDataSet::TLocateOptions options;
    options.PartialKey = partialKey;
    if (FixedFormatDataSet1.Locate(byAfm ? "AFM" : "SurName", key, options)) {
        m_ui.Refresh();
        return FindResult::Found;
    }
    m_ui.ShowWarning(byAfm ? "Δεν βρέθηκε ο ΑΦΜ" : "Δεν βρέθηκε το Επώνυμο");
    FixedFormatDataSet1.First();
    return FindResult::NotFound;
}

// ---------------------------------------------------------------------------
// Keying rows in the grid

Workspace::GridKey Workspace::FilterGridKey(int column, const QString& editorText, char16_t& key)
{
    // Every typed character counts as a change, admitted or not.
    SetModified(true);
    // Tab, Enter and Esc have done their work in the grid (moving on,
    // closing the editor, cancelling) before their characters arrive: the
    // characters only count as typing.
    if (key == u'\t' || key == u'\r' || key == 0x1B)
        return GridKey::Keep;
    switch (gridcolumns::RuleOfColumn(column)) {
    case gridcolumns::KeyRule::Digits:
        DigitsOnlyKey(key, m_ui);
        break;
    case gridcolumns::KeyRule::Amount:
        AmountKeyFilter(editorText, key, m_ui);
        break;
    case gridcolumns::KeyRule::IncomeKind:
        if (key != u'\t')
            return GridKey::ToIncomeKindBox;
        break;
    case gridcolumns::KeyRule::Any:
        if (!gridcolumns::Admits(column, editorText, key)) {
            key = 0;
            m_ui.Beep();
        }
        break;
    }
    return key == 0 ? GridKey::Drop : GridKey::Keep;
}

QString Workspace::FilterPastedGridText(int column, const QString& text)
{
    SetModified(true);
    return gridcolumns::AdmittedText(column, text);
}

void Workspace::FillNetPay()
{
    auto& rows = FixedFormatDataSet1;
    try {
        rows.Edit();
    } catch (const std::exception&) {
        // No row to fill (a closed or refused store): the column is just entered.
    }
    if (rows.State() != TDataSetState::dsEdit && rows.State() != TDataSetState::dsInsert)
        return;
    const auto amountOf = [&rows](declaration::DetailField field) {
        return amount::StrToFloatDef(rows.FieldByName(declaration::DetailLayout()[field].name).AsString());
    };
    const long double net = amountOf(declaration::AkaInc) - amountOf(declaration::Kratiseis);
    TField& kathares = rows.FieldByName("Kathares");
    if (net >= 0) {
        kathares.SetAsString(amount::FormatGeneral15(static_cast<double>(net)));
        return;
    }
    m_ui.ShowMessage("Οι Καθαρές Αποδοχές βγαίνουν αρνητικές. Ελέγξτε τα ποσά των διάφορων κρατήσεων καθώς "
                     "και τις Ακαθάριστες αποδοχές");
    kathares.SetAsString("0");
}

void Workspace::ChooseIncomeKind(const std::string& code)
{
    auto& rows = FixedFormatDataSet1;
    if (rows.State() != TDataSetState::dsEdit && rows.State() != TDataSetState::dsInsert)
        rows.Edit();
    rows.FieldByName("TypeInc").SetAsString(code);
    SetModified(true);
}

// ---------------------------------------------------------------------------
// Header checks

bool Workspace::YearIsValid(const std::string& year) const
{
    int64_t number = 0;
    return !year.empty() && amount::TryStrToInt64(year, number) && number >= 1900 && number <= Today().year();
}

bool Workspace::YearOfDataExit()
{
    if (YearIsValid(Header.YearOfData))
        return true;
    m_ui.Beep();
    m_ui.ShowMessage(kYearMessage);
    m_ui.FocusControl(HeaderField::YearOfData);
    return false;
}

bool Workspace::AFMExit()
{
    if (HeaderAfmPasses())
        return true;
    m_ui.ShowMessage("Λάθος ΑΦΜ Υπόχρεου");
    m_ui.FocusControl(HeaderField::AFM);
    return false;
}
