#pragma once

#include "declaration/DeclarationFile.h"

#include <array>
#include <string>
#include <vector>

// The detailed payments list as data, built once from the declaration: the
// HTML file and the printed pages are two renderings of it, so that what the
// page shows is what the file holds. Texts are cp1253 as the declaration holds
// them, never escaped; a line break inside a column title is '\n'.
class DetailedList
{
public:
    struct Cell
    {
        std::string text;
        int span = 1;
        bool blank = false; // a cell that only keeps its frame (no value at all)
    };
    using Row = std::vector<Cell>;
    static constexpr size_t Columns = 18;

    DetailedList(declaration::EmployerHeader header, std::array<std::string, 9> edits,
                 std::vector<TFixedFormatDataSet::TLine> lines);

    // The title of every report, and the issuer line at the top of every page.
    static const std::string& DocumentTitle();
    static const std::string& Issuer();
    // The 18 column titles, in column order.
    static const std::array<std::string, Columns>& Titles();
    // The nine totals in the order of the amount columns: gross, stamp duty,
    // its levy, deductions, net, tax withheld, tax due, then the two levies on tax.
    static std::array<std::string, 9> TotalsInColumnOrder(const std::array<std::string, 9>& edits);

    const declaration::EmployerHeader& Header() const { return m_header; }
    const std::array<std::string, 9>& Edits() const { return m_edits; }

    size_t DetailCount() const { return m_lines.size(); }
    // Detail row `index` (from 0): its running number, then the 17 values.
    std::array<std::string, Columns> Detail(size_t index) const;
    // The rows under the details: an empty spacer across the table, then the totals.
    Row Spacer() const;
    Row Totals() const;

private:
    declaration::EmployerHeader m_header;
    std::array<std::string, 9> m_edits;
    std::vector<TFixedFormatDataSet::TLine> m_lines;
};
