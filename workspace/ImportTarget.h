#pragma once

#include "dataset/FixedFormatDataSet.h"
#include "declaration/StoredRowIndex.h"
#include "declaration/UserInterface.h"

#include <string>

// How an import of detail rows from a workbook ended.
enum class ImportOutcome {
    NotStarted, // the pending row was refused or no file was chosen
    Imported,   // every row of the sheet is stored
    Stopped,    // a cell failed the checks before the import: nothing is stored
    Refused,    // the row checks refused a row: the rows before it stay stored
    Unreadable, // the file could not be read as a workbook
    Failed,     // another error ended it; the rows stored before it stay
    NotWritten, // the rows are stored but a working file could not be written
};

// What an import of sheet rows needs of the declaration it adds them to; the
// workspace gives it this much and no more.
class ImportTarget
{
public:
    virtual UserInterface& Ui() = 0;
    // The detail store the rows go into.
    virtual TFixedFormatDataSet& DetailRows() = 0;
    // The employer's tax number, which a row's tax number must differ from.
    virtual const std::string& EmployerAfm() const = 0;
    // The stored rows' index, brought level with the store.
    virtual const StoredRowIndex& StoredRows() = 0;
    // The row checks' verdict on the last row.
    virtual void SetRowAccepted(bool accepted) = 0;
    virtual void SetModified(bool modified) = 0;
    // Rows went in ahead of the others as if inserted: the next edit of the
    // current row is that of a new row.
    virtual void SetNewRecordPending(bool pending) = 0;
    // Sums the rows into the totals and writes the working files; throws
    // when either cannot be done.
    virtual void RecomputeTotals() = 0;

protected:
    ~ImportTarget() = default;
};
