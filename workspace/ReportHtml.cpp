#include "workspace/ReportHtml.h"

#include "text/AmountText.h"
#include "text/Cp1253.h"
#include "workspace/Totals.h"

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

// Template, year table and employer table: the head both reports share.
Page ReportHead(const EmployerHeader& header)
{
    Page page;
    page.Block(TemplateBlock("Memo1.htm"));
    YearTable(page, header);
    EmployerTable(page, header);
    return page;
}

std::string Title(const char* utf8)
{
    return "<th class=\"style2\"><center>" + Cp(utf8) + "</center></th>";
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
    for (const char* title : {"Χαρτόσημο", "ΟΓΑ Χαρτοσήμου", "Κρατήσεις (εκτός φόρου)", "Καθαρές αποδοχές",
                              "Φόρος που παρακ/<BR> θηκε", "Φόρος που αναλογεί"})
        page.Line(Title(title));
}

// The two levies on tax, the last titles of both reports.
void LevyTitles(Page& page)
{
    page.Line(Title("ΟΓΑ φόρου που παρακ/<BR>θηκε"));
    page.Line(Title("ΟΓΑ φόρου που αναλογεί") + kCloseTitles);
}

// Edit1..Edit9 in the order of the amount columns, as the window shows them:
// gross, stamp duty, its levy, deductions, net, tax withheld, tax due (then
// the two tax levies).
constexpr auto kAmountBoxes = std::span(Totals::ShownOrder).first<Totals::BoxCount - Totals::LevyCount>();
constexpr auto kLevyBoxes = std::span(Totals::ShownOrder).last<Totals::LevyCount>();

// The detail columns 2 to 18 and the fields they show; -1 stands for the
// joined address.
constexpr std::array<int, 17> kDetailColumns = {declaration::AFM,
                                                declaration::SurName,
                                                declaration::Name,
                                                declaration::FatherName,
                                                -1,
                                                declaration::TypeInc,
                                                declaration::AkaInc,
                                                declaration::Xartosimo,
                                                declaration::OGAXart,
                                                declaration::Kratiseis,
                                                declaration::Kathares,
                                                declaration::ForosParakr,
                                                declaration::ForosAnal,
                                                declaration::Ypokatastima,
                                                declaration::Hmeres,
                                                declaration::OGAForouParakr,
                                                declaration::OGAForouAnal};

void DetailRowLines(Page& page, int number, std::string_view line)
{
    auto field = [line](DetailField f) { return std::string(declaration::DetailFieldText(line, f)); };
    page.Line("<tr>");
    page.Line(Cell(std::to_string(number)));
    for (int column : kDetailColumns) {
        // The detail rows put no comma before the postcode.
        const std::string value = column < 0
                                      ? field(declaration::City) + ", " + field(declaration::Street) + " " +
                                            field(declaration::StreetNo) + " " + field(declaration::TK)
                                      : field(static_cast<DetailField>(column));
        // The trailing blank draws the frame of an empty cell too.
        page.Line(Cell(Escape(value) + "&nbsp;"));
    }
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

std::string DetailedReport(const EmployerHeader& header, const std::array<std::string, 9>& edits,
                           const std::vector<TFixedFormatDataSet::TLine>& rows)
{
    Page page = ReportHead(header);
    page.Line(kOpenAmountTable);
    page.Line(kOpenTitles);
    page.Line(Title("α/α") + Title("ΑΦΜ") + Title("Επώνυμο"));
    page.Line(Title("Όνομα") + Title("Όνομα πατέρα ή συζύγου"));
    page.Line(Title("Διεύθυνση"));
    page.Line(Title("Είδος απο-<BR>δοχών") + Title("Ακαθάριστες αποδοχές"));
    AmountTitles(page);
    page.Line(Title("Υποκ/μα μισθωτού"));
    page.Line(Title("Σύνολο ημερών απ/σης"));
    LevyTitles(page);

    int number = 0;
    for (const auto& row : rows)
        DetailRowLines(page, ++number, row.Text);

    page.Line("<tr><td class=\"style2\" colspan=\"18\">&nbsp;</td></tr>");
    page.Line("<tr><td class=\"style2\">&nbsp;</td>");
    page.Line("<td class=\"style2\" colspan=\"6\">ΣΥΝΟΛΟ</td>");
    for (size_t box : kAmountBoxes)
        page.Line(Cell(Escape(edits[box])));
    page.Line("<td class=\"style2\">&nbsp;</td>");
    page.Line("<td class=\"style2\">&nbsp;</td>");
    for (size_t box : kLevyBoxes)
        page.Line(Cell(Escape(edits[box])));
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
    page.Line(Title("Ακαθάριστες αποδοχές"));
    AmountTitles(page);
    LevyTitles(page);
    page.Line("<tr><td class=\"style2\" colspan=\"16\">&nbsp;</td></tr>");
    page.Line("<tr>");
    page.Line("<td class=\"style2\" colspan=\"7\">ΣΥΝΟΛΟ</td>");
    for (size_t box : kAmountBoxes)
        page.Line(Cell(Escape(edits[box])));
    for (size_t box : kLevyBoxes)
        page.Line(Cell(Escape(edits[box])));
    page.Line(kCloseReport);
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
