#pragma once

#include "declaration/DeclarationFile.h"
#include "reports/DetailedList.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The HTML of the printed reports, as cp1253 bytes with CR LF line ends, built
// from the header, the totals texts (Edit1..Edit9, index 0 is Edit1) and, for
// the detailed list, its model. Every value taken from the declaration is escaped, so
// that a name holding '<', '&' or '"' neither breaks the page nor adds markup
// to it; values without those characters are written unchanged.
namespace report {

// '&', '<', '>' and '"' as character references; every other byte unchanged.
std::string Escape(std::string_view value);

// One line of a template resource block (":/reports/<name>"), UTF-8 in the
// resource, as cp1253 lines each ending in CR LF.
std::string TemplateBlock(const char* name);

// The detailed payments list: header, one table row per detail line (working
// form, in file order), the totals row.
std::string DetailedReport(const DetailedList& list);
// The list's head alone (issuer line, heading, year and employer tables) as a
// page of its own, for the printed list's first page.
std::string ListHead(const DetailedList& list);

// The one-row summary of the nine totals.
std::string TotalsReport(const declaration::EmployerHeader& header, const std::array<std::string, 9>& edits);

// The first page of the paper form with the employer and the three grand totals filled in.
std::string FirstPage(const declaration::EmployerHeader& header, const std::array<std::string, 9>& edits);

} // namespace report
