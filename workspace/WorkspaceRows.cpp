#include "workspace/Workspace.h"

#include "text/AmountText.h"
#include "declaration/RowValidation.h"
#include "declaration/SaveChecks.h"
#include "workspace/ScopeExit.h"
#include "declaration/ScratchDetailRow.h"
#include "declaration/StoreDetailRow.h"

#include <stdexcept>

namespace {

const char* const kYearMessage = "Γράψτε το έτος που αφορούν τα στοιχεία, με τέσσερα ψηφία";

} // namespace

// ---------------------------------------------------------------------------
// Storing rows

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

// The stored rows are what the duplicate check compares with.
bool Workspace::IsStoredPair(const std::string& afm, const std::string& typeInc)
{
    return StoredRows().HasPair(afm, typeInc);
}

// Rows change in place only by a store, which brings the index up to date
// as it ends; whatever else replaces rows changes their ids or distrusts the
// index.
const StoredRowIndex& Workspace::StoredRows()
{
    m_index.Follow(FixedFormatDataSet1.Lines(), std::nullopt);
    return m_index;
}

// ---------------------------------------------------------------------------
// Totals

void Workspace::RecomputeTotals()
{
    ScopeExit show([this] { m_ui.Refresh(); });
    const std::string count = std::to_string(FixedFormatDataSet1.RecordCount()) + " Εγγραφές";
    // Until the sums are made the boxes hold nothing: never the totals of
    // rows that are gone.
    m_totals = Totals(Totals::Boxes{}, count);
    m_sumFailed = true;
    if (m_oneRowChanged)
        m_index.Follow(FixedFormatDataSet1.Lines(), m_editedAt);
    else
        m_index.Sync(FixedFormatDataSet1.Lines());
    const std::array<long double, Totals::BoxCount> sums = m_index.Totals();
    Totals::Boxes edits;
    for (size_t box = 0; box < sums.size(); ++box)
        edits[box] = amount::FormatAmount(sums[box]);
    m_totals = Totals(edits, count + "-" + std::to_string(m_index.DistinctAfmCount()) + " μοναδικοί ΑΦΜ");
    m_sumFailed = false;
}

void Workspace::ReplaceTotals(const Totals& totals)
{
    m_totals = totals;
    m_sumFailed = false;
    m_ui.Refresh();
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
// Header checks

bool Workspace::HeaderAfmPasses() const
{
    return savechecks::AfmPasses(Header.AFM);
}

bool Workspace::YearIsValid(const std::string& year) const
{
    return savechecks::YearIsValid(year, Today().year());
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
