#include "WorkspaceFixture.h"
#include "reports/Reports.h"

#include <QDir>
#include <fstream>
#include <sstream>

using namespace declaration;

namespace {

// The reports print the boxes as they stand, whatever the rows sum to.
void ShowBoxes(Workspace& ws, const Totals::Boxes& edits)
{
    ws.ReplaceTotals(Totals(edits, ws.CurrentTotals().Label32()));
}

// The expected pages are written out here line by line, as the reports are
// meant to read, and only then turned into CR LF lines of cp1253.
std::string Lines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const auto& line : lines)
        text += Cp(line.c_str()) + "\r\n";
    return text;
}

const std::string kTemplate = Lines({
    "",
    "<html>",
    "<head>",
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1253\">",
    "<title>Υποβολή Βεβαιώσεων Αποδοχών Δημοσίου</title>",
    "<style type=\"text/css\">",
    "<!--",
    ".style2 {font-size: 12}",
    "",
    "-->",
    "</style>",
    "</head>",
    "",
    "<body>",
    "<table cellpadding=\"0\" cellspacing=\"0\" width=\"100%\" border=\"0\" >",
    "<thead style=\"display:table-header-group\"><tr><th><font size=\"1\">Razeve</font></th></tr></thead>",
    "",
    "<tr><td class=\"style2\" ><center><b>Υποβολή Βεβαιώσεων Αποδοχών Δημοσίου</b></center><br></td></tr>",
    "",
    "<tr><td>",
});

std::string Head(const std::string& year, const std::string& company, const std::string& afm,
                 const std::string& service, const std::string& address)
{
    return kTemplate +
           Lines({
               "<table cellpadding=\"0\" cellspacing=\"0\" width=\"200\"  border=\"0\">",
               "<tr>",
               "<td class=\"style2\">Έτος:</td>",
               "<td class=\"style2\">" + year + "</td>",
               "</tr></table>",
               "<table width=\"100%\"  border=\"0\" cellspacing=\"0\" cellpadding=\"0\">",
               "<tr><td class=\"style2\" colspan=\"6\"><br><center><b>ΣΤΟΙΧΕΙΑ ΦΟΡΕΑ</b></center></td></tr>",
               "<tr><td class=\"style2\">Ονομασία Φορέα:</td>",
               "<td class=\"style2\" colspan=\"3\">" + company + "</td>",
               "<td class=\"style2\">ΑΦΜ Φορέα:</td>",
               "<td class=\"style2\">" + afm + "</td>",
               "</tr>",
               "<tr><td class=\"style2\">Όνομα Υπηρεσίας:</td>",
               "<td class=\"style2\">" + service + "</td>",
               "<td class=\"style2\">Διεύθυνση:</td>",
               "<td class=\"style2\">" + address + "</td>",
               "<td class=\"style2\">Τηλ:</td>",
               "<td class=\"style2\">&nbsp;</td>",
               "</tr><tr><td class=\"style2\">&nbsp;</td><td class=\"style2\">&nbsp;</td><td "
               "class=\"style2\">&nbsp;</td><td class=\"style2\">(πόλη, οδός, αριθμός, Τ.Κ.)</td><td "
               "class=\"style2\">&nbsp;</td><td class=\"style2\">&nbsp;</td></tr>",
               "<tr><td class=\"style2\" colspan=\"6\">&nbsp;</td></tr></table>",
           });
}

std::string Th(const std::string& title)
{
    return "<th class=\"style2\"><center>" + title + "</center></th>";
}
std::string Td(const std::string& content)
{
    return "<td class=\"style2\">" + content + "</td>";
}

const std::string kDetailTitles = Lines({
    "<table width=\"100%\"  border=\"1\" cellspacing=\"0\" cellpadding=\"0\">",
    "<thead style=\"display:table-header-group\"><tr>",
    Th("α/α") + Th("ΑΦΜ") + Th("Επώνυμο"),
    Th("Όνομα") + Th("Όνομα πατέρα ή συζύγου"),
    Th("Διεύθυνση"),
    Th("Είδος απο-<BR>δοχών") + Th("Ακαθάριστες αποδοχές"),
    Th("Χαρτόσημο"),
    Th("ΟΓΑ Χαρτοσήμου"),
    Th("Κρατήσεις (εκτός φόρου)"),
    Th("Καθαρές αποδοχές"),
    Th("Φόρος που παρακ/<BR> θηκε"),
    Th("Φόρος που αναλογεί"),
    Th("Υποκ/μα μισθωτού"),
    Th("Σύνολο ημερών απ/σης"),
    Th("ΟΓΑ φόρου που παρακ/<BR>θηκε"),
    Th("ΟΓΑ φόρου που αναλογεί") + "</tr></thead>",
});

// A detail row of the report: number, then 17 cells each ending in &nbsp;.
std::string DetailRow(int n, std::vector<std::string> cells)
{
    std::string text = Lines({"<tr>", Td(std::to_string(n))});
    for (const auto& cell : cells)
        text += Lines({Td(cell + "&nbsp;")});
    return text + Lines({"</tr>"});
}

std::string DetailTotals(const std::array<std::string, 9>& e)
{
    return Lines({"<tr><td class=\"style2\" colspan=\"18\">&nbsp;</td></tr>",
                  "<tr><td class=\"style2\">&nbsp;</td>", "<td class=\"style2\" colspan=\"6\">ΣΥΝΟΛΟ</td>",
                  Td(e[0]), Td(e[4]), Td(e[5]), Td(e[1]), Td(e[2]), Td(e[3]), Td(e[6]), Td("&nbsp;"),
                  Td("&nbsp;"), Td(e[7]), Td(e[8]), "</tr></table></td></tr></table></body></html>"});
}

class ReportsTest : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        StartDeclaration();
        ws->Header.AntikeimenoErgasion = Cp("ΜΙΣΘΟΔΟΣΙΑ");
        ws->Header.Town = Cp("ΑΘΗΝΑ");
        ws->Header.Street = Cp("ΣΤΑΔΙΟΥ");
        ws->Header.Number = "12";
        ws->Header.TK = "10559";
    }

    std::string Report() const { return ReadFile("Rozaro.htm"); }
    std::string Path(const char* relative) const { return ProgramPath(relative); }
};

TEST_F(ReportsTest, DetailedReportListsEveryStoredRowAndTheTotals)
{
    ASSERT_TRUE(Store({{AFM, "090000045"},
                       {SurName, Cp("ΠΑΠΑΣ")},
                       {Name, Cp("ΝΙΚΟΣ")},
                       {FatherName, Cp("ΓΙΩ")},
                       {City, Cp("ΠΑΤΡΑ")},
                       {Street, Cp("ΟΔΟΣ")},
                       {StreetNo, "3"},
                       {TK, "26221"},
                       {TypeInc, "10"},
                       {AkaInc, "1000,5"},
                       {Kratiseis, "200"},
                       {Kathares, "800,5"},
                       {ForosParakr, "50"},
                       {ForosAnal, "60"}}));
    // Income kind 15 is listed though the totals leave it out; the row still
    // being typed is stored first and listed as well.
    ASSERT_TRUE(Store(GoodRow("123456783", "15", "ALPHA")));
    Rows().Append();
    for (const auto& [field, value] : GoodRow("000000050", "11", "BETA"))
        Rows().FieldByName(DetailLayout()[field].name).SetAsString(value);

    Reports(*ws).PrintDetailed();

    const auto& e = ws->CurrentTotals().Edits();
    ASSERT_EQ(e[0], "2000,5"); // the pending row was stored and summed
    const std::string expected =
        Head("2025", "MINISTRY", "094014201", "ΜΙΣΘΟΔΟΣΙΑ", "ΑΘΗΝΑ, ΣΤΑΔΙΟΥ 12, 10559") + kDetailTitles +
        DetailRow(1, {"090000045", "ΠΑΠΑΣ", "ΝΙΚΟΣ", "ΓΙΩ", "ΠΑΤΡΑ, ΟΔΟΣ 3 26221", "10", "1000,5", "0", "0",
                      "200", "800,5", "50", "60", "0", "0", "0", "0"}) +
        DetailRow(2, {"123456783", "ALPHA", "", "", ",   ", "15", "1000", "0", "0", "200", "800", "0", "0",
                      "0", "0", "0", "0"}) +
        DetailRow(3, {"000000050", "BETA", "", "", ",   ", "11", "1000", "0", "0", "200", "800", "0", "0",
                      "0", "0", "0", "0"}) +
        DetailTotals(e);
    EXPECT_EQ(Report(), expected);
    EXPECT_EQ(ui.log.back(), "print-window: Εκτύπωση [landscape] " + Path("Rozaro.htm"));
    EXPECT_EQ(Rows().RecordCount(), 3);
    EXPECT_EQ(ReadFile("temp/record21"), ReadFile("temp/record2"));
}

TEST_F(ReportsTest, EmptyDeclarationGivesTitlesSpacerAndTotalsOnly)
{
    ws->Header = {};
    ShowBoxes(*ws, {});
    Reports(*ws).PrintDetailed();
    EXPECT_EQ(Report(),
              Head("", "", "", "", ",  , ") + kDetailTitles + DetailTotals(ws->CurrentTotals().Edits()));
    EXPECT_TRUE(ui.Said().empty());
}

TEST_F(ReportsTest, TotalsReportIsOneRowOfTheNineBoxes)
{
    ASSERT_TRUE(Store(GoodRow()));
    ShowBoxes(*ws, {"1", "2", "3", "4", "5", "6", "7", "8", "9"}); // as the boxes show them, not re-summed
    Reports(*ws).PrintTotals();
    const std::string expected =
        Head("2025", "MINISTRY", "094014201", "ΜΙΣΘΟΔΟΣΙΑ", "ΑΘΗΝΑ, ΣΤΑΔΙΟΥ 12, 10559") +
        Lines({"<center><b>ΕΚΤΥΠΩΣΗ ΣΥΝΟΛΩΝ</b></center>",
               "<table width=\"100%\"  border=\"1\" cellspacing=\"0\" cellpadding=\"0\">",
               "<thead style=\"display:table-header-group\"><tr>",
               "<th class=\"style2\" colspan=\"7\"><center>&nbsp;</center></th>",
               Th("Ακαθάριστες αποδοχές"),
               Th("Χαρτόσημο"),
               Th("ΟΓΑ Χαρτοσήμου"),
               Th("Κρατήσεις (εκτός φόρου)"),
               Th("Καθαρές αποδοχές"),
               Th("Φόρος που παρακ/<BR> θηκε"),
               Th("Φόρος που αναλογεί"),
               Th("ΟΓΑ φόρου που παρακ/<BR>θηκε"),
               Th("ΟΓΑ φόρου που αναλογεί") + "</tr></thead>",
               "<tr><td class=\"style2\" colspan=\"16\">&nbsp;</td></tr>",
               "<tr>",
               "<td class=\"style2\" colspan=\"7\">ΣΥΝΟΛΟ</td>",
               Td("1"),
               Td("5"),
               Td("6"),
               Td("2"),
               Td("3"),
               Td("4"),
               Td("7"),
               Td("8"),
               Td("9"),
               "</tr></table></td></tr></table></body></html>"});
    EXPECT_EQ(Report(), expected);
    EXPECT_EQ(ui.log.back(), "print-window: Εκτύπωση Συνόλων " + Path("Rozaro.htm"));
}

// The form's own markup lives in its template blocks; the values go between them.
std::string Block(const char* name)
{
    std::ifstream in(std::string(ROZARO_SOURCE_DIR) + "/resources/Reports/" + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string lines, line;
    while (std::getline(text, line))
        lines += Cp(line.c_str()) + "\r\n";
    return lines;
}

TEST_F(ReportsTest, FirstPageFillsTheFormBetweenItsBlocks)
{
    ws->Header.YearOfData = "2008";
    ws->Header.CompanyName = Cp("ΠΑΠΑΔΟΠΟΥΛΟΣ");
    ws->Header.Name = Cp("ΓΙΑΝΝΗΣ");
    ws->Header.FatherName = Cp("ΚΩΝ");
    ShowBoxes(*ws, {"1000,5", "", "800"});
    auto page = [&] {
        const std::string period = "Αποδοχές απο 1/1/2008 έως 31/12/2008";
        return Block("Memo3.htm") + Lines({"2008&nbsp;"}) + Block("FirstPageYear.htm") +
               Lines({"<td colspan=6 class=x14 x:str=\"" + period + "\">" + period + "</td>"}) +
               Block("Memo4.htm") + Block("FirstPageName.htm") +
               Lines({ws->Header.NaturalPerson ? "ΠΑΠΑΔΟΠΟΥΛΟΣ ΓΙΑΝΝΗΣ&nbsp;" : "ΠΑΠΑΔΟΠΟΥΛΟΣ&nbsp;"}) +
               Block("FirstPageFather.htm") + Lines({ws->Header.NaturalPerson ? "ΚΩΝ&nbsp;" : "&nbsp;"}) +
               Block("FirstPageAddress.htm") + Lines({"ΑΘΗΝΑ,ΣΤΑΔΙΟΥ 12,10559&nbsp;"}) +
               Block("FirstPageAfm.htm") + Lines({"094014201&nbsp;</td>"}) + Block("Memo5.htm") +
               Lines({"1000,5&nbsp;</td>",
                      "<td colspan=2 class=x31 style='border-right:.5pt solid black;border-left:none'>"
                      "200,5&nbsp;</td>",
                      "<td class=x31>800&nbsp;</td>"}) +
               Block("Memo6.htm");
    };
    Reports(*ws).PrintFirstPage();
    EXPECT_EQ(ReadFile("Addon/E7FirstPageFinal.htm"), page());
    // Every character of the form's markup has its byte in the code page.
    EXPECT_EQ(page().find('?'), std::string::npos);
    EXPECT_EQ(ui.log.back(), "print-window: Εκτύπωση 1ης Σελίδας " + Path("Addon/E7FirstPageFinal.htm"));

    ws->Header.NaturalPerson = true;
    Reports(*ws).PrintFirstPage();
    EXPECT_EQ(ReadFile("Addon/E7FirstPageFinal.htm"), page());

    // The period names the whole year, past 2009 too; an unreadable box counts as 0.
    ws->Header.YearOfData = "2010";
    ShowBoxes(*ws, {"", "", "x"});
    ASSERT_EQ(Reports(*ws).WriteFirstPage(), Reports::Outcome::Written);
    const std::string written = ReadFile("Addon/E7FirstPageFinal.htm");
    EXPECT_NE(written.find(Cp("Αποδοχές απο 1/1/2010 έως 31/12/2010")), std::string::npos);
    EXPECT_NE(written.find("\r\n&nbsp;</td>\r\n<td colspan=2 class=x31 style='border-right:.5pt solid "
                           "black;border-left:none'>0&nbsp;</td>\r\n<td class=x31>x&nbsp;</td>\r\n"),
              std::string::npos);
}

TEST_F(ReportsTest, RefusedPendingRowWritesNothing)
{
    WriteFile("Rozaro.htm", "earlier");
    Rows().Append();
    Rows().FieldByName("AFM").SetAsString("123");
    Reports(*ws).PrintDetailed();
    Reports(*ws).PrintTotals();
    Reports(*ws).PrintFirstPage();
    EXPECT_EQ(Report(), "earlier");
    EXPECT_EQ(ReadFile("Addon/E7FirstPageFinal.htm"), "<missing>");
    for (const auto& line : ui.log)
        EXPECT_EQ(line.rfind("print-window", 0), std::string::npos) << line;
    EXPECT_EQ(Rows().State(), TDataSetState::dsInsert);
}

TEST_F(ReportsTest, StoreFailingForAnotherReasonStopsTheReport)
{
    // A row past the checks whose amount cannot be summed: storing the
    // pending row fails with an error that is no refusal.
    Rows().BeforePost = nullptr;
    Rows().Append();
    for (const auto& [field, value] : With(GoodRow(), {{Kratiseis, "12a"}}))
        Rows().FieldByName(DetailLayout()[field].name).SetAsString(value);
    EXPECT_ANY_THROW(Reports(*ws).PrintDetailed());
    EXPECT_EQ(Report(), "<missing>");
    EXPECT_TRUE(ui.Said().empty());
}

TEST_F(ReportsTest, UnwritableReportSaysSoAndKeepsTheEarlierFile)
{
    ASSERT_TRUE(Store(GoodRow()));
    WriteFile("Rozaro.htm", "earlier");
    const std::string rows = ReadFile("temp/record2");
    ws->SaveFileFactory = FailWritingFilesEndingIn("Rozaro.htm");
    Reports(*ws).PrintDetailed();
    Reports(*ws).PrintTotals();
    // The usual words, then the file and why on the next line.
    const std::string full = std::string("message: ") + Reports::FailureMessage + "\nΤο αρχείο «" +
                             Path("Rozaro.htm") + "» δεν μπορεί να γραφτεί. ";
    EXPECT_EQ(ui.Said(),
              std::vector<std::string>(2, full + "Δεν υπάρχει αρκετός ελεύθερος χώρος στον δίσκο."));
    EXPECT_EQ(Report(), "earlier");
    EXPECT_EQ(ReadFile("temp/record2"), rows);

    // Without its Addon folder the form page cannot be created.
    ui.Forget();
    ASSERT_TRUE(QDir(QString::fromStdString(Path("Addon"))).removeRecursively());
    Reports(*ws).PrintFirstPage();
    // The wait window is gone before the failure is told.
    EXPECT_EQ(ui.log, (std::vector<std::string>{
                          "busy: on", "grid: off", "wait: on", "grid: on", "wait: off", "busy: off",
                          std::string("message: ") + Reports::FailureMessage + "\nΤο αρχείο «" +
                              Path("Addon/E7FirstPageFinal.htm") +
                              "» δεν μπορεί να γραφτεί. Ο φάκελος του αρχείου δεν υπάρχει."}));
}

TEST_F(ReportsTest, MarkupInValuesIsEscapedEverywhere)
{
    ws->Header.CompanyName = "A&B <C> \"D\"";
    ws->Header.Town = "<i>";
    ShowBoxes(*ws, {"1&", "", ""});
    ASSERT_TRUE(Store(With(GoodRow(), {{SurName, "O'<B>"}, {City, "X&Y"}})));
    Totals::Boxes edits = ws->CurrentTotals().Edits();
    edits[8] = "<9>";
    ShowBoxes(*ws, edits);
    Reports reports(*ws);
    reports.WriteDetailed();
    const std::string detailed = Report();
    EXPECT_NE(detailed.find("colspan=\"3\">A&amp;B &lt;C&gt; &quot;D&quot;</td>"), std::string::npos);
    EXPECT_NE(detailed.find("&lt;i&gt;, "), std::string::npos);
    EXPECT_NE(detailed.find(">O'&lt;B&gt;&nbsp;</td>"), std::string::npos);
    EXPECT_NE(detailed.find(">X&amp;Y, "), std::string::npos);
    EXPECT_NE(detailed.find(">&lt;9&gt;</td>"), std::string::npos);
    reports.WriteFirstPage();
    const std::string form = ReadFile("Addon/E7FirstPageFinal.htm");
    EXPECT_NE(form.find("\r\nA&amp;B &lt;C&gt; &quot;D&quot;&nbsp;\r\n"), std::string::npos);
    EXPECT_EQ(form.find("<i>"), std::string::npos);
}

} // namespace
