#include "dataset/DataSetErrors.h"
#include "text/AmountText.h"
#include "text/ConvertError.h"
#include "text/Cp1253.h"
#include "declaration/DeclarationFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

using namespace declaration;

namespace {

// Record data is cp1253; the source is UTF-8.
std::string cp(const char* utf8)
{
    return cp1253::fromUnicode(QString::fromUtf8(utf8));
}

// A device that takes or gives `limit` bytes and then fails, as a full disk or
// a dropped network share does in the middle of a file.
class FailingDevice : public QIODevice
{
public:
    FailingDevice(qint64 limit, std::string content = {}) : m_limit(limit), m_content(std::move(content)) {}

    const std::string& Written() const { return m_written; }
    bool isSequential() const override { return true; }

protected:
    qint64 writeData(const char* data, qint64 len) override
    {
        const qint64 room = m_limit - static_cast<qint64>(m_written.size());
        if (room <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 n = std::min(room, len);
        m_written.append(data, static_cast<size_t>(n));
        return n;
    }

    qint64 readData(char* data, qint64 maxlen) override
    {
        if (m_read >= m_limit) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = std::min({maxlen, m_limit - m_read, static_cast<qint64>(m_content.size()) - m_read});
        std::copy_n(m_content.data() + m_read, n, data);
        m_read += n;
        return n;
    }

private:
    qint64 m_limit;
    std::string m_content;
    std::string m_written;
    qint64 m_read = 0;
};

std::string readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = f.readAll();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

std::string written(const QDate& today, const EmployerHeader& header,
                    const std::array<std::string, 9>& totals,
                    const std::vector<TFixedFormatDataSet::TLine>& rows)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteDeclaration(buffer, today, header, totals, rows);
    return bytes.toStdString();
}

ReadResult readBack(const std::string& bytes)
{
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return ReadDeclaration(buffer);
}

const char* statusName(ReadStatus s)
{
    switch (s) {
    case ReadStatus::Ok:
        return "Ok";
    case ReadStatus::NotADeclaration:
        return "NotADeclaration";
    case ReadStatus::BadRecordKind:
        return "BadRecordKind";
    case ReadStatus::BadLineLength:
        return "BadLineLength";
    case ReadStatus::ReadFailed:
        return "ReadFailed";
    case ReadStatus::AmountTooLarge:
        return "AmountTooLarge";
    }
    return "?";
}

// ---- golden cases: tests/data/declaration/<case>/, the expected bytes made by hand from the record rules

const QString kGoldenRoot = QStringLiteral(ROZARO_TEST_DATA "/declaration/");

std::vector<std::string> goldenCases(const char* prefix)
{
    std::vector<std::string> cases;
    for (const QString& name : QDir(kGoldenRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (name.startsWith(QLatin1String(prefix)))
            cases.push_back(name.toStdString());
    return cases;
}

std::string golden(const std::string& name, const char* file)
{
    return readFile(kGoldenRoot + QString::fromStdString(name) + QLatin1Char('/') + QLatin1String(file));
}

EmployerHeader parseHeader(const std::string& text)
{
    EmployerHeader h;
    const std::map<std::string, std::string*> fields = {{"YearOfData", &h.YearOfData},
                                                        {"AFM", &h.AFM},
                                                        {"CompanyName", &h.CompanyName},
                                                        {"Name", &h.Name},
                                                        {"FatherName", &h.FatherName},
                                                        {"AntikeimenoErgasion", &h.AntikeimenoErgasion},
                                                        {"Town", &h.Town},
                                                        {"Street", &h.Street},
                                                        {"Number", &h.Number},
                                                        {"TK", &h.TK}};
    for (const std::string& line : splitLines(text)) {
        const size_t eq = line.find('=');
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "NaturalPerson")
            h.NaturalPerson = value == "1";
        else
            *fields.at(key) = value;
    }
    return h;
}

class WriteGolden : public testing::TestWithParam<std::string>
{
};

TEST_P(WriteGolden, WritesTheExpectedBytes)
{
    const std::string name = GetParam();
    const EmployerHeader header = parseHeader(golden(name, "header"));
    const QDate today = QDate::fromString(QString::fromStdString(splitLines(golden(name, "today")).at(0)),
                                          QStringLiteral("yyyyMMdd"));
    std::array<std::string, 9> totals;
    const std::vector<std::string> totalLines = splitLines(golden(name, "totals"));
    std::copy_n(totalLines.begin(), std::min<size_t>(9, totalLines.size()), totals.begin());
    std::vector<TFixedFormatDataSet::TLine> rows;
    for (const std::string& line : splitLines(golden(name, "rows")))
        rows.push_back({line, 0});

    EXPECT_EQ(written(today, header, totals, rows), golden(name, "expected"));
}

INSTANTIATE_TEST_SUITE_P(Declaration, WriteGolden, testing::ValuesIn(goldenCases("write_")),
                         [](const auto& testCase) { return testCase.param; });

class ReadGolden : public testing::TestWithParam<std::string>
{
};

TEST_P(ReadGolden, AcceptsOrRefusesAsExpected)
{
    const std::string name = GetParam();
    const ReadResult r = readBack(golden(name, "input"));
    EXPECT_EQ(statusName(r.status), splitLines(golden(name, "expected-status")).at(0));
    EXPECT_EQ(r.employerLines, splitLines(golden(name, "expected-generaldata")));
    EXPECT_EQ(r.detailLines, splitLines(golden(name, "expected-record2")));
}

INSTANTIATE_TEST_SUITE_P(Declaration, ReadGolden, testing::ValuesIn(goldenCases("read_")),
                         [](const auto& testCase) { return testCase.param; });

TEST(DeclarationGolden, AllCasesFound)
{
    EXPECT_GE(goldenCases("write_").size(), 3u);
    EXPECT_GE(goldenCases("read_").size(), 15u);
}

// ---- layout

TEST(DetailLayout, SchemaMatchesTheRecordPositions)
{
    const std::vector<std::string> schema = DetailSchema();
    ASSERT_EQ(schema.size(), 23u);
    EXPECT_EQ(schema.front(), "RecordType=1");
    EXPECT_EQ(schema[AkaInc], "AkaInc=10");
    EXPECT_EQ(schema.back(), "FILLER2=4");
    // 1-based positions of the amounts and the days in a record 3.
    const std::map<DetailField, int> positions = {{AkaInc, 80},        {Xartosimo, 90}, {OGAXart, 98},
                                                  {Kratiseis, 105},    {Kathares, 114}, {ForosParakr, 124},
                                                  {ForosAnal, 133},    {Hmeres, 148},   {OGAForouParakr, 151},
                                                  {OGAForouAnal, 159}, {FILLER2, 167}};
    for (const auto& [field, position] : positions)
        EXPECT_EQ(DetailLayout()[field].offset + 1, position) << DetailLayout()[field].name;
    EXPECT_EQ(IncomeTypeSchema(), (std::vector<std::string>{"typeinc=2", "Desc=52"}));
}

TEST(DetailLayout, FieldTextReadsAsTheStoreDoes)
{
    const std::string line = "3123456783 ΑΒΓ   ";
    EXPECT_EQ(DetailFieldText(line, AFM), "123456783");
    EXPECT_EQ(DetailFieldText(line, FILLER), "");
    EXPECT_EQ(DetailFieldText(line, SurName), "ΑΒΓ");
    EXPECT_EQ(DetailFieldText(line, Name), "");
    EXPECT_EQ(DetailFieldText(std::string(170, ' ').replace(11, 3, "\t x"), SurName), "\t x");
}

// ---- records

TEST(Records, AmountsAreWholeCentsDaysAreZeroFilled)
{
    std::string line(170, ' ');
    line.replace(0, 1, "3");
    line.replace(79, 6, "1234,5");
    line.replace(147, 1, "7");
    const std::string r = Record3(line);
    ASSERT_EQ(r.size(), 170u);
    EXPECT_EQ(r.substr(79, 10), "0000123450");
    EXPECT_EQ(r.substr(89, 8), "00000000") << "an empty amount is zeros over the whole field";
    EXPECT_EQ(r.substr(147, 3), "007");
    EXPECT_EQ(r.substr(141, 6), "      ") << "the branch is a text field";
    EXPECT_EQ(r.substr(166), "    ");
}

TEST(Records, SignedDaysKeepTheirSignInFrontAndReadBack)
{
    std::string line(170, ' ');
    line.replace(0, 1, "3");
    line.replace(147, 2, "-5");
    const std::string r = Record3(line);
    EXPECT_EQ(r.substr(147, 3), "-05");
    std::string back;
    ASSERT_TRUE(Record3ToWorking(r, back));
    EXPECT_EQ(back.substr(147, 3), "-5 ");
}

TEST(Records, UnreadableAmountStopsTheWrite)
{
    std::string line(170, ' ');
    line.replace(89, 3, "1.5");
    EXPECT_THROW(Record3(line), EConvertError);
}

TEST(Records, ZeroTotalsWhenThereIsNoRowWhateverThePanelShows)
{
    const std::array<std::string, 9> totals = {"12", "1", "11", "0", "0", "0", "0", "0", "0"};
    EXPECT_EQ(Record2(totals, false), "2" + std::string(124, '0') + std::string(45, ' '));
    const std::string withRows = Record2(totals, true);
    EXPECT_EQ(withRows.substr(1, 15), "000000000001200");
    EXPECT_EQ(withRows.substr(16, 15), "000000000000100");
    EXPECT_EQ(withRows.size(), 170u);
}

TEST(Records, TextFieldsLongerThanTheirFieldAreWrittenWhole)
{
    EmployerHeader h;
    h.YearOfData = "2025";
    h.CompanyName = std::string(31, 'A');
    const std::string r = Record1(h);
    EXPECT_EQ(r.size(), 171u);
    EXPECT_EQ(r.substr(5, 31), h.CompanyName);
    EXPECT_EQ(r[36], '0');
}

TEST(Records, ConvertedAmountThatDoesNotFitRefusesTheLine)
{
    std::string fileLine = Record3(std::string(170, ' '));
    std::string out = "untouched";
    ASSERT_TRUE(Record3ToWorking(fileLine, out));
    EXPECT_EQ(out.substr(79, 10), "0         ");
    fileLine.replace(97, 7, "-999999"); // levy on stamp duty: -9999,99 is eight characters
    out = "untouched";
    EXPECT_FALSE(Record3ToWorking(fileLine, out));
    EXPECT_EQ(out, "untouched");
}

// ---- amounts too large for the file

TEST(Capacity, FirstOversizedAmountOfARow)
{
    std::string line(170, ' ');
    EXPECT_EQ(FirstOversizedAmount(line), std::nullopt);
    line.replace(79, 11, "99999999,99");
    line.replace(89, 8, "999999,9");
    EXPECT_EQ(FirstOversizedAmount(line), std::nullopt) << "the largest amounts that fit";
    line.replace(97, 7, "100000 ");
    EXPECT_EQ(FirstOversizedAmount(line), OGAXart);
    line.replace(89, 8, "1000000 ");
    EXPECT_EQ(FirstOversizedAmount(line), Xartosimo);
}

TEST(Capacity, FirstOversizedTotal)
{
    std::array<std::string, 9> totals = {
        "9999999999999,99", "0", "", "999999999999,99", "0", "0", "0", "0", "0"};
    EXPECT_EQ(FirstOversizedTotal(totals), std::nullopt);
    totals[5] = "100000000000"; // 12 wide: below 10^10
    EXPECT_EQ(FirstOversizedTotal(totals), 5);
    totals[3] = "1000000000000";
    EXPECT_EQ(FirstOversizedTotal(totals), 3);
    EXPECT_EQ(TotalsLayout()[3].field, ForosParakr);
}

// ---- writing through a device

TEST(Writing, AWriteErrorIsThrownWithTheDevicesReason)
{
    const std::vector<TFixedFormatDataSet::TLine> rows(5000, {std::string(170, ' '), 0});
    const std::string whole = written(QDate(2026, 12, 7), EmployerHeader{}, {}, rows);
    for (qint64 limit :
         {qint64(0), qint64(171), qint64(3 * 172), qint64(whole.size() / 2), qint64(whole.size() - 1)}) {
        FailingDevice device(limit);
        device.open(QIODevice::WriteOnly);
        try {
            WriteDeclaration(device, QDate(2026, 12, 7), EmployerHeader{}, {}, rows);
            ADD_FAILURE() << "no error after " << limit << " bytes";
        } catch (const EFileError& e) {
            EXPECT_STREQ(e.what(), "No space left on device");
        }
        EXPECT_EQ(device.Written(), whole.substr(0, static_cast<size_t>(limit)));
    }
    FailingDevice roomy(static_cast<qint64>(whole.size()));
    roomy.open(QIODevice::WriteOnly);
    WriteDeclaration(roomy, QDate(2026, 12, 7), EmployerHeader{}, {}, rows);
    EXPECT_EQ(roomy.Written(), whole);
}

// ---- reading

TEST(Reading, MessagesAndBeeps)
{
    EXPECT_STREQ(ReadStatusMessage(ReadStatus::NotADeclaration), "Μη έγκυρο αρχείο");
    EXPECT_STREQ(ReadStatusMessage(ReadStatus::BadRecordKind),
                 "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου");
    EXPECT_STREQ(ReadStatusMessage(ReadStatus::ReadFailed),
                 "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου");
    EXPECT_STREQ(ReadStatusMessage(ReadStatus::BadLineLength),
                 "Παρουσιάστηκε πρόβλημα κατά το άνοιγμα του αρχείου. Το μήκος της γραμμής είναι λανθασμένο");
    EXPECT_FALSE(ReadStatusBeeps(ReadStatus::NotADeclaration));
    EXPECT_TRUE(ReadStatusBeeps(ReadStatus::BadRecordKind));
    EXPECT_TRUE(ReadStatusBeeps(ReadStatus::BadLineLength));
    EXPECT_TRUE(ReadStatusBeeps(ReadStatus::ReadFailed));
}

TEST(Reading, ARefusalNamesTheLineAndKeepsNothing)
{
    const std::string rec1 = Record1(EmployerHeader{});
    const std::string rec3 = Record3("3");
    const ReadResult r = readBack("0JL10\r\n" + rec1 + "\r\n" + rec3 + "\r\n" + rec3.substr(0, 100) + "\r\n");
    EXPECT_EQ(r.status, ReadStatus::BadLineLength);
    EXPECT_EQ(r.failedLine, 4);
    EXPECT_TRUE(r.employerLines.empty());
    EXPECT_TRUE(r.detailLines.empty());
}

// The reader judges a file through a fixed buffer: a file that is no
// declaration is refused on its first bytes, a line break split between two
// reads is one break, and a line of any length is measured, not held.
TEST(Reading, LineByLineInAFixedBuffer)
{
    QByteArray archive(8 << 20, 'x');
    archive.replace(0, 4, "PK\x03\x04");
    QBuffer buffer(&archive);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadDeclaration(buffer).status, ReadStatus::NotADeclaration);
    EXPECT_LE(buffer.pos(), 64 * 1024);

    // The first line is 175 bytes, so the CR of the 380th record is the last
    // byte of the first 64 KiB and its LF the first of the next.
    const std::string rec3 = Record3("3");
    std::string file = "0JL10" + std::string(170, ' ') + "\r\n";
    for (int i = 0; i < 400; ++i)
        file += rec3 + "\r\n";
    ASSERT_EQ(file.substr(65535, 2), "\r\n");
    ReadResult r = readBack(file);
    EXPECT_EQ(statusName(r.status), std::string("Ok"));
    EXPECT_EQ(r.detailLines.size(), 400u);

    r = readBack("0JL10\n" + rec3 + "\n" + std::string(3 << 20, '3') + "\n");
    EXPECT_EQ(r.status, ReadStatus::BadLineLength);
    EXPECT_EQ(r.failedLine, 3);
}

// An amount the working row cannot hold names its row, tax number, field and
// value; the rows before it are not kept.
TEST(Reading, AnAmountTooLargeForItsRowIsNamed)
{
    std::string big = Record3("3");
    big.replace(1, 9, "123456783");
    EXPECT_EQ(FirstUnholdableAmount(big), std::nullopt);
    big.replace(113, 10, "9999999990"); // net pay 99999999,9 fits its ten characters
    EXPECT_EQ(FirstUnholdableAmount(big), std::nullopt);
    big.replace(150, 8, "-9999999"); // levy on tax withheld: -99999,99
    EXPECT_EQ(FirstUnholdableAmount(big), OGAForouParakr);
    big.replace(89, 8, "99999999"); // stamp duty: 999999,99
    EXPECT_EQ(FirstUnholdableAmount(big), Xartosimo);

    const ReadResult r = readBack("0JL10\r\n" + Record3("3") + "\r\n" + big + "\r\n");
    EXPECT_EQ(r.status, ReadStatus::AmountTooLarge);
    EXPECT_EQ(r.failedRow, 2);
    EXPECT_EQ(r.failedLine, 3);
    EXPECT_EQ(r.failedAfm, "123456783");
    EXPECT_EQ(r.failedField, Xartosimo);
    EXPECT_EQ(r.failedAmount, "999999,99");
    EXPECT_TRUE(r.detailLines.empty());
}

TEST(Reading, ADeviceErrorRefusesTheFile)
{
    // Records of their right kind: the file is judged as it is read, so the
    // device error must be the first fault the reader meets.
    const std::string rec3 = Record3("3");
    std::string file = "0JL10\r\n";
    for (int i = 0; i < 1000; ++i)
        file += rec3 + "\r\n";
    FailingDevice device(static_cast<qint64>(file.size() / 2), file);
    device.open(QIODevice::ReadOnly);
    const ReadResult r = ReadDeclaration(device);
    EXPECT_EQ(r.status, ReadStatus::ReadFailed);
    EXPECT_TRUE(r.detailLines.empty());
}

// ---- the employer record read back

TEST(EmployerLine, FieldsFromTheirPositions)
{
    EmployerHeader h;
    h.YearOfData = "2025";
    h.CompanyName = cp("ΔΗΜΟΣ ΑΘΗΝΑΙΩΝ");
    h.AFM = "090000045";
    h.AntikeimenoErgasion = cp("ΤΜΗΜΑ ΜΙΣΘΟΔΟΣΙΑΣ");
    h.AntikeimenoErgasion.resize(16);
    h.Town = cp("ΑΘΗΝΑ");
    h.Street = cp("ΑΘΗΝΑΣ");
    h.Number = "63";
    h.TK = "10552";
    h.NaturalPerson = true;
    const EmployerHeader back = LoadEmployerLine(Record1(h));
    EXPECT_EQ(back.YearOfData, h.YearOfData);
    EXPECT_EQ(back.CompanyName, h.CompanyName);
    EXPECT_EQ(back.Name, "");
    EXPECT_EQ(back.FatherName, "");
    EXPECT_EQ(back.AFM, h.AFM);
    EXPECT_EQ(back.AntikeimenoErgasion, h.AntikeimenoErgasion);
    EXPECT_EQ(back.Town, h.Town);
    EXPECT_EQ(back.Street, h.Street);
    EXPECT_EQ(back.Number, h.Number);
    EXPECT_EQ(back.TK, h.TK);
    EXPECT_EQ(Record1(h)[35], '1');
    EXPECT_FALSE(back.NaturalPerson) << "the header is always a legal entity";
    EXPECT_EQ(Record1(back)[35], '0');
}

TEST(EmployerLine, TheBodyNameKeepsTheBlanksWherePiecesMeet)
{
    auto nameOf = [](const std::string& name) {
        EmployerHeader h;
        h.CompanyName = name;
        return LoadEmployerLine(Record1(h));
    };
    // A blank at the 18th character is part of the name; the pieces that
    // make the first name and the father's name still lose theirs.
    const EmployerHeader a = nameOf(cp("ΓΕΝΙΚΟ ΛΟΓΙΣΤΗΡΙΟ ΚΡΑΤΟΥΣ"));
    EXPECT_EQ(a.CompanyName, cp("ΓΕΝΙΚΟ ΛΟΓΙΣΤΗΡΙΟ ΚΡΑΤΟΥΣ"));
    EXPECT_EQ(a.Name, cp("ΚΡΑΤΟΥΣ"));
    // ... and so is one at the 27th.
    const EmployerHeader b = nameOf(cp("ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣ12345678 ΩΨΧ"));
    EXPECT_EQ(b.CompanyName, cp("ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣ12345678 ΩΨΧ"));
    EXPECT_EQ(b.Name, "12345678");
    EXPECT_EQ(b.FatherName, cp("ΩΨΧ"));
    // Only the blanks that end the whole name go.
    EXPECT_EQ(nameOf(cp("ΥΠΟΥΡΓΕΙΟ ΠΑΙΔΕΙΑΣ")).CompanyName, cp("ΥΠΟΥΡΓΕΙΟ ΠΑΙΔΕΙΑΣ"));
    EXPECT_EQ(nameOf(cp("ΥΠΟΥΡΓΕΙΟ ΠΑΙΔΕΙΑΣ ΚΑΙ ΘΡΗΣΚ")).CompanyName, cp("ΥΠΟΥΡΓΕΙΟ ΠΑΙΔΕΙΑΣ ΚΑΙ ΘΡΗΣΚ"));
}

TEST(EmployerLine, ShortAndEmptyLines)
{
    const EmployerHeader empty = LoadEmployerLine("");
    EXPECT_EQ(empty.YearOfData, "");
    EXPECT_EQ(empty.CompanyName, "");
    EXPECT_EQ(empty.AFM, "");
    EXPECT_EQ(empty.TK, "");

    const EmployerHeader shortLine =
        LoadEmployerLine("12025" + cp("ΥΠΟΥΡΓΕΙΟ") + std::string(21, ' ') + "10900");
    EXPECT_EQ(shortLine.YearOfData, "2025");
    EXPECT_EQ(shortLine.CompanyName, cp("ΥΠΟΥΡΓΕΙΟ"));
    EXPECT_EQ(shortLine.AFM, "0900") << "a line ending inside a field gives what is there";
    EXPECT_EQ(shortLine.AntikeimenoErgasion, "") << "the line ends before the service";
    EXPECT_FALSE(shortLine.NaturalPerson);
    // The tax number keeps its trailing spaces.
    std::string line = Record1(EmployerHeader{});
    line.replace(36, 9, "0900     ");
    EXPECT_EQ(LoadEmployerLine(line).AFM, "0900     ");
}

// ---- whole declarations written and read back

std::string randomText(std::mt19937& rng, int width)
{
    // Printable cp1253: ASCII and the Greek letters, never a line break or a zero byte.
    static const std::string alphabet = "ABCXYZ0123456789 .-/\xC1\xC2\xC3\xD3\xD9\xE1\xE2\xF3\xF9\xDC\xFE";
    std::string s(static_cast<size_t>(std::uniform_int_distribution<int>(0, width)(rng)), ' ');
    for (char& c : s)
        c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
    return s;
}

std::string randomAmount(std::mt19937& rng, int width)
{
    // Up to the largest amount whose working form fits the field (cents of
    // one digit fewer than the width), and mostly ordinary sizes.
    int64_t limit = 1;
    for (int i = 1; i < width; ++i)
        limit *= 10;
    if (rng() % 2)
        limit = std::min<int64_t>(limit, 10000000);
    const int64_t cents = std::uniform_int_distribution<int64_t>(0, limit - 1)(rng);
    return amount::FormatAmount(static_cast<long double>(cents) / 100);
}

std::string randomWorkingRow(std::mt19937& rng)
{
    static const char* kinds[] = {"10", "11", "12", "13", "14", "15", "16",
                                  "20", "21", "22", "23", "24", "25", "30"};
    std::string line;
    for (const FieldLayout& f : DetailLayout()) {
        const auto field = static_cast<DetailField>(&f - DetailLayout().data());
        std::string value;
        switch (field) {
        case RecordType:
            value = "3";
            break;
        case FILLER:
        case FILLER2:
            break;
        case TypeInc:
            value = kinds[rng() % 14];
            break;
        case Hmeres:
            value = std::to_string(rng() % 366);
            break;
        case AkaInc:
        case Xartosimo:
        case OGAXart:
        case Kratiseis:
        case Kathares:
        case ForosParakr:
        case ForosAnal:
        case OGAForouParakr:
        case OGAForouAnal:
            value = randomAmount(rng, f.width);
            break;
        default:
            value = randomText(rng, f.width);
        }
        value.resize(static_cast<size_t>(f.width), ' ');
        line += value;
    }
    return line;
}

TEST(RoundTrip, WrittenRowsReadBackByteForByte)
{
    std::mt19937 rng(20261207);
    for (int round = 0; round < 20; ++round) {
        EmployerHeader header;
        header.YearOfData = "2025";
        header.CompanyName = randomText(rng, 30);
        header.AFM = "090000045";
        std::vector<TFixedFormatDataSet::TLine> rows;
        const int count = round == 0 ? 0 : static_cast<int>(rng() % 200);
        for (int i = 0; i < count; ++i)
            rows.push_back({randomWorkingRow(rng), i + 1});
        const std::array<std::string, 9> totals = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};

        const std::string file = written(QDate(2026, 12, 7), header, totals, rows);
        ASSERT_EQ(file.size(), (3 + rows.size()) * 172);
        const ReadResult r = readBack(file);
        ASSERT_EQ(r.status, ReadStatus::Ok);
        ASSERT_EQ(r.employerLines, std::vector<std::string>{Record1(header)});
        ASSERT_EQ(r.detailLines.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            ASSERT_EQ(r.detailLines[i], rows[i].Text) << "row " << i;
    }
}

} // namespace
