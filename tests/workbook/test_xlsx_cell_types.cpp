#include "workbook/Workbook.h"

#include <gtest/gtest.h>

#include <iostream>

using namespace workbook;

// The .xlsx reader of the main line refuses a text formula whose result is a shared string and reads
// "str" and inline strings as empty. While this is false the test expects that fault and reports it;
// once the reader takes every kind of cell, set it to true and the test holds the reader to it.
constexpr bool kEveryCellTypeRead = false;

// One row of a package made by hand (tests/data/workbook/writers/handmade.py) with every kind of cell
// a worksheet can hold, each as the import must take it.
TEST(XlsxCellTypes, EveryKindOfCellReadsAsTheSheetShowsIt)
{
    struct Expected
    {
        const char* cell;
        const char* text;
    };
    static const Expected expected[] = {
        {"b 1", "True"},
        {"b 0", "False"},
        {"n", "1234,5"},
        {"no type", "10"},
        {"no type, exponent", "0,001"},
        {"s", "ΑΘΗΝΑ"},
        {"s, rich text runs", "ΠΑΠΑΔΟΠΟΥΛΟΣ"},
        {"s, phonetic run left out", "ΚΩΣΤΑΣ"},
        {"s, xml:space preserve", "  ΔΥΟ ΚΕΝΑ  "},
        {"inlineStr, number-like", "01234"},
        {"inlineStr, rich text runs", "ΟΔΟΣ ΕΡΜΟΥ"},
        {"inlineStr, phonetic run left out", "ΝΙΚΟΣ"},
        {"str without formula", "ΧΩΡΙΣ ΤΥΠΟ"},
        {"str with formula", "ΑΒΓ"},
        {"s with formula", "ΕΠΩΝΥΜΟ"},
        {"formula, no type", "6"},
        {"formula, n", "0,25"},
        {"str, xml:space preserve", " ΚΕΝΟ ΜΠΡΟΣΤΑ"},
        {"inlineStr, xml:space preserve", "ΤΕΛΟΣ "},
    };
    std::vector<std::string> faults;
    try {
        const Sheet sheet =
            ReadFirstSheet(QStringLiteral(ROZARO_TEST_DATA "/workbook/writers/handmade/cell-types.xlsx"));
        if (sheet.Rows() != 1 || sheet.Columns() != static_cast<int>(std::size(expected)))
            faults.push_back("read as " + std::to_string(sheet.Rows()) + " x " +
                             std::to_string(sheet.Columns()));
        for (int c = 0; c < std::min<int>(sheet.Columns(), std::size(expected)) && sheet.Rows() > 0; ++c)
            if (sheet.Cell(0, c).toStdString() != expected[c].text)
                faults.push_back(std::string(expected[c].cell) + ": \"" + sheet.Cell(0, c).toStdString() +
                                 "\", wanted \"" + expected[c].text + "\"");
    } catch (const WorkbookError& e) {
        faults.push_back(std::string("refused: ") + e.what());
    }
    std::string said;
    for (const std::string& fault : faults)
        said += "\n  " + fault;
    if (kEveryCellTypeRead) {
        EXPECT_TRUE(faults.empty()) << said;
    } else {
        EXPECT_FALSE(faults.empty()) << "every kind of cell reads correctly now: set kEveryCellTypeRead";
        std::cout << "known fault of the .xlsx reader:" << said << "\n";
    }
}
