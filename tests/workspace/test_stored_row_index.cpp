#include "text/AmountText.h"
#include "declaration/ChangedSpan.h"
#include "declaration/KeyCounts.h"
#include "declaration/ScratchDetailRow.h"
#include "declaration/StoredRowIndex.h"

#include <gtest/gtest.h>

#include <map>
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

// One store, insert or delete at a time, followed without comparing every
// line: the sums stay those of a whole pass to the last bit, wherever the
// row stands (before, on and after the marks the sums keep).
TEST(StoredRowIndexTest, FollowsOneChangeAtATimeExactly)
{
    std::mt19937 random(5);
    std::vector<std::string> texts;
    for (int i = 0; i < 5000; ++i)
        texts.push_back(Line(random));
    Lines lines = Numbered(texts);
    StoredRowIndex index;
    index.Follow(lines, std::nullopt); // never synced: a whole pass
    ExpectMatches(index, lines);
    int32_t nextId = 5001;
    for (size_t at : {0u, 1023u, 1024u, 2500u, 4999u}) {
        lines[at].Text = Line(random);
        index.Follow(lines, at);
        ExpectMatches(index, lines);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), {Line(random), nextId++});
        index.Follow(lines, at);
        ExpectMatches(index, lines);
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at + 1));
        index.Follow(lines, std::nullopt);
        ExpectMatches(index, lines);
    }
    // An unreadable amount is thrown by the sums until it is mended.
    ScratchDetailRow bad(lines[3000].Text);
    bad.Set(TotalsLayout()[2].field, "12,3,4");
    const std::string good = lines[3000].Text;
    lines[3000].Text = bad.Text();
    index.Follow(lines, 3000);
    EXPECT_THROW(index.Totals(), std::exception);
    lines[3000].Text = good;
    index.Follow(lines, 3000);
    ExpectMatches(index, lines);
    // Lines replaced whole, the ids kept: distrusted, every text compared.
    for (auto& line : lines)
        line.Text = Line(random);
    index.Distrust();
    index.Follow(lines, std::nullopt);
    ExpectMatches(index, lines);
}

TEST(StoredRowIndexTest, ReadsAmountsExactlyAsTheFullConversion)
{
    std::mt19937 random(3);
    std::vector<std::string> texts = {"0",
                                      "-0",
                                      "+0,00",
                                      ",5",
                                      "5,",
                                      " 12,34 ",
                                      "1.234",
                                      "1,2,3",
                                      "",
                                      " ",
                                      "-",
                                      "1E9",
                                      "12,5e-1",
                                      "0,1",
                                      "99999999999999999,99",
                                      "9999999999999999999",
                                      "18446744073709551616",
                                      "0,000000000000000000000000001",
                                      "0,0000000000000000000000000001",
                                      "1 2",
                                      "12a"};
    for (int k = 0; k < 20000; ++k) {
        std::string text = std::to_string(random() % 1000000000) + "," + std::to_string(random() % 100000);
        if (k % 3 == 0)
            text = "-" + text;
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        long double fast = 7, full = 7;
        const bool read = StoredRowIndex::ReadAmount(text, fast);
        ASSERT_EQ(read, amount::TryStrToFloat(text, full)) << text;
        if (read)
            ASSERT_TRUE(fast == full && std::signbit(fast) == std::signbit(full)) << text;
    }
}

// The stretch one store, insert or delete changed, told by the ids.
TEST(StoredRowIndexTest, ChangedSpanIsTheOneStretchTheIdsTell)
{
    const Lines now = Numbered({"a", "b", "c", "d"});
    const auto span = [&now](std::vector<int32_t> held, std::optional<size_t> edited) {
        const auto found = ChangedSpan::Find(held, now, edited);
        return found ? std::vector<size_t>{found->start, found->removed, found->added}
                     : std::vector<size_t>{};
    };
    using V = std::vector<size_t>;
    EXPECT_EQ(span({1, 2, 3, 4}, std::nullopt), V({4, 0, 0}));
    EXPECT_EQ(span({1, 2, 3, 4}, 2), V({2, 1, 1}));
    EXPECT_EQ(span({1, 2, 4}, 2), V({2, 0, 1})); // inserted, stored there
    EXPECT_EQ(span({1, 2, 4}, 0), V({0, 2, 3})); // grown to the edit
    EXPECT_EQ(span({1, 2, 9, 3, 4}, std::nullopt), V({2, 1, 0}));
    EXPECT_EQ(span({2, 3, 4}, std::nullopt), V({0, 0, 1}));
    EXPECT_EQ(span({1, 2}, std::nullopt), V{});       // two rows came
    EXPECT_EQ(span({4, 3, 2, 1}, std::nullopt), V{}); // reordered
    EXPECT_EQ(span({1, 2, 3, 4}, 4), V{});            // no such row
}

// Counts added and taken away at random, in a table grown from nothing and
// crowded by removals: it answers as an ordinary map does.
TEST(StoredRowIndexTest, KeyCountsAnswerAsAMap)
{
    std::mt19937 random(9);
    KeyCounts counts;
    std::map<std::string, int> reference;
    for (int k = 0; k < 60000; ++k) {
        const std::string key = std::to_string(random() % 3000) + (k % 2 ? "" : "\x01");
        const int delta = random() % 3 == 0 ? -1 : 1;
        counts.Bump(key, delta);
        if ((reference[key] += delta) <= 0)
            reference.erase(key);
        if (k % 97 == 0)
            for (const auto& [known, count] : reference)
                ASSERT_TRUE(counts.Contains(known)) << known;
        ASSERT_EQ(counts.size(), reference.size());
    }
    EXPECT_FALSE(counts.Contains("1234567890123456"));
    EXPECT_THROW(counts.Bump("1234567890123456", 1), std::length_error);
    counts.clear();
    EXPECT_EQ(counts.size(), 0u);
    EXPECT_FALSE(counts.Contains("1"));
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
