#include "reports/DetailedList.h"
#include "declaration/Totals.h"

#include "text/Cp1253.h"

#include <QString>

namespace {

using namespace declaration;

std::string Cp(const char* utf8)
{
    return cp1253::fromUnicode(QString::fromUtf8(utf8));
}

// The detail columns 2 to 18 and the fields they show; -1 stands for the
// joined address.
constexpr std::array<int, DetailedList::Columns - 1> kDetailColumns = {
    AFM,       SurName,  Name,        FatherName, -1,           TypeInc, AkaInc,         Xartosimo,   OGAXart,
    Kratiseis, Kathares, ForosParakr, ForosAnal,  Ypokatastima, Hmeres,  OGAForouParakr, OGAForouAnal};

} // namespace

DetailedList::DetailedList(EmployerHeader header, std::array<std::string, 9> edits,
                           std::vector<TFixedFormatDataSet::TLine> lines)
    : m_header(std::move(header)), m_edits(std::move(edits)), m_lines(std::move(lines))
{
}

const std::string& DetailedList::DocumentTitle()
{
    static const std::string title = Cp("Υποβολή Βεβαιώσεων Αποδοχών Δημοσίου");
    return title;
}

const std::string& DetailedList::Issuer()
{
    static const std::string issuer = "Razeve";
    return issuer;
}

const std::array<std::string, DetailedList::Columns>& DetailedList::Titles()
{
    static const std::array<std::string, Columns> titles = {
        Cp("α/α"),
        Cp("ΑΦΜ"),
        Cp("Επώνυμο"),
        Cp("Όνομα"),
        Cp("Όνομα πατέρα ή συζύγου"),
        Cp("Διεύθυνση"),
        Cp("Είδος απο-\nδοχών"),
        Cp("Ακαθάριστες αποδοχές"),
        Cp("Χαρτόσημο"),
        Cp("ΟΓΑ Χαρτοσήμου"),
        Cp("Κρατήσεις (εκτός φόρου)"),
        Cp("Καθαρές αποδοχές"),
        Cp("Φόρος που παρακ/\n θηκε"),
        Cp("Φόρος που αναλογεί"),
        Cp("Υποκ/μα μισθωτού"),
        Cp("Σύνολο ημερών απ/σης"),
        Cp("ΟΓΑ φόρου που παρακ/\nθηκε"),
        Cp("ΟΓΑ φόρου που αναλογεί"),
    };
    return titles;
}

std::array<std::string, 9> DetailedList::TotalsInColumnOrder(const std::array<std::string, 9>& e)
{
    // The boxes Edit1..Edit9 are numbered in the order of the totals record;
    // the reports show them in the order the window does.
    std::array<std::string, 9> shown;
    for (size_t k = 0; k < shown.size(); ++k)
        shown[k] = e[Totals::ShownOrder[k]];
    return shown;
}

std::array<std::string, DetailedList::Columns> DetailedList::Detail(size_t index) const
{
    const std::string_view line = m_lines.at(index).Text;
    auto field = [line](int f) { return std::string(DetailFieldText(line, static_cast<DetailField>(f))); };
    std::array<std::string, Columns> cells;
    cells[0] = std::to_string(index + 1);
    for (size_t c = 1; c < Columns; ++c) {
        const int f = kDetailColumns[c - 1];
        // The detail rows put no comma before the postcode.
        cells[c] =
            f < 0 ? field(City) + ", " + field(Street) + " " + field(StreetNo) + " " + field(TK) : field(f);
    }
    return cells;
}

DetailedList::Row DetailedList::Spacer() const
{
    return {{"", static_cast<int>(Columns), true}};
}

DetailedList::Row DetailedList::Totals() const
{
    const std::array<std::string, 9> totals = TotalsInColumnOrder(m_edits);
    Row row = {{"", 1, true}, {Cp("ΣΥΝΟΛΟ"), 6}};
    for (size_t k = 0; k < 7; ++k)
        row.push_back({totals[k]});
    // The branch and the days have no total.
    row.push_back({"", 1, true});
    row.push_back({"", 1, true});
    row.push_back({totals[7]});
    row.push_back({totals[8]});
    return row;
}
