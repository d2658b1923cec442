// The .xlsx reader on small packages made here, one rule of the format each.
#include "SheetRows.h"
#include "workbook/NumberFormat.h"
#include "workbook/Workbook.h"
#include "workbook/WorkbookData.h"

#include <QByteArray>
#include <QStringList>
#include <gtest/gtest.h>
#include <zlib.h>

#include <functional>
#include <map>
#include <string>

using namespace workbook;

namespace {

void Put16(QByteArray& out, uint32_t v)
{
    out.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8 & 0xFF));
}
void Put32(QByteArray& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A zip archive of stored members, in the order given.
QByteArray Zip(const std::vector<std::pair<std::string, std::string>>& members)
{
    QByteArray out;
    QByteArray directory;
    for (const auto& [name, body] : members) {
        const uint32_t crc =
            crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
        const uint32_t offset = static_cast<uint32_t>(out.size());
        Put32(out, 0x04034b50);
        for (uint32_t v : {20u, 0u, 0u, 0u, 0u})
            Put16(out, v);
        Put32(out, crc);
        Put32(out, static_cast<uint32_t>(body.size()));
        Put32(out, static_cast<uint32_t>(body.size()));
        Put16(out, static_cast<uint32_t>(name.size()));
        Put16(out, 0);
        out.append(name.data(), static_cast<qsizetype>(name.size()))
            .append(body.data(), static_cast<qsizetype>(body.size()));
        Put32(directory, 0x02014b50);
        for (uint32_t v : {20u, 20u, 0u, 0u, 0u, 0u})
            Put16(directory, v);
        Put32(directory, crc);
        Put32(directory, static_cast<uint32_t>(body.size()));
        Put32(directory, static_cast<uint32_t>(body.size()));
        for (uint32_t v : {static_cast<uint32_t>(name.size()), 0u, 0u, 0u, 0u})
            Put16(directory, v);
        Put32(directory, 0);
        Put32(directory, offset);
        directory.append(name.data(), static_cast<qsizetype>(name.size()));
    }
    const uint32_t start = static_cast<uint32_t>(out.size());
    out.append(directory);
    Put32(out, 0x06054b50);
    for (uint32_t v : {0u, 0u, static_cast<uint32_t>(members.size()), static_cast<uint32_t>(members.size())})
        Put16(out, v);
    Put32(out, static_cast<uint32_t>(directory.size()));
    Put32(out, start);
    Put16(out, 0);
    return out;
}

const std::string Main = R"( xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
const std::string RelNs = R"( xmlns="http://schemas.openxmlformats.org/package/2006/relationships")";
const std::string Type = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// A package whose first worksheet holds `cells` (the <row> elements), with
// shared strings and styles, the sheet named by the relationship `target`.
std::vector<std::pair<std::string, std::string>>
Package(const std::string& rows, const std::string& target = "/xl/worksheets/sheet1.xml")
{
    return {
        {"_rels/.rels", "<Relationships" + RelNs + "><Relationship Id=\"rId1\" Type=\"" + Type +
                            "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml",
         "<workbook" + Main +
             R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)"
             R"(<sheet name="Chart" sheetId="3" r:id="rId9"/><sheet name="Α" sheetId="1" r:id="rId1"/>)"
             R"(<sheet name="B" sheetId="2" r:id="rId2"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships" + RelNs + "><Relationship Id=\"rId9\" Type=\"" + Type +
             "chartsheet\" Target=\"chartsheets/c.xml\"/><Relationship Id=\"rId2\" Type=\"" + Type +
             "worksheet\" Target=\"worksheets/sheet2.xml\"/><Relationship Id=\"rId1\" Type=\"" + Type +
             "worksheet\" Target=\"" + target + "\"/><Relationship Id=\"rId3\" Type=\"" + Type +
             "sharedStrings\" Target=\"sharedStrings.xml\"/><Relationship Id=\"rId4\" Type=\"" + Type +
             "styles\" Target=\"styles.xml\"/></Relationships>"},
        {"xl/sharedStrings.xml",
         "<sst" + Main +
             R"(><si><t>0123</t></si><si><r><t xml:space="preserve">ΠΑΠΑ </t></r><r><rPr><b/></rPr><t>ΔΟΠΟΥΛΟΣ</t></r>)"
             R"(<rPh sb="0" eb="1"><t>ふ</t></rPh></si><si><t>A&amp;B_x0041_</t></si></sst>)"},
        {"xl/styles.xml",
         "<styleSheet" + Main +
             R"(><numFmts count="2"><numFmt numFmtId="164" formatCode="0.00&quot; d&quot;"/>)"
             R"(<numFmt numFmtId="165" formatCode="[$-408]dd/mm/yy"/></numFmts>)"
             R"(<cellXfs><xf numFmtId="0"/><xf numFmtId="164"/><xf numFmtId="165"/><xf numFmtId="14"/>)"
             R"(<xf numFmtId="49"/></cellXfs></styleSheet>)"},
        {"xl/worksheets/sheet1.xml",
         "<worksheet" + Main + "><sheetData>" + rows + "</sheetData></worksheet>"},
        {"xl/worksheets/sheet2.xml",
         "<worksheet" + Main +
             R"(><sheetData><row r="1"><c r="A1" t="d"><v>2024-01-01</v></c></row></sheetData></worksheet>)"},
    };
}

std::string ErrorOf(const QByteArray& bytes)
{
    try {
        ReadXlsxData(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
    } catch (const WorkbookError& e) {
        return e.what();
    }
    return "read";
}

Sheet Read(const QByteArray& bytes)
{
    return ReadXlsxData(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

} // namespace

// Every kind of cell, rich and phonetic runs, escapes, styles that are no
// dates, a formula with a shared-string result, cells without a position.
TEST(XlsxReader, EveryKindOfCellReadsAsItStands)
{
    const std::string rows =
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="str"><v>  ΧΩΡΙΣ ΤΥΠΟ  </v></c>)"
        R"(<c r="D1" t="inlineStr"><is><t>007</t></is></c><c r="E1" t="inlineStr"><is><r><t>Α</t></r><r><t xml:space="preserve"> Β</t></r></is></c>)"
        R"(<c r="F1" t="b"><v>1</v></c><c r="G1" s="1"><v>1234.5</v></c><c r="H1" s="4"><v>10</v></c>)"
        R"(<c r="I1" t="s"><f>"0"&amp;"123"</f><v>0</v></c><c r="J1"><f>2*3</f><v>6</v></c><c r="K1" t="s"><v>2</v></c>)"
        R"(<c r="L1" s="3"/><c r="M1" t="str"><f>IF(1,"","x")</f><v></v></c></row>)"
        R"(<row><c><v>-0.5</v></c><c t="n"><v>1E-3</v></c></row><row r="4"><c r="B4"><v>3</v></c></row>)";
    for (const std::string target :
         {"/xl/worksheets/sheet1.xml", "worksheets/sheet1.xml", "../xl/worksheets/./sheet1.xml"})
        EXPECT_EQ(RowsOf(Read(Zip(Package(rows, target)))),
                  (QStringList{QStringLiteral(
                                   "0123|ΠΑΠΑ ΔΟΠΟΥΛΟΣ|  ΧΩΡΙΣ ΤΥΠΟ  |007|Α Β|True|1234,5|10|0123|6|A&BA||"),
                               QStringLiteral("-0,5|0,001|||||||||||"), QStringLiteral("||||||||||||"),
                               QStringLiteral("|3|||||||||||")}))
            << target;
}

// What cannot become a row's text refuses the workbook, naming the cell.
TEST(XlsxReader, DatesFormulasWithoutValueAndDamageAreRefused)
{
    const std::pair<std::string, const char*> cases[] = {
        {R"(<c r="C2" s="2"><v>45352</v></c>)", "C2 του πρώτου φύλλου έχει ημερομηνία"},
        {R"(<c r="C2" s="3"><f>A1</f><v>45352</v></c>)", "C2 του πρώτου φύλλου έχει ημερομηνία"},
        {R"(<c r="C2" t="d"><v>2024-03-01</v></c>)", "C2 του πρώτου φύλλου έχει ημερομηνία"},
        {R"(<c r="C2"><f>25*2</f><v></v></c>)", "C2 του πρώτου φύλλου έχει τύπο χωρίς υπολογισμένη τιμή"},
        {R"(<c r="C2"><f>25*2</f></c>)", "C2 του πρώτου φύλλου έχει τύπο χωρίς υπολογισμένη τιμή"},
        {R"(<c r="C2" t="s"><f>A1</f><v/></c>)", "C2 του πρώτου φύλλου έχει τύπο χωρίς υπολογισμένη τιμή"},
        // Empty text from every formula of the sheet: never calculated.
        {R"(<c r="C2" t="str"><f>A1</f><v></v></c>)",
         "C2 του πρώτου φύλλου έχει τύπο χωρίς υπολογισμένη τιμή"},
        {R"(<c r="C2" t="e"><v>#N/A</v></c>)", "C2 του πρώτου φύλλου έχει σφάλμα (#N/A)"},
        {R"(<c r="C2" t="s"><v>7</v></c>)", "το κελί C2 παραπέμπει σε κείμενο που δεν υπάρχει"},
        {R"(<c r="C2" t="str"><v>α_x000D__x000A_β</v></c>)",
         "C2 του πρώτου φύλλου έχει κείμενο σε περισσότερες"},
        {R"(<c r="C2"><v>12,5</v></c>)", "C2 του πρώτου φύλλου δηλώνει αριθμό, αλλά η τιμή του «12,5»"},
        {R"(<c r="C2"><v>inf</v></c>)", "C2 του πρώτου φύλλου δηλώνει αριθμό, αλλά η τιμή του «inf»"},
        {R"(<c r="C2"><f>A1/0</f><v>nan</v></c>)", "«nan»"},
        {R"(<c r="C2" t="n"><v>1e400</v></c>)", "«1e400»"},
        {R"(<c r="2C"><v>1</v></c>)", "λάθος διεύθυνση κελιού «2C»"},
        {R"(<c r="C2" t="x"><v>1</v></c>)", "άγνωστο είδος κελιού «x»"},
        {R"(<c r="C2"><v>1</v></c><c r="C2" t="str"><v>1</v>)", ".xlsx"},
    };
    for (const auto& [cell, message] : cases)
        EXPECT_NE(
            ErrorOf(Zip(Package(R"(<row r="2"><c r="A2"><v>1</v></c>)" + cell + "</row>"))).find(message),
            std::string::npos)
            << cell << "\n"
            << ErrorOf(Zip(Package(R"(<row r="2"><c r="A2"><v>1</v></c>)" + cell + "</row>")));

    // A package without its relationships finds its workbook through its content types.
    auto members = Package(R"(<row r="1"><c r="A1"><v>1</v></c></row>)");
    members.erase(members.begin());
    members.push_back({"[Content_Types].xml",
                       R"(<Types><Override PartName="/xl/workbook.xml" ContentType="application/)"
                       R"(vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/></Types>)"});
    EXPECT_EQ(RowsOf(Read(Zip(members))), QStringList{QStringLiteral("1")});
    // A workbook of chart sheets alone has no worksheet.
    members = Package("");
    members[2].second = "<Relationships" + RelNs + "><Relationship Id=\"rId9\" Type=\"" + Type +
                        "chartsheet\" Target=\"chartsheets/c.xml\"/></Relationships>";
    EXPECT_NE(ErrorOf(Zip(members)).find("δεν έχει φύλλο εργασίας"), std::string::npos);
}

// An OpenDocument package is one whatever member comes first.
TEST(XlsxReader, OdsIsKnownByItsMediaTypeWhereverItStands)
{
    const std::string content =
        R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
        R"(xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"><office:body><office:spreadsheet>)"
        R"(<table:table><table:table-row><table:table-cell office:value-type="float" office:value="5"/>)"
        R"(</table:table-row></table:table></office:spreadsheet></office:body></office:document-content>)";
    const std::string type = "application/vnd.oasis.opendocument.spreadsheet";
    const std::string manifest = "<manifest:manifest><manifest:file-entry manifest:full-path=\"/\" "
                                 "manifest:media-type=\"" +
                                 type + "\"/></manifest:manifest>";
    for (const auto& members :
         {std::vector<std::pair<std::string, std::string>>{{"content.xml", content}, {"mimetype", type}},
          {{"content.xml", content}, {"META-INF/manifest.xml", manifest}}}) {
        const QByteArray zip = Zip(members);
        const std::string_view data(zip.constData(), static_cast<size_t>(zip.size()));
        EXPECT_EQ(DetectFormat(data), Format::Ods);
        EXPECT_EQ(RowsOf(*ReadByContent(data)), QStringList{QStringLiteral("5")});
    }
}

// Cells past T are not read, whatever they hold; a workbook that declares its
// saved results stale (the writer saved a stand-in 0) has no formula result to
// trust in A to T. Every built-in date format is a date, and no other is.
TEST(XlsxReader, PastColumnTNothingIsReadAndStaleResultsAreRefused)
{
    const std::string beyond =
        R"(<row r="2"><c r="A2"><v>1</v></c><c r="T2"><f>1+1</f><v>2</v></c>)"
        R"(<c r="U2" t="e"><v>#N/A</v></c><c r="V2" s="3"><v>45352</v></c>)"
        R"(<c r="W2" t="str"><v>α_x000A_β</v></c><c r="X2"><f>1+1</f></c>)"
        R"(<c r="Y2"><v>inf</v></c></row><row r="3"><c r="AB3" t="s"><v>0</v></c></row>)";
    const Sheet sheet = Read(Zip(Package(beyond)));
    ASSERT_EQ(sheet.Columns(), 20);
    ASSERT_EQ(sheet.Rows(), 3);
    EXPECT_EQ(sheet.Cell(1, 0) + sheet.Cell(1, 19) + sheet.Cell(2, 19), QStringLiteral("12"));

    auto stale = Package(beyond);
    for (auto& [name, body] : stale)
        if (name == "xl/workbook.xml")
            body.replace(body.find("</workbook>"), 0, R"(<calcPr calcId="124519" fullCalcOnLoad="1"/>)");
    EXPECT_NE(ErrorOf(Zip(stale)).find("T2 του πρώτου φύλλου έχει τύπο χωρίς υπολογισμένη τιμή"),
              std::string::npos)
        << ErrorOf(Zip(stale));

    // A string only cells past T show is never read; one a cell of A to T
    // shows is checked there, and named even ahead of a later refused cell.
    const auto withNotes = [](const std::string& rows) {
        auto members = Package(rows);
        std::string& table = members[3].second;
        table.replace(table.find("</sst>"), 0, "<si><t>ΑΛΦΑ</t></si><si><t>α\nβ</t></si><si><t>x</t></si>");
        return Zip(members);
    };
    EXPECT_EQ(RowsOf(Read(withNotes(R"(<row r="1"><c r="A1" t="s"><v>5</v></c><c r="Z1" t="s"><v>4</v></c>)"
                                    R"(<c r="B1" t="s"><v>3</v></c><c r="AA1" t="s"><v>99</v></c></row>)")))
                  .front()
                  .left(9),
              QStringLiteral("x|ΑΛΦΑ|||"));
    EXPECT_NE(ErrorOf(withNotes(R"(<row r="1"><c r="A1" t="s"><v>5</v></c><c r="B1" t="s"><v>4</v></c></row>)"
                                R"(<row r="2"><c r="C2" s="2"><v>45352</v></c></row>)"))
                  .find("B1 του πρώτου φύλλου έχει κείμενο σε περισσότερες"),
              std::string::npos);
    EXPECT_NE(ErrorOf(withNotes(R"(<row r="1"><c r="A1" t="s"><v>6</v></c></row>)")).find("A1 παραπέμπει"),
              std::string::npos);

    for (int id = 0; id < 200; ++id) {
        const bool date = (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
                          (id >= 50 && id <= 58);
        EXPECT_EQ(IsDateFormat(id, ""), date) << id;
    }
}
