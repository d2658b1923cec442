#include "reports/ReportHtml.h"

#include "text/AmountText.h"
#include "text/Cp1253.h"
#include "declaration/Totals.h"

#include <QFile>
#include <QString>
#include <span>
#include <stdexcept>

namespace report {

namespace {

using declaration::DetailField;
using declaration::EmployerHeader;

// The texts of the report are UTF-8 here and cp1253 in the file.
std::string Cp(const char* utf8)
{
    return cp1253::fromUnicode(QString::fromUtf8(utf8));
}

// The report grows line by line; every line ends in CR LF.
class Page
{
public:
    void Line(std::string_view text) { m_text.append(text).append("\r\n"); }
    void Line(const char* utf8) { Line(std::string_view(Cp(utf8))); }
    void Block(const std::string& lines) { m_text += lines; }
    std::string Take() { return std::move(m_text); }

private:
    std::string m_text;
};

// A cell of the class the reports use for every text.
std::string Cell(std::string_view content)
{
    return "<td class=\"style2\">" + std::string(content) + "</td>";
}

void YearTable(Page& page, const EmployerHeader& header)
{
    page.Line("<table cellpadding=\"0\" cellspacing=\"0\" width=\"200\"  border=\"0\">");
    page.Line("<tr>");
    page.Line("<td class=\"style2\">Έτος:</td>");
    page.Line(Cell(Escape(header.YearOfData)));
    page.Line("</tr></table>");
}

void EmployerTable(Page& page, const EmployerHeader& h)
{
    page.Line("<table width=\"100%\"  border=\"0\" cellspacing=\"0\" cellpadding=\"0\">");
    page.Line("<tr><td class=\"style2\" colspan=\"6\"><br><center><b>ΣΤΟΙΧΕΙΑ ΦΟΡΕΑ</b></center></td></tr>");
    page.Line("<tr><td class=\"style2\">Ονομασία Φορέα:</td>");
    page.Line("<td class=\"style2\" colspan=\"3\">" + Escape(h.CompanyName) + "</td>");
    page.Line("<td class=\"style2\">ΑΦΜ Φορέα:</td>");
    page.Line(Cell(Escape(h.AFM)));
    page.Line("</tr>");
    page.Line("<tr><td class=\"style2\">Όνομα Υπηρεσίας:</td>");
    page.Line(Cell(Escape(h.AntikeimenoErgasion)));
    page.Line("<td class=\"style2\">Διεύθυνση:</td>");
    // The separators stand even when the parts are empty.
    page.Line(Cell(Escape(h.Town + ", " + h.Street + " " + h.Number + ", " + h.TK)));
    page.Line("<td class=\"style2\">Τηλ:</td>");
    page.Line("<td class=\"style2\">&nbsp;</td>");
    page.Line("</tr><tr><td class=\"style2\">&nbsp;</td><td class=\"style2\">&nbsp;</td><td "
              "class=\"style2\">&nbsp;</td><td class=\"style2\">(πόλη, οδός, αριθμός, Τ.Κ.)</td><td "
              "class=\"style2\">&nbsp;</td><td class=\"style2\">&nbsp;</td></tr>");
    page.Line("<tr><td class=\"style2\" colspan=\"6\">&nbsp;</td></tr></table>");
}

// The document's head and the outer table whose header group, the issuer
// line, repeats at the top of every printed page; it leaves the outer table's
// one cell open for the report.
void Template(Page& page)
{
    const std::string& title = DetailedList::DocumentTitle();
    for (const char* line :
         {"", "<html>", "<head>",
          "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1253\">"})
        page.Line(line);
    page.Line("<title>" + title + "</title>");
    for (const char* line :
         {"<style type=\"text/css\">", "<!--", ".style2 {font-size: 12}", "", "-->", "</style>", "</head>",
          "", "<body>", "<table cellpadding=\"0\" cellspacing=\"0\" width=\"100%\" border=\"0\" >"})
        page.Line(line);
    page.Line("<thead style=\"display:table-header-group\"><tr><th><font size=\"1\">" +
              DetailedList::Issuer() + "</font></th></tr></thead>");
    page.Line("");
    page.Line("<tr><td class=\"style2\" ><center><b>" + title + "</b></center><br></td></tr>");
    page.Line("");
    page.Line("<tr><td>");
}

// Template, year table and employer table: the head both reports share.
Page ReportHead(const EmployerHeader& header)
{
    Page page;
    Template(page);
    YearTable(page, header);
    EmployerTable(page, header);
    return page;
}

// A column title; its line break is the file's <BR>.
std::string Title(size_t column)
{
    std::string text;
    for (char c : DetailedList::Titles().at(column))
        text += c == '\n' ? std::string("<BR>") : std::string(1, c);
    return "<th class=\"style2\"><center>" + text + "</center></th>";
}

const char* const kOpenAmountTable =
    "<table width=\"100%\"  border=\"1\" cellspacing=\"0\" cellpadding=\"0\">";
const char* const kOpenTitles = "<thead style=\"display:table-header-group\"><tr>";
const char* const kCloseTitles = "</tr></thead>";
const char* const kCloseReport = "</tr></table></td></tr></table></body></html>";

// The titles of the amounts both reports show, from stamp duty to tax due,
// each on a line of its own.
void AmountTitles(Page& page)
{
    for (size_t column = 8; column <= 13; ++column)
        page.Line(Title(column));
}

// The two levies on tax, the last titles of both reports.
void LevyTitles(Page& page)
{
    page.Line(Title(16));
    page.Line(Title(17) + kCloseTitles);
}

// A cell of the list: a blank one keeps its frame with a non-breaking space.
std::string ListCell(const DetailedList::Cell& cell)
{
    const std::string content = cell.blank ? "&nbsp;" : Escape(cell.text);
    if (cell.span == 1)
        return Cell(content);
    return "<td class=\"style2\" colspan=\"" + std::to_string(cell.span) + "\">" + content + "</td>";
}

void DetailRowLines(Page& page, const std::array<std::string, DetailedList::Columns>& cells)
{
    page.Line("<tr>");
    page.Line(Cell(cells[0]));
    // The trailing blank draws the frame of an empty value too.
    for (size_t c = 1; c < cells.size(); ++c)
        page.Line(Cell(Escape(cells[c]) + "&nbsp;"));
    page.Line("</tr>");
}

} // namespace

std::string Escape(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string TemplateBlock(const char* name)
{
    QFile in(QStringLiteral(":/reports/") + QString::fromLatin1(name));
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot open report template " + std::string(name));
    const QString text = QString::fromUtf8(in.readAll());
    std::string lines;
    QStringList split = text.split(QLatin1Char('\n'));
    // The resource ends its last line like every other.
    if (!split.isEmpty() && split.back().isEmpty())
        split.pop_back();
    for (const QString& line : split)
        lines.append(cp1253::fromUnicode(line)).append("\r\n");
    return lines;
}

std::string DetailedReport(const DetailedList& list)
{
    Page page = ReportHead(list.Header());
    page.Line(kOpenAmountTable);
    page.Line(kOpenTitles);
    page.Line(Title(0) + Title(1) + Title(2));
    page.Line(Title(3) + Title(4));
    page.Line(Title(5));
    page.Line(Title(6) + Title(7));
    AmountTitles(page);
    page.Line(Title(14));
    page.Line(Title(15));
    LevyTitles(page);

    for (size_t index = 0; index < list.DetailCount(); ++index)
        DetailRowLines(page, list.Detail(index));

    const DetailedList::Row spacer = list.Spacer();
    page.Line("<tr>" + ListCell(spacer.front()) + "</tr>");
    const DetailedList::Row totals = list.Totals();
    page.Line("<tr>" + ListCell(totals.front()));
    for (size_t c = 1; c < totals.size(); ++c)
        page.Line(ListCell(totals[c]));
    page.Line(kCloseReport);
    return page.Take();
}

std::string TotalsReport(const EmployerHeader& header, const std::array<std::string, 9>& edits)
{
    Page page = ReportHead(header);
    page.Line("<center><b>ΕΚΤΥΠΩΣΗ ΣΥΝΟΛΩΝ</b></center>");
    page.Line(kOpenAmountTable);
    page.Line(kOpenTitles);
    page.Line("<th class=\"style2\" colspan=\"7\"><center>&nbsp;</center></th>");
    page.Line(Title(7));
    AmountTitles(page);
    LevyTitles(page);
    page.Line("<tr><td class=\"style2\" colspan=\"16\">&nbsp;</td></tr>");
    page.Line("<tr>");
    page.Line("<td class=\"style2\" colspan=\"7\">ΣΥΝΟΛΟ</td>");
    for (const std::string& total : DetailedList::TotalsInColumnOrder(edits))
        page.Line(Cell(Escape(total)));
    page.Line(kCloseReport);
    return page.Take();
}

std::string ListHead(const DetailedList& list)
{
    Page page = ReportHead(list.Header());
    page.Line("</td></tr></table></body></html>");
    return page.Take();
}

std::string FirstPage(const EmployerHeader& h, const std::array<std::string, 9>& edits)
{
    const std::string& gross = edits[0];
    const std::string& net = edits[2];
    // The period names the declaration's own year. A four-digit year written
    // whole reads the same as "200" and its last digit did for 2000-2009, and
    // stays right for every later year.
    const std::string year = Escape(h.YearOfData);
    const std::string period = Cp("Αποδοχές απο 1/1/") + year + Cp(" έως 31/12/") + year;

    Page page;
    page.Block(TemplateBlock("Memo3.htm"));
    page.Line(Escape(h.YearOfData) + "&nbsp;");
    page.Block(TemplateBlock("FirstPageYear.htm"));
    page.Line("<td colspan=6 class=x14 x:str=\"" + period + "\">" + period + "</td>");
    page.Block(TemplateBlock("Memo4.htm"));
    page.Block(TemplateBlock("FirstPageName.htm"));
    page.Line(Escape(h.NaturalPerson ? h.CompanyName + " " + h.Name : h.CompanyName) + "&nbsp;");
    page.Block(TemplateBlock("FirstPageFather.htm"));
    // The father's name box is hidden for a legal entity: what it holds is not printed.
    page.Line((h.NaturalPerson ? Escape(h.FatherName) : std::string()) + "&nbsp;");
    page.Block(TemplateBlock("FirstPageAddress.htm"));
    // The form's own address line: commas without blanks.
    page.Line(Escape(h.Town + "," + h.Street + " " + h.Number + "," + h.TK) + "&nbsp;");
    page.Block(TemplateBlock("FirstPageAfm.htm"));
    page.Line(Escape(h.AFM) + "&nbsp;</td>");
    page.Block(TemplateBlock("Memo5.htm"));
    page.Line(Escape(gross) + "&nbsp;</td>");
    // A box that does not read as an amount counts as nothing.
    const long double deductions = amount::StrToFloatDef(gross) - amount::StrToFloatDef(net);
    page.Line("<td colspan=2 class=x31 style='border-right:.5pt solid black;border-left:none'>" +
              Escape(amount::FormatAmount(deductions)) + "&nbsp;</td>");
    page.Line("<td class=x31>" + Escape(net) + "&nbsp;</td>");
    page.Block(TemplateBlock("Memo6.htm"));
    return page.Take();
}

} // namespace report
