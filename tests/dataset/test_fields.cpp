#include "DataSetTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TLayout
{
    std::string Name;
    int Offset;
    int Size;
    bool operator==(const TLayout&) const = default;
};

std::vector<TLayout> LayoutOf(TFixedFormatDataSet& dataSet)
{
    std::vector<TLayout> layout;
    for (int i = 0; i < dataSet.FieldCount(); ++i)
        layout.push_back(
            {dataSet.Fields(i).FieldName(), dataSet.Fields(i).Offset(), dataSet.Fields(i).Size()});
    return layout;
}

std::vector<TLayout> LayoutFor(const std::string& bytes, std::vector<std::string> schema,
                               int* width = nullptr)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, bytes, std::move(schema));
    dataSet.Open();
    if (width)
        *width = dataSet.RecordWidth();
    return LayoutOf(dataSet);
}

TEST(DataSetSchema, DetailSchemaLaysOutTheDetailRecord)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "", DetailSchema());
    dataSet.Open();
    EXPECT_EQ(dataSet.FieldCount(), 23);
    EXPECT_EQ(dataSet.RecordWidth(), 170);
    EXPECT_EQ(dataSet.FieldByName("RecordType").Offset(), 0);
    EXPECT_EQ(dataSet.FieldByName("Kathares").Offset(), 113);
    EXPECT_EQ(dataSet.FieldByName("FILLER2").Offset(), 166);
    EXPECT_EQ(dataSet.FieldByName("FILLER2").Size(), 4);
}

TEST(DataSetSchema, EmptySchemaGivesOneLineFieldAsWideAsTheLongestLine)
{
    int width = 0;
    EXPECT_EQ(LayoutFor("", {}, &width), (std::vector<TLayout>{{"Line", 0, 250}}));
    EXPECT_EQ(width, 250);
    EXPECT_EQ(LayoutFor("\r\n\r\n", {}, &width), (std::vector<TLayout>{{"Line", 0, 250}}));
    EXPECT_EQ(LayoutFor("abc\r\nabcdefg\r\nab", {}, &width), (std::vector<TLayout>{{"Line", 0, 7}}));
    EXPECT_EQ(width, 7);
}

TEST(DataSetSchema, BareNamesAndBadWidthsTakeTheDefaultWidth)
{
    EXPECT_EQ(LayoutFor("abcdef\n", {"Code=2", "Desc", "Bad=x9", "Neg=-3", "Empty="}),
              (std::vector<TLayout>{
                  {"Code", 0, 2}, {"Desc", 2, 6}, {"Bad", 8, 6}, {"Neg", 14, 6}, {"Empty", 20, 6}}));
    EXPECT_EQ(LayoutFor("", {"Bad=abc"}), (std::vector<TLayout>{{"Bad", 0, 250}}));
}

TEST(DataSetSchema, BlankLinesAreSkippedAndNamesAndWidthsTrimmed)
{
    EXPECT_EQ(LayoutFor("", {"", "  ", " typeinc = 2 ", "\tDesc=52"}),
              (std::vector<TLayout>{{"typeinc", 0, 2}, {"Desc", 2, 52}}));
}

TEST(DataSetSchema, ZeroTotalWidthBecomes250)
{
    int width = 0;
    LayoutFor("abc\n", {"A=0"}, &width);
    EXPECT_EQ(width, 250);
}

TEST(DataSetSchema, IncomeTypeListSplitsCodeAndDescription)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet("FixedFormatDataSet2");
    const std::string desc = "\xcc\xe9\xf3\xe8\xef\xdf" + std::string(46, ' ');
    Prepare(dataSet, folder, "01" + desc + "\r\n", {"typeinc=2", "Desc=52"});
    dataSet.Open();
    EXPECT_EQ(dataSet.RecordWidth(), 54);
    EXPECT_EQ(dataSet.FieldByName("typeinc").AsString(), "01");
    EXPECT_EQ(dataSet.FieldByName("Desc").AsString(), "\xcc\xe9\xf3\xe8\xef\xdf");
}

TEST(DataSetFieldLookup, NamesMatchWithoutRegardToCase)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet("FixedFormatDataSet1");
    Prepare(dataSet, folder, "", DetailSchema());
    dataSet.Open();
    EXPECT_EQ(&dataSet.FieldByName("afm"), &dataSet.FieldByName("AFM"));
    EXPECT_EQ(dataSet.FindField("nosuch"), nullptr);
    EXPECT_EQ(MessageOf([&] { dataSet.FieldByName("Nosuch"); }),
              "FixedFormatDataSet1: Field 'Nosuch' not found");
    dataSet.Close();
    EXPECT_EQ(MessageOf([&] { dataSet.FieldByName("AFM"); }), "FixedFormatDataSet1: Field 'AFM' not found");
}

// A view sizes its columns before the store is ever opened.
TEST(DataSetFieldLookup, DefinitionsAreKnownWhileTheStoreIsClosed)
{
    TFixedFormatDataSet dataSet;
    dataSet.SetSchema({" Code = 2", "", "Bare", "Desc=x"});
    EXPECT_EQ(dataSet.FindFieldDef("code")->Size, 2);
    EXPECT_EQ(dataSet.FindFieldDef("Bare")->Size, 250);
    EXPECT_EQ(dataSet.FindFieldDef("DESC")->Size, 250);
    EXPECT_EQ(dataSet.FindFieldDef("Nosuch"), nullptr);
    EXPECT_EQ(dataSet.FindField("Code"), nullptr);
}

TEST(DataSetFieldLookup, FieldReferenceOutlivesCloseSafely)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet("FixedFormatDataSet1");
    Prepare(dataSet, folder, "abc\n", {"A=2"});
    dataSet.Open();
    TField& field = dataSet.FieldByName("A");
    dataSet.Close();
    EXPECT_TRUE(field.IsNull());
    EXPECT_EQ(field.AsString(), "");
    EXPECT_THROW(field.SetAsString("x"), EDatabaseError);
    dataSet.Open();
    EXPECT_EQ(field.AsString(), "ab");
}

class DataSetFieldReading : public ::testing::Test
{
protected:
    void Open(const std::string& line, bool trim = true)
    {
        Prepare(dataSet, folder, line + "\r\n", DetailSchema());
        dataSet.SetTrimSpace(trim);
        dataSet.Open();
    }
    TTempFolder folder;
    TFixedFormatDataSet dataSet{"FixedFormatDataSet1"};
};

TEST_F(DataSetFieldReading, ShortLineLeavesLaterFieldsNull)
{
    Open("3123456789 ABCDE" + std::string(84, 'x'));
    ASSERT_EQ(dataSet.Lines()[0].Text.size(), 100u);
    EXPECT_EQ(dataSet.FieldByName("AFM").AsString(), "123456789");
    EXPECT_FALSE(dataSet.FieldByName("AFM").IsNull());
    EXPECT_TRUE(dataSet.FieldByName("Kathares").IsNull());
    EXPECT_EQ(dataSet.FieldByName("Kathares").AsString(), "");
    // A line that ends inside a field gives the part that is there.
    EXPECT_EQ(dataSet.FieldByName("OGAXart").AsString(), "xxx");
}

TEST_F(DataSetFieldReading, LineEndingInsideAFieldGivesItsHead)
{
    Open("3123456789 AB");
    EXPECT_EQ(dataSet.FieldByName("SurName").AsString(), "AB");
    EXPECT_TRUE(dataSet.FieldByName("Name").IsNull());
}

TEST_F(DataSetFieldReading, TrimSpaceRemovesTrailingSpacesOnly)
{
    Open("3123456789  ABCDE" + std::string(12, ' ') + "\tX" + std::string(7, ' ') + "   ");
    EXPECT_EQ(dataSet.FieldByName("SurName").AsString(), " ABCDE");
    EXPECT_EQ(dataSet.FieldByName("Name").AsString(), "\tX");
    EXPECT_EQ(dataSet.FieldByName("FatherName").AsString(), "");
    EXPECT_FALSE(dataSet.FieldByName("FatherName").IsNull());
}

TEST_F(DataSetFieldReading, WithoutTrimSpaceTheWholeWidthIsRead)
{
    Open("3123456789 ABCDE" + std::string(13, ' ') + "X", false);
    EXPECT_EQ(dataSet.FieldByName("SurName").AsString(), "ABCDE" + std::string(13, ' '));
}

TEST_F(DataSetFieldReading, FieldTextReadsAnyLineWithoutMovingTheCursor)
{
    Prepare(dataSet, folder, "a1\r\nb2   x\r\n", {"A=1", "B=4"});
    dataSet.Open();
    EXPECT_EQ(dataSet.FieldText(1, 1), "2");
    EXPECT_EQ(dataSet.FieldText(0, 1), "1");
    EXPECT_EQ(dataSet.RecNo(), 1);
    EXPECT_EQ(MessageOf([&] { dataSet.FieldText(2, 0); }), "No Records");
}

TEST_F(DataSetFieldReading, EmptyStoreHasNullFields)
{
    Open("x");
    dataSet.Delete();
    EXPECT_TRUE(dataSet.IsEmpty());
    EXPECT_TRUE(dataSet.FieldByName("AFM").IsNull());
}

class DataSetFieldWriting : public DataSetFieldReading
{
protected:
    std::string StoredLine() { return dataSet.Lines()[static_cast<size_t>(dataSet.CurrentLine())].Text; }
};

TEST_F(DataSetFieldWriting, WritingBeyondAShortLinePadsTheGapWithSpaces)
{
    const std::string line = "3123456789 ABCDE" + std::string(84, 'x');
    Open(line);
    dataSet.Edit();
    dataSet.FieldByName("FILLER2").SetAsString("    ");
    dataSet.Post();
    EXPECT_EQ(StoredLine(), line + std::string(70, ' '));
}

TEST_F(DataSetFieldWriting, ValuesAreCutToTheWidthAndPaddedOnTheRight)
{
    Open(std::string(170, '.'));
    dataSet.Edit();
    dataSet.FieldByName("AFM").SetAsString("1234567890");
    dataSet.FieldByName("Hmeres").SetAsString("7");
    EXPECT_EQ(dataSet.FieldByName("AFM").AsString(), "123456789");
    dataSet.Post();
    const std::string line = StoredLine();
    EXPECT_EQ(line.substr(1, 9), "123456789");
    EXPECT_EQ(line.substr(147, 3), "7  ");
    EXPECT_EQ(line.size(), 170u);
    EXPECT_EQ(line.substr(10, 137), std::string(137, '.')) << "other fields stay";
}

TEST_F(DataSetFieldWriting, NewRecordEndsAfterTheLastWrittenField)
{
    Open("x");
    dataSet.Append();
    dataSet.FieldByName("SurName").SetAsString("AB");
    dataSet.Post();
    EXPECT_EQ(StoredLine(), std::string(11, ' ') + "AB" + std::string(16, ' '));
    EXPECT_EQ(dataSet.FieldByName("RecordType").AsString(), "");
    EXPECT_TRUE(dataSet.FieldByName("Name").IsNull());
}

TEST_F(DataSetFieldWriting, WritingOutsideEditIsRefusedWithThePrefix)
{
    Open("x");
    EXPECT_EQ(MessageOf([&] { dataSet.FieldByName("AFM").SetAsString("1"); }),
              "FixedFormatDataSet1: Dataset not in edit or insert mode");
}

TEST_F(DataSetFieldWriting, ReadOnlyFieldIsRefusedWithoutPrefix)
{
    Open("x");
    dataSet.FieldByName("AFM").ReadOnly = true;
    dataSet.Edit();
    EXPECT_EQ(MessageOf([&] { dataSet.FieldByName("AFM").SetAsString("1"); }),
              "Field 'AFM' cannot be modified");
    EXPECT_FALSE(dataSet.Modified());
}

TEST_F(DataSetFieldWriting, LineBreaksAndNulCannotBeStoredInAField)
{
    Open("x");
    dataSet.Edit();
    for (const std::string& bad :
         {std::string("a\r\nb"), std::string("a\nb"), std::string("a\rb"), std::string("a\0b", 3)})
        EXPECT_EQ(MessageOf([&] { dataSet.FieldByName("SurName").SetAsString(bad); }),
                  "Invalid value for field 'SurName'");
    EXPECT_FALSE(dataSet.Modified());
    // Beyond the width the value is cut away anyway.
    dataSet.FieldByName("Hmeres").SetAsString("123\n");
    EXPECT_EQ(dataSet.FieldByName("Hmeres").AsString(), "123");
}

TEST_F(DataSetFieldWriting, ValidationHookSeesTheCutValueAndCanRefuse)
{
    Open("x");
    std::string seen;
    dataSet.FieldByName("AFM").OnValidate = [&](TField&, std::string_view value) {
        seen = value;
        if (value == "000000000")
            throw EDatabaseError("zero");
    };
    dataSet.Edit();
    dataSet.FieldByName("AFM").SetAsString("1234567890");
    EXPECT_EQ(seen, "123456789");
    EXPECT_THROW(dataSet.FieldByName("AFM").SetAsString("000000000"), EDatabaseError);
    EXPECT_EQ(dataSet.FieldByName("AFM").AsString(), "123456789");
}

} // namespace
