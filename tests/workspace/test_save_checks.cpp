#include "WorkspaceFixture.h"

#include "declaration/SaveChecks.h"
#include "declaration/ScratchDetailRow.h"

using namespace declaration;

namespace {

std::vector<TFixedFormatDataSet::TLine> LinesOf(const std::vector<RowValues>& rows)
{
    std::vector<std::string> texts;
    for (const RowValues& values : rows) {
        ScratchDetailRow row("");
        row.Set(RecordType, "3");
        for (const auto& [field, value] : values)
            row.Set(field, value);
        texts.push_back(row.Text());
    }
    return TFixedFormatDataSet::NumberedLines(std::move(texts));
}

// The checks are pure: the first failure in their order wins, whatever
// follows, and the same rows give the same verdict.
TEST(SaveChecks, TheFirstFailureInOrderWins)
{
    EmployerHeader header;
    header.YearOfData = "2026";
    header.CompanyName = "BODY";
    header.AFM = "094014201";
    EXPECT_FALSE(savechecks::FirstHeaderFailure(header, 2026));
    header.AFM = "09401420X";
    header.CompanyName.clear();
    EXPECT_EQ(savechecks::FirstHeaderFailure(header, 2026)->focus, HeaderField::CompanyName);
    header.YearOfData = "2027";
    const auto year = savechecks::FirstHeaderFailure(header, 2026);
    EXPECT_EQ(year->focus, HeaderField::YearOfData);
    header.YearOfData = "2026";
    header.CompanyName = "BODY";
    EXPECT_FALSE(savechecks::FirstHeaderFailure(header, 2026)->beep); // the tax number, said without a beep

    const Totals huge(Totals::Boxes{"99999999999999"}, "");
    auto lines = LinesOf({GoodRow("090000045"), With(GoodRow("123456783"), {{AkaInc, "1E9"}}),
                          GoodRow("090000045", "11"), GoodRow("090000045")});
    // A pair stored twice names the first row of it, before the amount of row 2.
    EXPECT_NE(savechecks::FirstRowsFailure(lines, huge)->message.find("090000045"), std::string::npos);
    lines.pop_back();
    EXPECT_NE(savechecks::FirstRowsFailure(lines, huge)->message.find("της γραμμής 2 "), std::string::npos);
    lines.erase(lines.begin() + 1);
    EXPECT_EQ(savechecks::FirstRowsFailure(lines, huge)->message.rfind("Το σύνολο ", 0), 0u);
    EXPECT_FALSE(savechecks::FirstRowsFailure(lines, Totals(Totals::Boxes{"1"}, "")));
    // Without rows the boxes are not written at all.
    EXPECT_FALSE(savechecks::FirstRowsFailure({}, huge));

    header.AFM = "090000045";
    EXPECT_EQ(savechecks::RowsWithEmployerAfm(header, lines), (std::vector<size_t>{0, 1}));
    EXPECT_NE(savechecks::EmployerAfmQuestion(lines, 1).find("γραμμή 2"), std::string::npos);
}

} // namespace

TEST(SaveChecks, EqualKeysPointAtTheFirstOfThem)
{
    EXPECT_TRUE(savechecks::FirstOfEqualKeys({}).empty());
    // A prefix, an empty key and a zero byte are keys of their own.
    const std::vector<std::string> keys = {"B", "A", "B", "", "A", std::string(1, '\0'), "", "BA", "B"};
    EXPECT_EQ(savechecks::FirstOfEqualKeys(keys), (std::vector<size_t>{0, 1, 0, 3, 1, 5, 3, 7, 0}));
}
