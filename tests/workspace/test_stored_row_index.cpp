#include "text/AmountText.h"
#include "declaration/ScratchDetailRow.h"
#include "declaration/StoredRowIndex.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace declaration;

namespace {

using Lines = std::vector<TFixedFormatDataSet::TLine>;

// The answers a plain pass over the lines gives, to hold the index to.
struct Reference
{
    size_t distinct = 0;
    std::set<std::pair<std::string, std::string>> pairs;
    std::array<long double, 9> totals{};

    explicit Reference(const Lines& lines)
    {
        std::set<std::string> afms;
        for (const auto& line : lines) {
            const std::string afm(DetailFieldText(line.Text, AFM));
            const std::string kind(DetailFieldText(line.Text, TypeInc));
            afms.insert(afm);
            pairs.insert({afm, kind});
            if (kind == "15" || kind == "16")
                continue;
            for (size_t box = 0; box < 9; ++box) {
                const auto text = DetailFieldText(line.Text, TotalsLayout()[box].field);
                if (!text.empty())
                    totals[box] += amount::StrToFloat(text);
            }
        }
        distinct = afms.size();
    }
};

std::string Line(std::mt19937& random)
{
    ScratchDetailRow row("3");
    row.Set(AFM, std::to_string(100000000 + random() % 700));
    row.Set(TypeInc, std::to_string(10 + random() % 7));
    for (const auto& slot : TotalsLayout())
        row.Set(slot.field, std::to_string(random() % 100000) + "," + std::to_string(random() % 100));
    return row.Text();
}

Lines Numbered(std::vector<std::string> texts, int32_t firstId = 1)
{
    Lines lines;
    for (auto& text : texts)
        lines.push_back({std::move(text), firstId++});
    return lines;
}

void ExpectMatches(const StoredRowIndex& index, const Lines& lines)
{
    const Reference reference(lines);
    EXPECT_EQ(index.DistinctAfmCount(), reference.distinct);
    EXPECT_EQ(index.Totals(), reference.totals);
    for (int n = 0; n < 700; n += 7)
        for (const char* kind : {"10", "13", "16"}) {
            const std::string afm = std::to_string(100000000 + n);
            EXPECT_EQ(index.HasPair(afm, kind), reference.pairs.count({afm, kind}) == 1)
                << afm << "/" << kind;
        }
}

// Whatever way the lines change, the index answers as a fresh pass would.
TEST(StoredRowIndexTest, StaysExactThroughEveryKindOfChange)
{
    std::mt19937 random(11);
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i)
        texts.push_back(Line(random));
    StoredRowIndex index;
    Lines lines = Numbered(texts);
    index.Sync(lines);
    ExpectMatches(index, lines);

    // A few edits, a deletion in the middle, a line added at the end.
    lines[10].Text = Line(random);
    lines[2999].Text = Line(random);
    lines.erase(lines.begin() + 500);
    lines.push_back({Line(random), 3001});
    index.Sync(lines);
    ExpectMatches(index, lines);

    // Another declaration over the same ids, fewer lines: counted afresh.
    std::vector<std::string> other;
    for (int i = 0; i < 2000; ++i)
        other.push_back(Line(random));
    lines = Numbered(other);
    index.Sync(lines);
    ExpectMatches(index, lines);

    // Reordered and renumbered, as after a sort.
    std::vector<int32_t> formerIds;
    Lines reordered;
    for (size_t k = lines.size(); k-- > 0;) {
        formerIds.push_back(lines[k].Id);
        reordered.push_back({lines[k].Text, static_cast<int32_t>(reordered.size() + 1)});
    }
    index.Renumber(formerIds);
    index.Sync(reordered);
    ExpectMatches(index, reordered);

    index.Sync({});
    EXPECT_EQ(index.DistinctAfmCount(), 0u);
    EXPECT_FALSE(index.HasPair("100000000", "10"));
}

TEST(StoredRowIndexTest, NumbersAreMatchedTrimmedButCountedAsRead)
{
    StoredRowIndex index;
    ScratchDetailRow padded("3"), plain("3");
    padded.Set(AFM, " 12345678");
    padded.Set(TypeInc, "10");
    plain.Set(AFM, "12345678");
    plain.Set(TypeInc, "1");
    index.Sync(Numbered({padded.Text(), plain.Text()}));
    EXPECT_TRUE(index.HasPair("12345678", "10"));
    EXPECT_TRUE(index.HasPair("12345678 ", "1"));
    EXPECT_FALSE(index.HasPair("12345678", "11"));
    EXPECT_EQ(index.DistinctAfmCount(), 2u);
}

} // namespace
