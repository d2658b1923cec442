#include "workbook/Workbook.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Grid = std::vector<std::vector<std::string>>;

class CsvReaderTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;

    QString Write(const std::string& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("sheet.csv"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    // The sheet read from `bytes`, as UTF-8 texts row by row.
    Grid Read(const std::string& bytes)
    {
        const workbook::Sheet sheet = workbook::ReadCsv(Write(bytes));
        Grid grid;
        for (int r = 0; r < sheet.Rows(); ++r) {
            grid.emplace_back();
            for (int c = 0; c < sheet.Columns(); ++c)
                grid.back().push_back(sheet.Cell(r, c).toStdString());
        }
        return grid;
    }
};

TEST_F(CsvReaderTest, ReadsTheGreekCodePageWithQuotesAndPadsShortRows)
{
    // "ΠΑΠΑΣ" and "ΑΘΗΝΑ" in cp1253; a quoted cell with the separator, a doubled
    // quote and a line break; a row with fewer cells; a blank row inside; lone CR.
    const std::string bytes = "\xD0\xC1\xD0\xC1\xD3;\"a;b\"\"c\r\nd\";1234,5\r\n"
                              "x\r\n"
                              "\r\n"
                              "\xC1\xC8\xC7\xCD\xC1;;;\r"
                              "\"\";y;\"\"\r\n"
                              ";;\r\n\r\n";
    EXPECT_EQ(Read(bytes), (Grid{{"ΠΑΠΑΣ", "a;b\"c\r\nd", "1234,5"},
                                 {"x", "", ""},
                                 {"", "", ""},
                                 {"ΑΘΗΝΑ", "", ""},
                                 {"", "y", ""}}));
}

TEST_F(CsvReaderTest, ReadsUtf8MarkedOrPlainAndKeepsTextAfterAClosingQuote)
{
    EXPECT_EQ(Read("\xEF\xBB\xBF\xCE\xA0\xCE\x91;\"\xE2\x82\xAC\"x\n1;2"), (Grid{{"ΠΑ", "€x"}, {"1", "2"}}));
    EXPECT_EQ(Read("\xCE\xA0\xCE\x91;b\"c"), (Grid{{"ΠΑ", "b\"c"}}));
    EXPECT_EQ(Read(""), Grid{});
    EXPECT_EQ(Read(";;\r\n;\n"), Grid{});
}

// A row is read up to T: what stands past it makes the row reach T and is
// neither kept nor checked, however many cells the row has.
TEST_F(CsvReaderTest, ARowIsReadUpToItsTwentiethCell)
{
    const workbook::Sheet widest = workbook::ReadCsv(Write(std::string(16384, ';') + "x\r\n1;\"a\nb\""));
    EXPECT_EQ(widest.Columns(), 20);
    EXPECT_EQ(widest.Rows(), 2);
    EXPECT_EQ(widest.Cell(0, 19), QString());
    EXPECT_EQ(widest.Cell(1, 0), QStringLiteral("1"));
    EXPECT_EQ(Read("1" + std::string(25, ';') + "\n2"), (Grid{{"1"}, {"2"}}));

    // Rows padded to the widest row past the cells a sheet may hold: refused
    // for its content, in the person's words, naming the block.
    std::string tall = std::string(19, ';') + "1\n";
    for (int row = 0; row < 800'000; ++row)
        tall += "x\n";
    try {
        Read(tall);
        ADD_FAILURE() << "a block of 16,000,020 cells was read";
    } catch (const workbook::WorkbookRefusal& e) {
        EXPECT_EQ(std::string(e.what()), "Το πρώτο φύλλο του βιβλίου εργασίας είναι πολύ μεγάλο για εισαγωγή "
                                         "(800001 γραμμές επί 20 στήλες, από το A1 ως το T800001).");
    }
}

TEST_F(CsvReaderTest, RefusesWhatIsNoSheet)
{
    EXPECT_THROW(Read("a;\"never closed\r\nb;c"), workbook::WorkbookError);
    EXPECT_THROW(Read("\xEF\xBB\xBF\xD0\xC1"), workbook::WorkbookError); // marked UTF-8, but cp1253
    EXPECT_THROW(workbook::ReadCsv(dir.filePath(QStringLiteral("missing.csv"))), workbook::WorkbookError);
    EXPECT_THROW(workbook::ReadCsv(dir.path()), workbook::WorkbookError);
}

} // namespace
