#include "workspace/SheetImport.h"

#include "dataset/DataSetErrors.h"
#include "fileio/FileError.h"
#include "text/AmountText.h"
#include "text/Cp1253.h"
#include "workbook/Messages.h"
#include "declaration/Helpers.h"
#include "declaration/RowValidation.h"
#include "declaration/ScratchDetailRow.h"
#include "declaration/StoreDetailRow.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <unordered_set>

using namespace declaration;

namespace {

constexpr std::array<const char*, 13> kIncomeKinds = {"10", "11", "12", "13", "14", "15", "16",
                                                      "20", "21", "22", "23", "24", "25"};

// Sheet columns (0-based) read as numbers, and the one read as a whole number.
constexpr std::array<int, 9> kNumberColumns = {9, 10, 11, 12, 13, 14, 15, 18, 19};
constexpr int kDaysColumn = 17;

// The detail field a sheet column (0-based) fills: the tax number, then the
// fields from the surname on, skipping the blank between them.
DetailField FieldOf(int column)
{
    return column == 0 ? AFM : static_cast<DetailField>(column + 2);
}

bool IsNumberColumn(int column)
{
    return column == kDaysColumn ||
           std::find(kNumberColumns.begin(), kNumberColumns.end(), column) != kNumberColumns.end();
}

// Parsing wants bytes; a character beyond Latin-1 becomes '?', which no number holds.
std::string Latin(const QString& text)
{
    return text.toLatin1().toStdString();
}

// The tax number check on a cell: nine characters that are not all digits
// throw, as they do when the row checks read them.
bool AfmPasses(const QString& text)
{
    return text.size() == 9 && CheckAFM(Latin(text));
}

bool IsWholeNumber(const QString& text)
{
    int64_t value = 0;
    return amount::TryStrToInt64(Latin(text), value) && value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

// An amount as sheets hold it, "-1234,56": digits, at most one comma, no
// blank or exponent. Every such text of a few digits is a number, so the full
// reading (a long double through the C library) is only for the others: it
// cost more than the rest of the check of a row.
bool IsPlainAmount(QStringView text)
{
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    qsizetype digits = 0;
    bool comma = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u',' && !comma && digits > 0)
            comma = true;
        else
            return false;
    }
    return digits > 0 && digits <= 30 && !text.endsWith(u',');
}

bool IsNumber(const QString& text)
{
    if (IsPlainAmount(text))
        return true;
    long double value = 0;
    return amount::TryStrToFloat(Latin(text), value);
}

// A number cut to its field must keep its value to the cent: otherwise the row
// would be stored with a number other than the sheet's.
bool KeepsValue(const QString& whole, const std::string& cut)
{
    long double before = 0, after = 0;
    return amount::TryStrToFloat(Latin(whole), before) && amount::TryStrToFloat(cut, after) &&
           amount::FormatAmount(before) == amount::FormatAmount(after);
}

// The fields the columns A to T fill, in the person's words.
constexpr std::array<const char*, SheetImport::Columns> kColumnTitles = {
    "ΑΦΜ",
    "Επώνυμο",
    "Όνομα",
    "Όνομα πατέρα ή συζύγου",
    "Πόλη",
    "Οδός",
    "Αριθμός",
    "Τ.Κ.",
    "Είδος αποδοχών",
    "Ακαθάριστες αποδοχές",
    "Χαρτόσημο",
    "ΟΓΑ χαρτοσήμου",
    "Κρατήσεις (εκτός φόρου)",
    "Καθαρές αποδοχές",
    "Φόρος που παρακρατήθηκε",
    "Φόρος που αναλογεί",
    "Υποκατάστημα",
    "Σύνολο ημερών απασχόλησης",
    "ΟΓΑ φόρου που παρακρατήθηκε",
    "ΟΓΑ φόρου που αναλογεί",
};

// "J" for column 9 (from 0).
std::string ColumnLetters(int64_t column)
{
    std::string letters;
    for (int64_t c = column + 1; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters;
}

// How many wrong tax numbers the closing note lists; the count covers them all.
constexpr int kListedWrongAfms = 10;

// A cell the import cannot read, already said in the person's words with its place.
class CellFailure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace

std::string SheetImport::CellPlace(int64_t row, int64_t column)
{
    std::string place = "Γραμμή " + std::to_string(row + 1) + ", στήλη " + ColumnLetters(column);
    if (column >= 0 && column < Columns)
        place += std::string(" (") + kColumnTitles[static_cast<size_t>(column)] + ")";
    return place;
}

std::string SheetImport::RefusalMessage(const std::exception& error)
{
    const auto* refusal = dynamic_cast<const workbook::WorkbookRefusal*>(&error);
    const std::string reason = refusal && refusal->Row() >= 0
                                   ? CellPlace(refusal->Row(), refusal->Column()) + ": " + refusal->Reason()
                               : dynamic_cast<const std::bad_alloc*>(&error)
                                   ? std::string(workbook::message::OutOfMemory)
                                   : std::string(error.what());
    return reason + "\n" + FailureMessage;
}

std::string SheetImport::StoppedAt(int row)
{
    const std::string stored = row == 0 ? "Δεν καταχωρίστηκε καμία γραμμή του φύλλου."
                               : row == 1 ? "Καταχωρίστηκε η γραμμή 1."
                                          : "Καταχωρίστηκαν οι γραμμές 1 έως " + std::to_string(row) + ".";
    return "Η εισαγωγή σταμάτησε στη γραμμή " + std::to_string(row + 1) + " του φύλλου. " + stored;
}

SheetImport::SheetImport(ImportTarget& work, const workbook::Sheet& sheet)
    : m_work(work), m_ui(work.Ui()), m_owns(false), m_sheet(sheet)
{
}

SheetImport::SheetImport(ImportTarget& work, workbook::Sheet&& sheet)
    : m_work(work), m_ui(work.Ui()), m_owned(std::move(sheet)), m_owns(true), m_sheet(m_owned)
{
}

ImportOutcome SheetImport::Run()
{
    try {
        if (m_sheet.Columns() == 0) {
            m_ui.ShowMessage(std::string(workbook::message::EmptySheet) + "\n" + FailureMessage);
            return ImportOutcome::Failed;
        }
        if (m_sheet.Columns() < Columns) {
            m_ui.ShowMessage("Το πρώτο φύλλο έχει στοιχεία μόνο ως τη στήλη " +
                             ColumnLetters(m_sheet.Columns() - 1) + " (" + std::to_string(m_sheet.Columns()) +
                             " στήλες): κάθε γραμμή του φύλλου χρειάζεται 20 στήλες, από την A ως την T.\n" +
                             FailureMessage);
            return ImportOutcome::Failed;
        }
        if (!CheckAllRows())
            return ImportOutcome::Stopped;
        return StoreAllRows();
    } catch (const CellFailure& e) {
        m_ui.ShowMessage(std::string(e.what()) + "\n" + FailureMessage);
    } catch (const EFileError& e) {
        // A file that could not be written is no fault of the workbook: the
        // rows before it are stored, and the person is told what failed.
        m_ui.ShowError(m_storing >= 0 ? e.what() + std::string("\n") + StoppedAt(m_storing) : e.what());
        ShowClosingNote();
        return ImportOutcome::NotWritten;
    } catch (const std::exception& e) {
        std::string text = dynamic_cast<const std::bad_alloc*>(&e)
                               ? std::string(workbook::message::OutOfMemory) + "\n" + FailureMessage
                               : std::string(FailureMessage);
        if (m_storing >= 0)
            text += "\n" + StoppedAt(m_storing);
        m_ui.ShowMessage(text);
    }
    ShowClosingNote();
    return ImportOutcome::Failed;
}

// ---------------------------------------------------------------------------
// The first pass: nothing is stored until every row has passed.

bool SheetImport::CheckAllRows()
{
    m_records.reserve(static_cast<size_t>(m_sheet.Rows()));
    for (int row = 0; row < m_sheet.Rows(); ++row)
        if (!CheckRow(row))
            return false;
    // Every row is held as its record now: a large sheet is let go before
    // the store's work on the rows begins.
    if (m_owns)
        m_owned = workbook::Sheet();
    return true;
}

void SheetImport::StopAt(int row, const std::string& what)
{
    m_ui.ShowMessage("Λάθος στη γραμμή " + std::to_string(row + 1) + " του αρχείου: " + what +
                     " Διορθώστε το για να προχωρήσετε στην εισαγωγή.");
}

bool SheetImport::CheckRow(int row)
{
    const QString& afm = m_sheet.Cell(row, 0);
    try {
        if (!AfmPasses(afm) && ++m_wrongAfms <= kListedWrongAfms)
            m_wrongAfmList +=
                "\nΓραμμή " + std::to_string(row + 1) + ": " +
                (afm.isEmpty() ? std::string("(κενό)") : "«" + afm.left(20).toStdString() + "»");
        // Only the first nine characters are stored, and the row checks read them
        // back (without trailing blanks) as digits: letters there end the import
        // now, before any row is in.
        if (afm.size() > 9) {
            std::string stored;
            QChar bad;
            CellText(row, 0, stored, bad);
            ScratchDetailRow record{std::string_view()};
            record.Set(AFM, stored);
            CheckAFM(record.Get(AFM));
        }
    } catch (const std::exception&) {
        throw CellFailure(CellPlace(row, 0) + ": οι εννέα χαρακτήρες του ΑΦΜ «" + afm.left(20).toStdString() +
                          "» που γράφονται στη δήλωση δεν είναι όλοι ψηφία.");
    }

    const QString& kind = m_sheet.Cell(row, 8);
    if (std::none_of(kIncomeKinds.begin(), kIncomeKinds.end(),
                     [&](const char* known) { return kind == QLatin1String(known); })) {
        StopAt(row, "Η στήλη Είδος Αποδοχών (Νο 9) πρέπει να έχει τιμή 10-15,16,20-25.");
        return false;
    }
    if (!IsWholeNumber(m_sheet.Cell(row, kDaysColumn))) {
        StopAt(row, "Η στήλη Σύνολο Ημερών Απασχόλησης (Νο 18) πρέπει να έχει ακέραια τιμή <=365.");
        return false;
    }
    for (int column : kNumberColumns) {
        if (!IsNumber(m_sheet.Cell(row, column))) {
            StopAt(row, "Η στήλη Νο " + std::to_string(column + 1) +
                            " πρέπει να είναι αριθμός (η υποδιαστολή είναι το κόμμα).");
            return false;
        }
    }
    return CheckCellsFitRecord(row);
}

bool SheetImport::CellText(int row, int column, std::string& bytes, QChar& bad) const
{
    const QString cut = m_sheet.Cell(row, column).left(DetailLayout()[FieldOf(column)].width);
    return cp1253::fromUnicodeChecked(cut, bytes, &bad);
}

// What a field cannot hold would otherwise be changed on the way in: a
// character the declaration's code page lacks, a line break that would split
// the record, a number longer than its field.
bool SheetImport::CheckCellsFitRecord(int row)
{
    ScratchDetailRow record{std::string_view()};
    // One room for every cell's bytes: twenty cells a row, tens of thousands of rows.
    std::string bytes;
    for (int column = 0; column < Columns; ++column) {
        const auto number = [column] { return std::to_string(column + 1); };
        QChar bad;
        const QString& whole = m_sheet.Cell(row, column);
        if (!CellText(row, column, bytes, bad)) {
            // Named whole, even when it is a pair of UTF-16 units.
            const qsizetype at = whole.indexOf(bad);
            const QString character = whole.mid(at, bad.isHighSurrogate() ? 2 : 1);
            StopAt(row, "Η στήλη Νο " + number() + " έχει τον χαρακτήρα «" + character.toStdString() +
                            "», που δεν μπορεί να γραφτεί στο αρχείο της δήλωσης.");
            return false;
        }
        // A tab or another control character is no letter of a field: the
        // workbook readers refuse it, and a .csv cell must not slip it in. A
        // line break anywhere in the cell is named as such.
        if (const auto control =
                std::find_if(bytes.begin(), bytes.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
            control != bytes.end()) {
            if (bytes.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos)
                StopAt(row, "Η στήλη Νο " + number() + " έχει αλλαγή γραμμής μέσα στο κελί.");
            else
                StopAt(row, "Η στήλη Νο " + number() + " έχει χαρακτήρα ελέγχου (κωδικός " +
                                std::to_string(static_cast<unsigned char>(*control)) +
                                "), που δεν μπορεί να γραφτεί στο αρχείο της δήλωσης.");
            return false;
        }
        if (IsNumberColumn(column) && static_cast<size_t>(whole.size()) > bytes.size() &&
            !KeepsValue(whole, bytes)) {
            StopAt(row, "Η στήλη Νο " + number() + " δεν χωράει στους " +
                            std::to_string(DetailLayout()[FieldOf(column)].width) +
                            " χαρακτήρες του πεδίου της.");
            return false;
        }
        record.Set(FieldOf(column), bytes);
    }
    // The row's record as the cells fill it, kept so the cells are read once.
    m_records.push_back(record.Text());
    return true;
}

// ---------------------------------------------------------------------------
// The second pass: every row through the row checks.

ImportOutcome SheetImport::StoreAllRows()
{
    auto& store = m_work.DetailRows();
    store.First();
    // The rows stored before the import are compared through the workspace's
    // index; the rows of this import, not yet in the store, through their own set.
    const StoredRowIndex& stored = m_work.StoredRows();
    std::unordered_set<std::string> importedPairs;
    importedPairs.reserve(m_records.size());

    RowValidation::Settings settings;
    settings.employerAfm = m_work.EmployerAfm();
    settings.importing = true;
    settings.newRow = true;
    settings.isStoredPair = [&](const std::string& afm, const std::string& typeInc) {
        return stored.HasPair(afm, typeInc) ||
               importedPairs.count(StoredRowIndex::PairKeyOf(afm, typeInc)) != 0;
    };
    // Behind a question or a refusal the person sees the rows stored so far
    // and their totals, as after storing each row on its own.
    settings.beforeSpeaking = [this] { Commit(); };

    m_accepted.reserve(m_records.size());
    for (int row = 0; row < static_cast<int>(m_records.size()); ++row) {
        m_storing = row;
        ScratchDetailRow record{m_records[static_cast<size_t>(row)]};
        // Its room goes to the records accepted.
        std::string().swap(m_records[static_cast<size_t>(row)]);
        bool accepted = true;
        m_work.SetRowAccepted(true);
        try {
            RowValidation(m_ui, record, accepted, settings).Run();
        } catch (const EAbort&) {
            accepted = false;
        } catch (...) {
            m_work.SetRowAccepted(accepted);
            Commit();
            LeaveRowInInsert(record.Text());
            throw;
        }
        m_work.SetRowAccepted(accepted);
        if (!accepted) {
            Commit();
            LeaveRowInInsert(record.Text());
            m_ui.ShowMessage(
                "Παρουσιάστηκαν σφάλματα κατά την εισαγωγή των στοιχείων. Η εισαγωγή διακόπηκε\n" +
                StoppedAt(row));
            return ImportOutcome::Refused;
        }
        importedPairs.insert(StoredRowIndex::PairKeyOf(record.Get(AFM), record.Get(TypeInc)));
        m_accepted.push_back(record.Text());
    }
    m_storing = -1;
    m_records = {};
    Commit();
    m_work.SetModified(true);
    ShowClosingNote();
    if (m_writeFailed)
        return ImportOutcome::NotWritten;
    return m_upToDate ? ImportOutcome::Imported : ImportOutcome::Failed;
}

// The accepted rows go into the store as if each had been inserted ahead of
// the one before it, and the totals and the working files follow once. The
// rows are stored even when the totals cannot be made (an unreadable amount in
// a row of an opened file) or a working file cannot be written: that is said,
// with its reason (once), and the import ends as it would have otherwise.
void SheetImport::Commit()
{
    if (m_accepted.empty())
        return;
    m_work.DetailRows().InsertAtFront(m_accepted);
    m_accepted.clear();
    // The declaration has changed the moment rows are in, before anything is
    // asked or refused; saying so for every row kept the state over and over.
    m_work.SetModified(true);
    m_work.SetNewRecordPending(true);
    try {
        m_work.RecomputeTotals();
    } catch (const EFileError& e) {
        if (m_upToDate)
            m_ui.ShowError(e.what());
        m_upToDate = false;
        m_writeFailed = true;
    } catch (const std::exception& e) {
        if (m_upToDate)
            m_ui.ShowError(e.what());
        m_upToDate = false;
    }
}

// The refused row stays in the grid as a row being inserted, ahead of the rows
// stored, with the values from the sheet, for the person to correct or drop.
void SheetImport::LeaveRowInInsert(const std::string& record)
{
    auto& store = m_work.DetailRows();
    store.First();
    store.Insert();
    const ScratchDetailRow source(record);
    StoreDetailRow target(store);
    for (int field = 0; field < DetailFieldCount; ++field)
        target.Set(static_cast<DetailField>(field), source.Get(static_cast<DetailField>(field)));
}

void SheetImport::ShowClosingNote()
{
    if (m_wrongAfms > 0)
        m_ui.ShowMessage("Η εισαγωγή στοιχείων από Excel ολοκληρώθηκε. Υπάρχουν " +
                         std::to_string(m_wrongAfms) + " λανθασμένοι ΑΦΜ στα στοιχεία που εισήχθησαν." +
                         m_wrongAfmList +
                         (m_wrongAfms > kListedWrongAfms
                              ? "\nκαι " + std::to_string(m_wrongAfms - kListedWrongAfms) + " ακόμη."
                              : std::string()));
}
