#pragma once

#include "dataset/FixedFormatDataSet.h"
#include "declaration/DeclarationFile.h"
#include "declaration/HeaderField.h"
#include "declaration/Totals.h"

#include <optional>
#include <string>
#include <vector>

// Why a declaration cannot be saved: the message (UTF-8), whether it comes
// with a beep, and the header field to go to, if any.
struct SaveCheckFailure
{
    std::string message;
    bool beep = true;
    std::optional<HeaderField> focus;
};

// The checks a declaration passes before it is written, as functions of the
// header, the stored rows and the totals boxes: each gives the first failure,
// or nothing. They change nothing and ask nothing; the workspace shows them.
namespace savechecks {

// Four digits from 1900 to `currentYear`.
bool YearIsValid(const std::string& year, int currentYear);
// A tax number of nine digits whose check digit holds.
bool AfmPasses(const std::string& afm);

// For each of `keys`, the position of the first key equal to it (its own
// when none comes before). Sorted rather than hashed: short keys allocate
// nothing, so a pass over every row of a large declaration stays cheap.
std::vector<size_t> FirstOfEqualKeys(const std::vector<std::string>& keys);

// The year, the name and the tax number of the header, in that order.
std::optional<SaveCheckFailure> FirstHeaderFailure(const declaration::EmployerHeader& header,
                                                   int currentYear);

// The rows (0-based, in order) whose tax number is the employer's own: each
// is asked about before the declaration is written.
std::vector<size_t> RowsWithEmployerAfm(const declaration::EmployerHeader& header,
                                        const std::vector<TFixedFormatDataSet::TLine>& lines);
std::string EmployerAfmQuestion(const std::vector<TFixedFormatDataSet::TLine>& lines, size_t row);

// A tax number stored twice with one income kind, then an amount of a row
// that its file field cannot carry, then a total that does not fit the
// totals record.
std::optional<SaveCheckFailure> FirstRowsFailure(const std::vector<TFixedFormatDataSet::TLine>& lines,
                                                 const Totals& totals);

} // namespace savechecks
