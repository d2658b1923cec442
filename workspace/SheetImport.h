#pragma once

#include "workbook/Workbook.h"
#include "workspace/ImportTarget.h"

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

// Adds the rows of a workbook's first sheet to the detail rows. A first pass
// checks every cell the row checks cannot read and stops at the first bad one
// with nothing imported; the second stores the rows one by one through the row
// checks, each ahead of the one stored before it, and stops at a refused row,
// keeping the rows stored before it. The totals and the working files are
// brought up to date once, where the import ends.
class SheetImport
{
public:
    // The columns of a sheet row, in the order of the detail fields they fill.
    static constexpr int Columns = 20;
    // The open dialog's choices: the classic workbook first.
    static constexpr const char* FileFilter = "*.xls;;*.xlsx;;*.ods;;*.csv";
    static constexpr const char* FailureMessage =
        "Υπήρξε πρόβλημα κατά το άνοιγμα του αρχείου. Βεβαιωθείτε ότι έχετε εγκατεστημένο Excel στον "
        "υπολογιστή σας και/ή το αρχείο που προσπαθείτε να ανοίξετε είναι αρχείο Excel.";

    // "Γραμμή 12, στήλη J (Ακαθάριστες αποδοχές)" for row 11, column 9 of
    // the sheet (both from 0): the place of a cell as the person finds it.
    static std::string CellPlace(int64_t row, int64_t column);
    // What the person is told of a workbook refused as it was read: the
    // reason first, naming the sheet row and column of a refused cell, then
    // the general message on a line of its own.
    static std::string RefusalMessage(const std::exception& error);

    SheetImport(ImportTarget& work, const workbook::Sheet& sheet);
    // Takes the sheet over and lets it go once every row is read, before the
    // rows go into the store: a large sheet and its rows never stand in
    // memory together with the store's work on them.
    SheetImport(ImportTarget& work, workbook::Sheet&& sheet);
    ImportOutcome Run();

private:
    bool CheckAllRows();
    bool CheckRow(int row);
    bool CheckCellsFitRecord(int row);
    // A cell as it goes into its field: cut to the field's width, in cp1253.
    // False, with the first character the code page lacks, when it cannot be.
    bool CellText(int row, int column, std::string& bytes, QChar& bad) const;
    ImportOutcome StoreAllRows();
    void Commit();
    void LeaveRowInInsert(const std::string& record);
    void StopAt(int row, const std::string& what);
    // The sheet row the import stopped at and the rows stored before it.
    static std::string StoppedAt(int row);
    void ShowClosingNote();

    ImportTarget& m_work;
    UserInterface& m_ui;
    workbook::Sheet m_owned;
    const bool m_owns;
    const workbook::Sheet& m_sheet;
    int m_wrongAfms = 0;
    // The first wrong tax numbers, each after its sheet row, for the closing note.
    std::string m_wrongAfmList;
    // The sheet row being stored, for a failure that ends the import there.
    int m_storing = -1;
    // False once the totals or the working files could not follow the rows.
    bool m_upToDate = true;
    bool m_writeFailed = false;
    // Every row's record as its cells fill it, from the first pass.
    std::vector<std::string> m_records;
    // Records accepted by the row checks and not yet in the store, in sheet order.
    std::vector<std::string> m_accepted;
};
