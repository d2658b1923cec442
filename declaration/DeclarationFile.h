#pragma once

#include "dataset/FixedFormatDataSet.h"

#include <QDate>
#include <QIODevice>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The declaration file: fixed-width records of 170 cp1253 characters ending
// in CR LF. Record 0 is the file header, 1 the employer, 2 the totals, then one
// record 3 per detail row. Working files hold detail rows in "working form"
// (amounts as decimal-comma text); the declaration file holds them in "file
// form" (whole cents filled with zeros).
namespace declaration {

inline constexpr int RecordWidth = 170;

// The 23 fields of a detail row, in record order.
enum DetailField {
    RecordType,
    AFM,
    FILLER,
    SurName,
    Name,
    FatherName,
    City,
    Street,
    StreetNo,
    TK,
    TypeInc,
    AkaInc,
    Xartosimo,
    OGAXart,
    Kratiseis,
    Kathares,
    ForosParakr,
    ForosAnal,
    Ypokatastima,
    Hmeres,
    OGAForouParakr,
    OGAForouAnal,
    FILLER2,
    DetailFieldCount
};

struct FieldLayout
{
    const char* name;
    int offset; // 0-based
    int width;
};
const std::array<FieldLayout, DetailFieldCount>& DetailLayout();
// The schema lines of the detail stores: "RecordType=1", "AFM=9", ...
std::vector<std::string> DetailSchema();
// The schema of the income-type list: "typeinc=2", "Desc=52".
std::vector<std::string> IncomeTypeSchema();

// The nine amount fields in the order their totals stand in record 2
// (the totals boxes Edit1..Edit9), with their record-2 widths.
struct TotalSlot
{
    DetailField field;
    int record2Width;
};
const std::array<TotalSlot, 9>& TotalsLayout();

// The employer header as the declaration knows it (cp1253 texts).
struct EmployerHeader
{
    std::string YearOfData, AFM, CompanyName, Name, FatherName;
    std::string AntikeimenoErgasion, Town, Street, Number, TK;
    bool NaturalPerson = false;
};

// A field of a held detail line as the detail store reads it (trailing spaces
// removed; empty when the line ends before the field).
std::string_view DetailFieldText(std::string_view line, DetailField field);

std::string Record0(const QDate& today, const EmployerHeader& header);
std::string Record1(const EmployerHeader& header);
// `totals` are the texts of Edit1..Edit9; `hasRows` false gives the all-zero record.
std::string Record2(const std::array<std::string, 9>& totals, bool hasRows);
// A detail line in working form to its record 3.
std::string Record3(std::string_view workingLine);
// A record 3 line of a read file to working form (amounts and days converted,
// everything else unchanged; a field that is not a whole number stays as it
// is). False when a converted amount is wider than its field (full-width cents
// such as 9999999999 in the 10-wide gross pay give 99999999,99): putting it in
// would shift every later field, so the line cannot be held as a working row.
bool Record3ToWorking(std::string_view fileLine, std::string& out);
// The first amount field of a record 3 line whose value the working row cannot
// hold: full-width cents with a last digit other than 0 (ten nines in the
// 10-wide gross pay read 99999999,99, one character wider than the field), or
// a sign before all the digits the field has room for.
std::optional<DetailField> FirstUnholdableAmount(std::string_view fileLine);

// The first amount field of a working detail line that cannot be written into
// its declaration-file field: its cents are wider than the field (or the text
// is not an amount at all). Writing such a row would make its record longer
// than 170 characters.
std::optional<DetailField> FirstOversizedAmount(std::string_view workingLine);
// The same for the nine totals texts (Edit1..Edit9) against their record-2
// widths; the index is into TotalsLayout().
std::optional<int> FirstOversizedTotal(const std::array<std::string, 9>& totals);

// Writes the whole declaration. Throws EFileError with the device's reason
// when a write fails, and std::length_error at a detail record that is not
// exactly RecordWidth characters long (the device must then be discarded).
void WriteDeclaration(QIODevice& out, const QDate& today, const EmployerHeader& header,
                      const std::array<std::string, 9>& totals,
                      const std::vector<TFixedFormatDataSet::TLine>& rows);

// The outcome of reading a file back.
enum class ReadStatus {
    Ok,
    NotADeclaration, // "Μη έγκυρο αρχείο"
    BadRecordKind, // "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου"
    BadLineLength, // "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της γραμμής είναι
                   // λανθασμένο"
    ReadFailed, // "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου": the device
                // failed or the file holds a zero byte
    AmountTooLarge // the same message, then the row and the field (failedRow,
                   // failedAfm, failedField) whose amount the program cannot hold
};
// The message for a refusal (UTF-8), and whether a beep goes before it.
const char* ReadStatusMessage(ReadStatus status);
bool ReadStatusBeeps(ReadStatus status);

struct ReadResult
{
    ReadStatus status = ReadStatus::Ok;
    std::vector<std::string> employerLines; // every record 1, unchanged
    std::vector<std::string> detailLines;   // every record 3, in working form, in file order
    int failedLine = 0;               // 1-based line of a refusal; 0 when accepted or refused before any line
    int failedRow = 0;                // AmountTooLarge: the 1-based detail row, as the grid would number it
    std::string failedAfm;            // ... its tax number (cp1253)
    DetailField failedField = AkaInc; // ... its field
    std::string failedAmount;         // ... and the amount read there, in working form
};
// Reads and checks a whole declaration from `in` without touching anything else,
// line by line in a fixed buffer: a file whose first bytes are no declaration
// header is refused before the rest is read. A refused file gives no lines at all.
ReadResult ReadDeclaration(QIODevice& in);

// The header held in an employer record (empty text: every field empty).
EmployerHeader LoadEmployerLine(std::string_view line);

} // namespace declaration
