#include "DataSetTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Options = TFixedFormatDataSet::TLocateOptions;
constexpr Options kExact{};
constexpr Options kPartial{false, true};
constexpr Options kNoCase{true, false};

class DataSetLocate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Surname (8), first name (6), code (3).
        Prepare(dataSet, folder,
                "ABC     JOHN  001\r\n"
                "ABCDEF  MARY  002\r\n"
                "abc     PETER 003\r\n"
                "\xc1\xc2\xc3     NIKOS 004\r\n"
                "  XY\t   ANNA  005\r\n",
                {"SurName=8", "First Name=6", "Code=3"});
        dataSet.Open();
    }
    std::string Code() { return dataSet.FieldByName("Code").AsString(); }

    TTempFolder folder;
    TFixedFormatDataSet dataSet{"FixedFormatDataSet1"};
};

TEST_F(DataSetLocate, PartialKeyMatchesLongerValuesOnlyWhenAsked)
{
    dataSet.Last();
    EXPECT_TRUE(dataSet.Locate("SurName", "ABC", kExact));
    EXPECT_EQ(Code(), "001");
    dataSet.Locate("SurName", "ABCD", kExact);
    EXPECT_FALSE(dataSet.Locate("SurName", "ABCD", kExact));
    EXPECT_TRUE(dataSet.Locate("SurName", "ABCD", kPartial));
    EXPECT_EQ(Code(), "002");
}

TEST_F(DataSetLocate, CaseFoldsLatinLettersOnly)
{
    dataSet.Last();
    EXPECT_TRUE(dataSet.Locate("SurName", "abc", kExact));
    EXPECT_EQ(Code(), "003");
    EXPECT_TRUE(dataSet.Locate("SurName", "abc", kNoCase));
    EXPECT_EQ(Code(), "001");
    // Greek small letters do not find the same word in capitals.
    EXPECT_FALSE(dataSet.Locate("SurName", "\xe1\xe2\xe3", kNoCase));
    EXPECT_TRUE(dataSet.Locate("SurName", "\xc1\xc2\xc3", kNoCase));
    EXPECT_EQ(Code(), "004");
}

TEST_F(DataSetLocate, KeyAndValueAreTrimmedOfBlanksAndControls)
{
    EXPECT_TRUE(dataSet.Locate("SurName", " \tXY\r", kExact));
    EXPECT_EQ(Code(), "005");
}

TEST_F(DataSetLocate, EmptyKeyMatchesEmptyFieldsAndWithPartialKeyAnything)
{
    dataSet.Last();
    EXPECT_TRUE(dataSet.Locate("SurName", "", kPartial));
    EXPECT_EQ(Code(), "001");
    dataSet.Last();
    EXPECT_FALSE(dataSet.Locate("SurName", "", kExact));
}

TEST_F(DataSetLocate, SeveralKeyFieldsQuotedNamesAndOneValueForAll)
{
    EXPECT_TRUE(dataSet.Locate("SurName, \"First Name\"", std::vector<std::string>{"abc", "PETER"}, kExact));
    EXPECT_EQ(Code(), "003");
    EXPECT_TRUE(dataSet.Locate(" Code  SurName ", std::vector<std::string>{"002", "ABCDEF"}, kExact));
    EXPECT_EQ(Code(), "002");
    EXPECT_FALSE(dataSet.Locate("SurName,Code", "ABC", kPartial)) << "one value is the key of every field";
    EXPECT_EQ(MessageOf([&] {
                  dataSet.Locate("SurName,Code", std::vector<std::string>{"a", "b", "c"}, kExact);
              }),
              "FixedFormatDataSet1: Locate needs one key value for each key field");
}

TEST_F(DataSetLocate, NotFoundReturnsToTheRecordCurrentBefore)
{
    dataSet.SetRecNo(3);
    EXPECT_FALSE(dataSet.Locate("Code", "999", kExact));
    EXPECT_EQ(Code(), "003");
    EXPECT_FALSE(dataSet.Locate("   ", "x", kExact));
    EXPECT_EQ(MessageOf([&] { dataSet.Locate("Nosuch", "x", kExact); }),
              "FixedFormatDataSet1: Field 'Nosuch' not found");
    EXPECT_EQ(Code(), "003");
}

TEST_F(DataSetLocate, MovesRecordByRecordThroughTheScrollHooks)
{
    std::vector<std::string> hooks;
    RecordHooks(dataSet, hooks);
    EXPECT_TRUE(dataSet.Locate("Code", "003", kExact));
    // First, then two steps.
    EXPECT_EQ(hooks, (std::vector<std::string>{"BeforeScroll", "AfterScroll", "BeforeScroll", "AfterScroll",
                                               "BeforeScroll", "AfterScroll"}));
}

TEST_F(DataSetLocate, PendingEditIsStoredBeforeSearching)
{
    dataSet.Edit();
    dataSet.FieldByName("Code").SetAsString("777");
    EXPECT_TRUE(dataSet.Locate("Code", "777", kExact));
    EXPECT_EQ(dataSet.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(dataSet.RecNo(), 1);
}

TEST(DataSetLocateEmpty, EmptyStoreFindsNothing)
{
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    Prepare(dataSet, folder, "");
    dataSet.Open();
    EXPECT_FALSE(dataSet.Locate("Line", "", {false, true}));
}

} // namespace
