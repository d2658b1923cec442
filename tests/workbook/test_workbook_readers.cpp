#include "SheetRows.h"
#include "text/AmountText.h"
#include "workbook/FileBytes.h"
#include "workbook/Workbook.h"
#include "workbook/WorkbookData.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gsf/gsf.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>

using namespace workbook;

namespace {

QString DataPath(const char* name)
{
    return QStringLiteral(ROZARO_TEST_DATA "/workbook/") + QString::fromUtf8(name);
}

QByteArray Load(const char* name)
{
    QFile file(DataPath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

// The reader a file's first bytes choose, as the import does.
Sheet ReadKnown(std::string_view data)
{
    std::optional<Sheet> sheet = workbook::ReadByContent(data);
    if (!sheet)
        throw WorkbookError("unknown");
    return std::move(*sheet);
}

std::string ErrorOf(const std::function<Sheet()>& read)
{
    try {
        read();
    } catch (const WorkbookError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

// The same LibreOffice sheet saved in the three formats reads the same: texts
// as they stand (leading blanks, Greek, symbols), numbers in the general form
// with the decimal comma, formula cells as their results (net pay = gross -
// deductions, text and empty results), empty cells empty, the block from A1
// to the last value (a blank row inside it kept, formatted blank rows and
// columns after it and the second sheet left out).
TEST(WorkbookReaders, ThreeFormatsOfOneSheetGiveTheExpectedRows)
{
    QStringList expected = QString::fromUtf8(Load("payroll.expected")).split(u'\n', Qt::SkipEmptyParts);
    expected.removeFirst(); // the comment line
    ASSERT_EQ(expected.size(), 5);

    EXPECT_EQ(RowsOf(ReadXls(DataPath("payroll.xls"))), expected);
    EXPECT_EQ(RowsOf(ReadXlsx(DataPath("payroll.xlsx"))), expected);
    EXPECT_EQ(RowsOf(ReadOds(DataPath("payroll.ods"))), expected);
    for (const char* name : {"payroll.xls", "payroll.xlsx", "payroll.ods"}) {
        const Sheet sheet = ReadKnown(View(Load(name)));
        EXPECT_EQ(sheet.Columns(), 20) << name;
        EXPECT_EQ(RowsOf(sheet), expected) << name;
    }
}

TEST(WorkbookReaders, FirstSheetIsReadByContentWhateverTheFileIsCalled)
{
    const QString copy = QDir::temp().filePath(QStringLiteral("rozaro-workbook-test.dat"));
    for (const char* name : {"payroll.xls", "payroll.xlsx", "payroll.ods"}) {
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(DataPath(name), copy));
        EXPECT_EQ(RowsOf(ReadFirstSheet(copy)), RowsOf(ReadFirstSheet(DataPath(name)))) << name;
        EXPECT_EQ(ReadFirstSheet(copy).Rows(), 5) << name;
    }
    QFile::remove(copy);
    EXPECT_NE(ErrorOf([] {
                  return ReadFirstSheet(DataPath("payroll.expected"));
              }).find("«payroll.expected» δεν είναι"),
              std::string::npos);
}

// 1,200 rows of distinct Greek and Latin names: the .xls keeps them in a
// shared string table split over many records, with strings cut in the middle.
TEST(WorkbookReaders, LongSheetReadsAlikeInEveryFormat)
{
    const QStringList xls = RowsOf(ReadXls(DataPath("many-rows.xls")));
    ASSERT_EQ(xls.size(), 1200);
    EXPECT_EQ(xls, RowsOf(ReadXlsx(DataPath("many-rows.xlsx"))));
    EXPECT_EQ(xls, RowsOf(ReadOds(DataPath("many-rows.ods"))));
    EXPECT_EQ(xls.front(),
              QStringLiteral("243423564|ΙΩΑΝΝΟΥ 1|ΓΙΩΡΓΟΣ-1|ΜΑΡΙΑ|ΠΑΤΡΑ|ΟΔΟΣ 1 ΚΑΙ ΗΡΑΚΛΕΙΟ|130|37446|16|"
                             "22539,51|81,14|16,23|3242,14|19297,37|2253,95|2704,74|0|236|45,08|0"));
    // Every text of the source, in its place.
    const QStringList source = QString::fromUtf8(Load("many-rows.csv")).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(source.size(), 1200);
    for (int r = 0; r < 1200; ++r)
        EXPECT_EQ(xls[r].split(u'|').mid(1, 5), source[r].split(u';').mid(1, 5)) << r;
}

TEST(WorkbookReaders, NumbersReadAsASpreadsheetShowsThem)
{
    const std::pair<double, const char*> cases[] = {
        {10, "10"},
        {1234.5, "1234,5"},
        {1234.5599999999999, "1234,56"},
        {0.1 + 0.2, "0,3"},
        {-0.0, "0"},
        {-12.5, "-12,5"},
        {2.0 / 3.0, "0,666666666666667"},
        {536870912, "536870912"},
        {999999999999999, "999999999999999"},
        {1e15, "1E15"},
        {1e20, "1E20"},
        {0.0001, "0,0001"},
        {0.00001, "1E-5"},
        {-1.5e-7, "-1,5E-7"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(NumberText(value).toStdString(), text) << value;
    // Amounts, near-amounts and fractions of every size: the short way for
    // cents writes what the general form writes.
    std::mt19937_64 random(11);
    for (int i = 0; i < 30000; ++i) {
        const double cents = static_cast<double>(random() % 2'000'000'000'000'000ULL) /
                             std::pow(10.0, static_cast<double>(random() % 16));
        const double value =
            (i % 3 == 0 ? std::nextafter(cents, 1e300) : std::round(cents)) / 100.0 * (i % 2 ? -1 : 1);
        if (value != 0) {
            ASSERT_EQ(NumberText(value).toStdString(), amount::FormatGeneral15(value)) << value;
        }
    }
}

// Each bad workbook ends in a WorkbookError whose message tells the person
// what is wrong, never in a crash or in rows that are not in the file.
TEST(WorkbookReaders, BadWorkbooksAreRefusedWithAClearMessage)
{
    const std::pair<const char*, const char*> cases[] = {
        {"password.xls", "προστατεύεται με κωδικό πρόσβασης"},
        {"error-cell.xls", "Το κελί C2 του πρώτου φύλλου έχει σφάλμα (#DIV/0!)"},
        {"error-cell.ods", "Το κελί C2 του πρώτου φύλλου έχει σφάλμα (#DIV/0!)"},
        {"error-cell.xlsx", "Το κελί C2 του πρώτου φύλλου έχει σφάλμα (#DIV/0!)"},
        {"line-break.xls", "Το κελί B2 του πρώτου φύλλου έχει κείμενο σε περισσότερες από μία γραμμές"},
        {"line-break.xlsx", "Το κελί B2 του πρώτου φύλλου έχει κείμενο σε περισσότερες από μία γραμμές"},
        {"line-break.ods", "Το κελί B2 του πρώτου φύλλου έχει κείμενο σε περισσότερες από μία γραμμές"},
        {"empty-first-sheet.xls", "Το πρώτο φύλλο του βιβλίου εργασίας δεν έχει στοιχεία"},
        {"empty-first-sheet.xlsx", "Το πρώτο φύλλο του βιβλίου εργασίας δεν έχει στοιχεία"},
        {"empty-first-sheet.ods", "Το πρώτο φύλλο του βιβλίου εργασίας δεν έχει στοιχεία"},
        // Only columns A to T are held, yet a million rows of them are too many.
        {"huge.xlsx", "πολύ μεγάλο για εισαγωγή (1048576 γραμμές επί 20 στήλες, από το A1 ως το T1048576)"},
        {"huge.ods", "πολύ μεγάλο για εισαγωγή (1048576 γραμμές επί 20 στήλες, από το A1 ως το T1048576)"},
        {"missing-string.xlsx", "κατεστραμμένο: το κελί B1 παραπέμπει σε κείμενο που δεν υπάρχει"},
        {"not-a-workbook.zip", "δεν είναι βιβλίο εργασίας .xlsx"},
    };
    for (const auto& [name, message] : cases) {
        const QByteArray bytes = Load(name);
        EXPECT_NE(ErrorOf([&] { return ReadKnown(View(bytes)); }).find(message), std::string::npos)
            << name << ": " << ErrorOf([&] { return ReadKnown(View(bytes)); });
    }

    // A reader given another kind of file, or none.
    EXPECT_NE(ErrorOf([] { return ReadXls(DataPath("payroll.xlsx")); }).find("(.xls)"), std::string::npos);
    EXPECT_NE(ErrorOf([] { return ReadXlsx(DataPath("payroll.xls")); }).find(".xlsx"), std::string::npos);
    EXPECT_NE(ErrorOf([] { return ReadOds(DataPath("payroll.xlsx")); }).find(".ods"), std::string::npos);
    EXPECT_NE(ErrorOf([] { return ReadXls(DataPath("no-such-file.xls")); }).find("«no-such-file.xls»"),
              std::string::npos);
    EXPECT_EQ(DetectFormat(View(Load("payroll.expected"))), Format::Unknown);
}

// A file cut short anywhere is refused; damaged bytes anywhere end in rows or
// a refusal, never a crash (the fuzz targets go much further).
TEST(WorkbookReaders, TruncatedAndDamagedFilesNeverCrash)
{
    for (const char* name : {"payroll.xls", "payroll.xlsx", "payroll.ods"}) {
        const QByteArray whole = Load(name);
        for (int cut = 0; cut < 16; ++cut) {
            const QByteArray part = whole.left(whole.size() * cut / 16);
            EXPECT_NE(ErrorOf([&] { return ReadKnown(View(part)); }), "(no error)") << name << " cut " << cut;
        }
        uint32_t seed = 12345;
        for (int round = 0; round < 200; ++round) {
            QByteArray damaged = whole;
            for (int i = 0; i < 4; ++i) {
                seed = seed * 1103515245 + 12345;
                damaged[static_cast<qsizetype>(seed % static_cast<uint32_t>(damaged.size()))] =
                    static_cast<char>(seed >> 24);
            }
            try {
                ReadKnown(View(damaged));
            } catch (const WorkbookError&) {
            }
        }
    }
}

namespace {

// A compound file holding `stream` as its workbook stream.
QByteArray CompoundFile(const QByteArray& stream, const char* streamName = "Workbook")
{
    gsf_init();
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* file = gsf_outfile_msole_new(memory);
    GsfOutput* child = gsf_outfile_new_child(GSF_OUTFILE(file), streamName, FALSE);
    gsf_output_write(child, static_cast<size_t>(stream.size()),
                     reinterpret_cast<const guint8*>(stream.constData()));
    gsf_output_close(child);
    g_object_unref(child);
    gsf_output_close(GSF_OUTPUT(file));
    g_object_unref(file);
    const auto* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
    QByteArray result(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(gsf_output_size(memory)));
    g_object_unref(memory);
    return result;
}

QByteArray Record(uint16_t type, const QByteArray& body)
{
    QByteArray r;
    for (uint16_t v : {type, static_cast<uint16_t>(body.size())}) {
        r.append(static_cast<char>(v & 0xFF));
        r.append(static_cast<char>(v >> 8));
    }
    return r + body;
}

QByteArray Le(std::initializer_list<uint16_t> values)
{
    QByteArray r;
    for (uint16_t v : values) {
        r.append(static_cast<char>(v & 0xFF));
        r.append(static_cast<char>(v >> 8));
    }
    return r;
}

// A workbook stream of `version` with one worksheet holding `cells`.
QByteArray Biff(uint16_t version, const QByteArray& globals, const QByteArray& cells)
{
    const QByteArray bof = Record(0x0809, Le({version, 0x0005, 0, 0}));
    const QByteArray tail = Record(0x000A, {});
    QByteArray head = bof + globals;
    const int sheetStart = static_cast<int>(head.size() + 4 + 10 + tail.size());
    QByteArray boundSheet =
        Le({static_cast<uint16_t>(sheetStart & 0xFFFF), static_cast<uint16_t>(sheetStart >> 16)});
    boundSheet += QByteArray("\x00\x00\x01", 3) + "S";
    if (version == 0x0600)
        boundSheet.insert(7, '\x00'); // the name's flags byte
    head += Record(0x0085, boundSheet);
    head = bof + globals + Record(0x0085, boundSheet) + tail;
    // The sheet's offset must match where it really starts.
    const int start = static_cast<int>(head.size());
    head.replace(bof.size() + globals.size() + 4, 4,
                 Le({static_cast<uint16_t>(start & 0xFFFF), static_cast<uint16_t>(start >> 16)}));
    return head + Record(0x0809, Le({version, 0x0010, 0, 0})) + cells + tail;
}

} // namespace

// Excel 5.0/95 workbooks keep their texts as bytes of the code page they name;
// a text cell that points past the shared strings is a damaged file.
TEST(WorkbookReaders, OlderWorkbooksAndDamagedStringReferences)
{
    const QByteArray greek = QByteArray("\xD0\xC1\xD0\xC1", 4); // ΠΑΠΑ in cp1253
    const QByteArray label = Record(0x0204, Le({0, 1, 15, static_cast<uint16_t>(greek.size())}) + greek);
    const QByteArray number = Record(0x027E, Le({0, 0, 15}) + Le({0x0000 | (10 << 2 | 2), 0})); // RK 10
    const QByteArray biff5 = Biff(0x0500, Record(0x0042, Le({1253})), number + label);
    EXPECT_EQ(RowsOf(ReadXlsData(View(CompoundFile(biff5, "Book")))), QStringList{QStringLiteral("10|ΠΑΠΑ")});

    const QByteArray sst = Record(0x00FC, Le({1, 0, 1, 0, 1}) + QByteArray("\x00", 1) + "A");
    const QByteArray pastEnd = Record(0x00FD, Le({2, 3, 15, 1, 0}));
    const std::string error =
        ErrorOf([&] { return ReadXlsData(View(CompoundFile(Biff(0x0600, sst, pastEnd)))); });
    EXPECT_NE(error.find("το κελί D3 παραπέμπει σε κείμενο που δεν υπάρχει"), std::string::npos) << error;
    const QByteArray inRange = Record(0x00FD, Le({2, 3, 15, 0, 0}));
    EXPECT_EQ(ReadXlsData(View(CompoundFile(Biff(0x0600, sst, inRange)))).Cell(2, 3), QStringLiteral("A"));
}

// Found by fuzzing: a file of a few bytes that begins like a zip archive, and
// a package whose member claims four gigabytes, are refused like any other
// bad file instead of escaping with a library error or exhausting memory.
TEST(WorkbookReaders, ShortZipsAndOversizedMembersAreRefused)
{
    const QByteArray shortZip("PK\x03\x04\x00\x06", 6);
    EXPECT_EQ(DetectFormat(View(shortZip)), Format::Xlsx);
    EXPECT_NE(ErrorOf([&] { return ReadXlsxData(View(shortZip)); }).find(".xlsx"), std::string::npos);

    // The compressed and the inflated size of the first member in the zip directory.
    for (int field : {20, 24}) {
        QByteArray bomb = Load("payroll.xlsx");
        const qsizetype directory = bomb.indexOf(QByteArray("PK\x01\x02", 4));
        ASSERT_GT(directory, 0);
        bomb.replace(directory + field, 4, QByteArray("\x1F\xFF\xFF\xFF", 4));
        EXPECT_NE(ErrorOf([&] { return ReadXlsxData(View(bomb)); }).find("πολύ μεγάλο"), std::string::npos)
            << field;
        EXPECT_NE(ErrorOf([&] { return ReadOdsData(View(bomb)); }).find("πολύ μεγάλο"), std::string::npos)
            << field;
    }
}

// A file's bytes are read where a reader asks for them, cut at its end, and
// let go again; what cannot be opened as a file is refused.
TEST(WorkbookReaders, FileBytesAreReadWhereNeededAndLetGo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.bin"));
    QByteArray pattern;
    for (int i = 0; i < 10000; ++i)
        pattern.append(static_cast<char>('a' + i % 26));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(pattern) == pattern.size());
    out.close();
    const FileBytes file(path);
    EXPECT_EQ(FileBytes::Backing(file.View()), &file);
    EXPECT_EQ(FileBytes::Backing(file.View().substr(1)), nullptr);
    file.Load(4096, 10);
    file.Load(9990, 100);
    EXPECT_EQ(std::string(file.View().substr(4096, 10)) + file.View()[0] +
                  std::string(file.View().substr(9990)),
              (pattern.mid(4096, 10) + '\0' + pattern.mid(9990)).toStdString());
    file.Release(0, 10000);
    EXPECT_EQ(file.View()[4100], '\0');
    for (const QString& bad : {dir.path(), dir.filePath(QStringLiteral("missing.xlsx"))})
        EXPECT_NE(ErrorOf([&] {
                      const FileBytes opened(bad);
                      return Sheet();
                  }).find("Δεν ήταν δυνατό να ανοιχτεί"),
                  std::string::npos);
}

// Records LibreOffice does not write but Excel does: several numbers in one
// record, truth values and errors, a text formula result split over a
// continuation, a chart sheet before the first worksheet and a chart drawn
// inside it, the ways a stream can be cut or locked, and continuations
// that hold nothing.
TEST(WorkbookReaders, XlsRecordsOfEveryKindOfCell)
{
    // The stream owns its bytes: a view into a temporary workbook would
    // dangle before the reader looks at it.
    auto stream = [](const QByteArray& cells, const QByteArray& globals = {}) {
        return Biff(0x0600, globals, cells).toStdString();
    };
    const QByteArray mulRk =
        Record(0x00BD, Le({0, 0, 15, 4 << 2 | 2, 0, 15, 0x0001, 0x4059, 2})); // 4, then 100 / 100
    const QByteArray boolean = Record(0x0205, Le({1, 0, 15}) + QByteArray("\x01\x00", 2));
    const QByteArray formulaText = Record(0x0006, Le({1, 1, 15, 0, 0, 0, 0xFFFF, 0, 0, 0}));
    const QByteArray text = Record(0x0207, Le({3}) + QByteArray("\x00", 1) + "AB") +
                            Record(0x003C, QByteArray("\x01", 1) + QByteArray("\xA3\x03", 2));
    const QByteArray chart = Record(0x0809, Le({0x0600, 0x0020, 0, 0})) +
                             Record(0x0203, Le({5, 5, 15, 0, 0, 0, 0})) + Record(0x000A, {});
    const Sheet sheet = ReadXlsStream(stream(mulRk + boolean + formulaText + text + chart));
    EXPECT_EQ(RowsOf(sheet), (QStringList{QStringLiteral("4|1"), QStringLiteral("True|ABΣ")}));

    const QByteArray error = Record(0x0205, Le({0, 2, 15}) + QByteArray("\x2A\x01", 2));
    EXPECT_NE(
        ErrorOf([&] { return ReadXlsStream(stream(error)); }).find("C1 του πρώτου φύλλου έχει σφάλμα (#N/A)"),
        std::string::npos);
    const QByteArray filePass = Record(0x002F, Le({1, 1, 1}));
    EXPECT_NE(ErrorOf([&] { return ReadXlsStream(stream(boolean, filePass)); }).find("κωδικό"),
              std::string::npos);
    const QByteArray whole = Biff(0x0600, {}, boolean);
    EXPECT_NE(ErrorOf([&] { return ReadXlsStream(View(whole.left(whole.size() - 4))); }).find("κομμένο"),
              std::string::npos);
    EXPECT_NE(ErrorOf([&] {
                  return ReadXlsStream(View(Record(0x0209, Le({0, 0x10}))));
              }).find("πολύ παλιά"),
              std::string::npos);

    // A shared text split over an empty continuation goes on in the next one,
    // which starts with the flags byte: the empty one holds nothing to read.
    const QByteArray split =
        Record(0x00FC, Le({2, 0, 2, 0, 3}) + QByteArray("\x00", 1) + "AB") + Record(0x003C, {}) +
        Record(0x003C, QByteArray("\x00", 1) + "C" + Le({1}) + QByteArray("\x00", 1) + "D");
    const QByteArray labels = Record(0x00FD, Le({0, 0, 15, 0, 0})) + Record(0x00FD, Le({0, 1, 15, 1, 0}));
    EXPECT_EQ(RowsOf(ReadXlsStream(stream(labels, split))), QStringList(QStringLiteral("ABC|D")));
    // A text that only cells past T use is passed over, even one that runs
    // on into a continuation; the texts after it are read as they stand.
    const QByteArray beside = Record(0x00FD, Le({0, 25, 15, 0, 0})) + Record(0x00FD, Le({0, 0, 15, 1, 0})) +
                              Record(0x00FD, Le({1, 30, 15, 9, 0}));
    const Sheet notes = ReadXlsStream(stream(beside, split));
    EXPECT_EQ(notes.Rows() * 100 + notes.Columns(), 220);
    EXPECT_EQ(notes.Cell(0, 0), QStringLiteral("D"));
}

// Rows and cells repeated, covered cells of a merge, comments, blanks written
// out and collapsed, several paragraphs, and values of every type.
TEST(WorkbookReaders, OdsContentOfEveryKind)
{
    const QByteArray content = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0">
<office:body><office:spreadsheet><table:table table:name="A">
 <table:table-row table:number-rows-repeated="2">
  <table:table-cell office:value-type="float" office:value="7" table:number-columns-repeated="2"/>
  <table:table-cell table:number-columns-spanned="2" office:value-type="string"><text:p>ΣΥΓ<text:span>ΧΩΝ</text:span></text:p></table:table-cell>
  <table:covered-table-cell/>
  <table:table-cell office:value-type="string"><office:annotation><text:p>σχόλιο</text:p></office:annotation><text:p>  α   β<text:s text:c="2"/>γ</text:p></table:table-cell>
 </table:table-row>
 <table:table-row-group><table:table-row>
  <table:table-cell table:formula="of:=1+1" office:value-type="float" office:value="2"/>
  <table:table-cell table:formula="of:=&quot;&quot;"><text:p/></table:table-cell>
  <table:table-cell office:value-type="boolean" office:boolean-value="false"/>
  <table:table-cell office:value-type="percentage" office:value="0.25"/>
  <table:table-cell><text:p><text:a>ΣΥΝΔΕΣΜΟΣ</text:a></text:p></table:table-cell>
 </table:table-row></table:table-row-group>
</table:table><table:table table:name="B"><table:table-row><table:table-cell office:value-type="string"><text:p>B</text:p></table:table-cell></table:table-row></table:table>
</office:spreadsheet></office:body></office:document-content>)";
    EXPECT_EQ(RowsOf(ReadOdsContent(View(content))),
              (QStringList{QStringLiteral("7|7|ΣΥΓΧΩΝ||α β  γ"), QStringLiteral("7|7|ΣΥΓΧΩΝ||α β  γ"),
                           QStringLiteral("2||False|0,25|ΣΥΝΔΕΣΜΟΣ")}));

    // Dates and times, a formula whose number was never saved or that has no
    // result at all (not even the empty paragraph of empty text) where other
    // formulas have theirs, a value type without its value, a number that is
    // no finite number, and empty formula results in a sheet where no formula
    // was calculated.
    const std::pair<QByteArray, const char*> refusals[] = {
        {R"(office:value-type="date" office:date-value="2024-01-31")",
         "A3 του πρώτου φύλλου έχει ημερομηνία"},
        {R"(office:value-type="time" office:time-value="PT12H00M00S")",
         "A3 του πρώτου φύλλου έχει ημερομηνία"},
        {R"(table:formula="of:=1+1" office:value-type="float")", "A3 του πρώτου φύλλου έχει τύπο χωρίς"},
        {R"(table:formula="of:=1+1")", "A3 του πρώτου φύλλου έχει τύπο χωρίς"},
        {R"(office:value-type="float")", "A3 του πρώτου φύλλου δηλώνει τιμή είδους «float» χωρίς"},
        {R"(office:value-type="boolean")", "A3 του πρώτου φύλλου δηλώνει τιμή είδους «boolean» χωρίς"},
        {R"(office:value-type="float" office:value="1e400")",
         "A3 του πρώτου φύλλου δηλώνει αριθμό, αλλά η τιμή του «1e400»"},
        {R"(office:value-type="currency" office:value="NaN")", "«NaN»"},
        {R"(office:value-type="float" office:value="")", "«»"},
    };
    for (const auto& [cell, message] : refusals) {
        QByteArray changed = content;
        changed.replace(R"(table:formula="of:=1+1" office:value-type="float" office:value="2")", cell);
        EXPECT_NE(ErrorOf([&] { return ReadOdsContent(View(changed)); }).find(message), std::string::npos)
            << cell.constData();
    }

    QByteArray twoLines = content;
    twoLines.replace("<text:p>B</text:p>", "");
    twoLines.replace("ΣΥΓ<text:span>", "ΣΥΓ</text:p><text:p><text:span>");
    EXPECT_NE(
        ErrorOf([&] { return ReadOdsContent(View(twoLines)); }).find("C1 του πρώτου φύλλου έχει κείμενο σε"),
        std::string::npos);
    EXPECT_NE(ErrorOf([&] { return ReadOdsContent(View(content.left(content.size() / 2))); }).find(".ods"),
              std::string::npos);
}

// A column formatted as text carries a default cell style; it once stopped
// the whole program inside the reader. Tax numbers keep their leading zeros.
TEST(WorkbookReaders, TextFormattedColumnKeepsItsTexts)
{
    const QStringList rows = RowsOf(ReadOds(DataPath("text-column.ods")));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0].startsWith(QStringLiteral("090000045|ΠΑΠΑΔΟΠΟΥΛΟΣ|"))) << rows[0].toStdString();
    EXPECT_TRUE(rows[2].startsWith(QStringLiteral("000000000|"))) << rows[2].toStdString();
}

namespace {

// content.xml around the rows of a first table and what follows that table.
QByteArray OdsContent(const QByteArray& rows, const QByteArray& after = {})
{
    return R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:x="urn:example:other"><office:body><office:spreadsheet><table:table>)" +
           rows + "</table:table>" + after;
}

QByteArray StringCell(const QByteArray& paragraphs)
{
    return R"(<table:table-cell office:value-type="string">)" + paragraphs + "</table:table-cell>";
}

} // namespace

// Text comes from the parser in pieces: at every reference and every few
// hundred characters. Blanks collapse across the pieces as within one, and
// only the text and office namespaces' own elements are paragraphs and spaces.
TEST(WorkbookReaders, OdsTextAcrossReferencesAndPieces)
{
    const QByteArray longRun = QByteArray(297, 'a') + "      b";
    const QByteArray row =
        "<table:table-row>" +
        StringCell("<text:p>  x  &amp;  &#x3A3;&lt;<text:span> </text:span>y  </text:p>") +
        StringCell("<text:p>" + longRun + "</text:p>") +
        R"(<table:table-cell office:value-type="string" office:string-value="x&amp;y &#x3A3;&quot;"/>)" +
        StringCell("<text:p>a<x:s/><x:p>b</x:p><text:s/>c</text:p><x:p>d</x:p>") + "</table:table-row>";
    const QByteArray content =
        OdsContent(row, "</office:spreadsheet></office:body></office:document-content>");
    EXPECT_EQ(
        RowsOf(ReadOdsContent(View(content))),
        QStringList(QStringLiteral("x & Σ< y |") + QString(297, u'a') + QStringLiteral(" b|x&y Σ\"|ab c")));

    // A prefix that names no namespace, and a document of another kind.
    QByteArray undeclared = content;
    undeclared.replace("<x:s/>", "<y:s/>");
    EXPECT_NE(ErrorOf([&] { return ReadOdsContent(View(undeclared)); }).find(".ods"), std::string::npos);
    EXPECT_NE(ErrorOf([] { return ReadOdsContent("<other/>"); }).find(".ods"), std::string::npos);
}

// The reading ends with the first table: what comes after it, an error cell,
// damaged or missing XML, is never looked at. A body without a table ends it too.
TEST(WorkbookReaders, OdsReadingEndsWithTheFirstTable)
{
    const QByteArray row = "<table:table-row>" + StringCell("<text:p>A</text:p>") + "</table:table-row>";
    const QByteArray errorTable = R"(<table:table><table:table-row><table:table-cell office:value-type="float"
 office:value="0" xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"
 calcext:value-type="error"><text:p>#N/A</text:p></table:table-cell></table:table-row></table:table>)";
    for (const QByteArray& after : {errorTable, errorTable + "<unclosed <", QByteArray()})
        EXPECT_EQ(RowsOf(ReadOdsContent(View(OdsContent(row, after)))), QStringList(QStringLiteral("A")));
    EXPECT_NE(
        ErrorOf([&] { return ReadOdsContent(View(OdsContent(row + "<table:table-row>"))); }).find(".ods"),
        std::string::npos);

    QByteArray first = OdsContent(row, errorTable);
    first.replace("<table:table>" + row + "</table:table>", "");
    EXPECT_NE(
        ErrorOf([&] { return ReadOdsContent(View(first)); }).find("A1 του πρώτου φύλλου έχει σφάλμα (#N/A)"),
        std::string::npos);
    first.replace("<office:body>", "<office:body></office:body>");
    EXPECT_NE(ErrorOf([&] { return ReadOdsContent(View(first)); }).find("δεν έχει φύλλο εργασίας"),
              std::string::npos);
}

// A content of more than 16 megabytes in memory, as the fuzz target hands it
// over, is read: the parser refuses to look ten megabytes ahead, so it must
// never be handed that much at a time.
TEST(WorkbookReaders, OdsContentOfManyMegabytesIsRead)
{
    QByteArray styles = "<office:automatic-styles>";
    styles.append(QByteArray("<a/>").repeated(4'500'000)).append("</office:automatic-styles>");
    QByteArray content =
        OdsContent("<table:table-row>" + StringCell("<text:p>A</text:p>") + "</table:table-row>");
    content.replace("<office:body>", styles + "<office:body>");
    EXPECT_EQ(RowsOf(ReadOdsContent(View(content))), QStringList(QStringLiteral("A")));
}

// Found by fuzzing: a last row far wider than the many rows above it widens
// the block one column at a time. Every row held must not move for every
// column, or the reading of the widest such sheet takes minutes; and the rows
// close up to the block's width when it is taken. A cell repeated past the
// last column of any sheet is refused before the row holds it that often.
TEST(WorkbookReaders, RowWiderThanManyRowsAboveIt)
{
    const QByteArray number = R"(<table:table-cell office:value-type="float" office:value=")";
    for (const auto& [repeats, width] : {std::pair{730, 16384}, std::pair{2, 5}}) {
        const QByteArray rows =
            "<table:table-row>" + StringCell("<text:p>a</text:p>") + StringCell("<text:p>b</text:p>") +
            R"(</table:table-row><table:table-row table:number-rows-repeated=")" +
            QByteArray::number(repeats) + R"(">)" + number + R"(1"/>)" + StringCell("<text:p>c</text:p>") +
            "</table:table-row><table:table-row>" + number + R"(2" table:number-columns-repeated=")" +
            QByteArray::number(width) + R"("/></table:table-row>)";
        const Sheet sheet = ReadOdsContent(View(OdsContent(rows)));
        ASSERT_EQ(sheet.Rows(), repeats + 2);
        // A row wider than T is held up to T.
        const int held = std::min(width, 20);
        ASSERT_EQ(sheet.Columns(), held);
        EXPECT_EQ(sheet.Cell(0, 0) + sheet.Cell(0, 1) + sheet.Cell(0, 2), QStringLiteral("ab"));
        EXPECT_EQ(sheet.Cell(1, 0) + sheet.Cell(repeats, 1) + sheet.Cell(repeats, 2), QStringLiteral("1c"));
        EXPECT_EQ(sheet.Cell(repeats + 1, 0) + sheet.Cell(repeats + 1, held - 1), QStringLiteral("22"));
    }
    // A value claimed for more columns than a sheet has is held up to T only.
    const QByteArray past = "<table:table-row>" + number + R"(1" table:number-columns-repeated="11999999"/>)";
    EXPECT_EQ(ReadOdsContent(View(OdsContent(past + "</table:table-row>"))).Columns(), 20);
}

// What stands past T is never read: a date, an error, a text of two lines, a
// formula without a result and a number that is none cost nothing and refuse
// nothing. A row that holds something only there still reaches T, as the used
// block of the sheet does, and a cell repeated across T is held up to it.
TEST(WorkbookReaders, NothingPastColumnTIsRead)
{
    const QByteArray number = R"(<table:table-cell office:value-type="float" office:value="1")";
    const QByteArray ods =
        "<table:table-row>" + number + R"( table:number-columns-repeated="19"/>)" +
        R"(<table:table-cell office:value-type="string"><text:p>T</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="date" office:date-value="2024-01-31"/>)"
        R"(<table:table-cell table:formula="of:=1/0" office:value-type="string" )"
        R"(xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0" )"
        R"(calcext:value-type="error"><text:p>#DIV/0!</text:p></table:table-cell>)"
        R"(<table:table-cell office:value-type="string"><text:p>α</text:p><text:p>β</text:p></table:table-cell>)"
        R"(<table:table-cell table:formula="of:=1+1"/>)"
        R"(<table:table-cell office:value-type="float" office:value="1e999"/></table:table-row><table:table-row><table:table-cell table:number-columns-repeated="30"/>)"
        R"(<table:table-cell office:value-type="string"><text:p>σημείωση</text:p></table:table-cell>)"
        "</table:table-row><table:table-row>" +
        number + R"( table:number-columns-repeated="25"/></table:table-row>)";
    const Sheet odsSheet = ReadOdsContent(View(OdsContent(ods)));
    ASSERT_EQ(odsSheet.Columns(), 20);
    ASSERT_EQ(odsSheet.Rows(), 3);
    EXPECT_EQ(odsSheet.Cell(0, 18) + odsSheet.Cell(0, 19) + odsSheet.Cell(1, 19) + odsSheet.Cell(2, 19),
              QStringLiteral("1T1"));

    // The same in .xls records: a date-formatted number, an error, a label of
    // two lines, a formula whose text never follows, numbers that run across T.
    QByteArray dateXf;
    for (int i = 0; i < 16; ++i)
        dateXf += Record(0x00E0, Le({0, static_cast<uint16_t>(i == 15 ? 14 : 0), 0, 0, 0, 0, 0, 0, 0, 0}));
    const QByteArray xlsCells =
        Record(0x0203, Le({0, 0, 0, 0, 0, 0, 0x3FF0})) +                                        // A1 = 1
        Record(0x00BD, Le({0, 18, 0, 3 << 2 | 2, 0, 0, 4 << 2 | 2, 0, 0, 5 << 2 | 2, 0, 20})) + // S1:U1
        Record(0x0203, Le({0, 21, 15, 0, 0, 0, 0x40E0})) +                                      // V1, a date
        Record(0x0205, Le({0, 22, 0}) + QByteArray("\x2A\x01", 2)) +                            // W1 = #N/A
        Record(0x0204, Le({0, 23, 0, 3}) + QByteArray("\x00", 1) + "a\nb") + // X1, two lines
        Record(0x0006, Le({1, 30, 0, 0, 0, 0, 0xFFFF, 2, 0, 0}));            // AE2, no text follows
    const Sheet xls = ReadXlsStream(Biff(0x0600, dateXf, xlsCells).toStdString());
    ASSERT_EQ(xls.Columns(), 20);
    ASSERT_EQ(xls.Rows(), 2);
    EXPECT_EQ(xls.Cell(0, 0) + xls.Cell(0, 18) + xls.Cell(0, 19) + xls.Cell(1, 19), QStringLiteral("134"));
    // Inside A to T each of them is refused, naming its cell; so is a formula
    // whose result the writer marked to be calculated when opened (a stand-in)
    // and a number that is no finite number.
    const std::pair<QByteArray, const char*> refusals[] = {
        {Record(0x0203, Le({0, 2, 15, 0, 0, 0, 0x40E0})), "C1 του πρώτου φύλλου έχει ημερομηνία"},
        {Record(0x0006, Le({1, 3, 0, 0, 0, 0, 0, 2, 0, 0})), "D2 του πρώτου φύλλου έχει τύπο χωρίς"},
        {Record(0x0203, Le({0, 4, 0, 0, 0, 0, 0x7FF0})), "E1 του πρώτου φύλλου δηλώνει αριθμό"},
        {Record(0x0006, Le({0, 5, 0, 0, 0, 0, 0x7FF8, 0, 0, 0})), "F1 του πρώτου φύλλου δηλώνει αριθμό"},
    };
    for (const auto& [record, message] : refusals)
        EXPECT_NE(
            ErrorOf([&] { return ReadXlsStream(Biff(0x0600, dateXf, record).toStdString()); }).find(message),
            std::string::npos)
            << message;
}
