#include "declaration/SaveChecks.h"

#include "text/AmountText.h"
#include "text/ConvertError.h"
#include "text/Cp1253.h"
#include "declaration/AmountLimit.h"
#include "declaration/Helpers.h"

#include <algorithm>
#include <numeric>

namespace savechecks {

namespace {

// A failure of the rows: said with a beep, no header field to go to.
SaveCheckFailure RowsFailure(std::string message)
{
    return SaveCheckFailure{std::move(message), true, std::nullopt};
}

std::string ToUtf8(std::string_view cp1253Text)
{
    return cp1253::toUnicode(std::string(cp1253Text)).toStdString();
}

// The first repeated pair in the order of a pass over every i < j: the
// smallest i that repeats later.
std::optional<size_t> FirstRepeatedPair(const std::vector<TFixedFormatDataSet::TLine>& lines)
{
    std::vector<std::string> keys(lines.size());
    for (size_t j = 0; j < lines.size(); ++j) {
        const std::string_view kind = declaration::DetailFieldText(lines[j].Text, declaration::TypeInc);
        // The kind's length first, so that no kind and tax number run into each other.
        std::string& key = keys[j];
        key.assign(1, static_cast<char>(kind.size()));
        key += kind;
        key += declaration::DetailFieldText(lines[j].Text, declaration::AFM);
    }
    const std::vector<size_t> first = FirstOfEqualKeys(keys);
    size_t repeated = lines.size();
    for (size_t j = 0; j < first.size(); ++j)
        if (first[j] != j)
            repeated = std::min(repeated, first[j]);
    if (repeated == lines.size())
        return std::nullopt;
    return repeated;
}

} // namespace

std::vector<size_t> FirstOfEqualKeys(const std::vector<std::string>& keys)
{
    std::vector<size_t> byKey(keys.size());
    std::iota(byKey.begin(), byKey.end(), size_t{0});
    std::sort(byKey.begin(), byKey.end(), [&keys](size_t a, size_t b) {
        const int order = keys[a].compare(keys[b]);
        return order != 0 ? order < 0 : a < b;
    });
    std::vector<size_t> first(keys.size());
    for (size_t k = 0; k < byKey.size(); ++k)
        first[byKey[k]] = k > 0 && keys[byKey[k]] == keys[byKey[k - 1]] ? first[byKey[k - 1]] : byKey[k];
    return first;
}

bool YearIsValid(const std::string& year, int currentYear)
{
    int64_t number = 0;
    return !year.empty() && amount::TryStrToInt64(year, number) && number >= 1900 && number <= currentYear;
}

bool AfmPasses(const std::string& afm)
{
    // Nine characters that are not digits are as wrong as a bad check digit.
    try {
        return CheckAFM(afm);
    } catch (const EConvertError&) {
        return false;
    }
}

std::optional<SaveCheckFailure> FirstHeaderFailure(const declaration::EmployerHeader& header, int currentYear)
{
    if (!YearIsValid(header.YearOfData, currentYear))
        return SaveCheckFailure{"Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία", true,
                                HeaderField::YearOfData};
    if (header.CompanyName.empty())
        return SaveCheckFailure{header.NaturalPerson ? "Γράψτε το Ονοματεπώνυμο του υπόχρεου"
                                                     : "Γράψτε την Επωνυμία της επιχείρησης",
                                true, HeaderField::CompanyName};
    if (!AfmPasses(header.AFM))
        return SaveCheckFailure{"Έχετε δώσει λανθασμένο ΑΦΜ Υπόχρεου", false, HeaderField::AFM};
    return std::nullopt;
}

std::vector<size_t> RowsWithEmployerAfm(const declaration::EmployerHeader& header,
                                        const std::vector<TFixedFormatDataSet::TLine>& lines)
{
    std::vector<size_t> rows;
    for (size_t i = 0; i < lines.size(); ++i)
        if (declaration::DetailFieldText(lines[i].Text, declaration::AFM) == header.AFM)
            rows.push_back(i);
    return rows;
}

std::string EmployerAfmQuestion(const std::vector<TFixedFormatDataSet::TLine>& lines, size_t row)
{
    return "Ο ΑΦΜ: " + ToUtf8(declaration::DetailFieldText(lines[row].Text, declaration::AFM)) +
           " που έχει εισαχθεί στη γραμμή " + std::to_string(row + 1) +
           " των αναλυτικών αμοιβών είναι ίδιος με τον ΑΦΜ υπόχρεου. Είστε σίγουρος ότι αυτό είναι σωστό;";
}

std::optional<SaveCheckFailure> FirstRowsFailure(const std::vector<TFixedFormatDataSet::TLine>& lines,
                                                 const Totals& totals)
{
    if (const std::optional<size_t> repeated = FirstRepeatedPair(lines))
        return RowsFailure(
            "Ο ΑΦΜ: " + ToUtf8(declaration::DetailFieldText(lines[*repeated].Text, declaration::AFM)) +
            " έχει εισαχθεί 2 φορές στις αναλυτικές αμοιβές με τον ίδιο κωδικό Είδους Αποδοχών");

    // A file read back keeps an amount that is no whole number of cents
    // ("1E9") as it stands; written, it would make its record longer than
    // the others.
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::optional<declaration::DetailField> field =
            declaration::FirstOversizedAmount(lines[i].Text);
        if (field)
            return RowsFailure(amountlimit::StoredRowMessage(
                *field, declaration::DetailLayout()[*field].width, i + 1,
                std::string(declaration::DetailFieldText(lines[i].Text, *field))));
    }

    // Without rows the totals record is all zeros, whatever the boxes hold.
    if (lines.empty())
        return std::nullopt;
    const auto& slots = declaration::TotalsLayout();
    const Totals::Boxes edits = totals.Edits();
    for (size_t box = 0; box < slots.size(); ++box)
        if (!amount::FitsFileForm(edits[box], slots[box].record2Width))
            return RowsFailure(amountlimit::TotalMessage(slots[box].field, slots[box].record2Width));
    return std::nullopt;
}

} // namespace savechecks
