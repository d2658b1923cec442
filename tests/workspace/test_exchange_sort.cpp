#include "workspace/ExchangeSort.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Sorted(const std::vector<std::string>& keys, const std::vector<size_t>& order)
{
    std::vector<std::string> out;
    for (size_t index : order)
        out.push_back(keys[index]);
    return out;
}

// A record key as the sorts build it: fixed-width fields padded with spaces.
std::string Padded(std::string text, size_t width)
{
    text.resize(width, ' ');
    return text;
}

// Random keys drawn from a tiny alphabet so that equal keys, prefixes and long
// runs of smaller entries between equal ones are common.
std::vector<std::string> RandomKeys(std::mt19937& rng, size_t count, const std::string& alphabet,
                                    size_t maxLength)
{
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<size_t> letter(0, alphabet.size() - 1);
    std::vector<std::string> keys(count);
    for (auto& key : keys) {
        const size_t n = length(rng);
        for (size_t k = 0; k < n; ++k)
            key.push_back(alphabet[letter(rng)]);
    }
    return keys;
}

} // namespace

TEST(ExchangeSortOrder, MatchesTheExchangeSortOnRandomInputs)
{
    std::mt19937 rng(20261207);
    const std::vector<std::string> alphabets = {"A", "AB", "ABC", std::string("a\xC1\xA2 ", 4), "0123456789"};
    int cases = 0;
    for (const auto& alphabet : alphabets) {
        for (size_t maxLength : {size_t{1}, size_t{2}, size_t{3}}) {
            for (size_t size = 0; size <= 60; ++size) {
                for (int repeat = 0; repeat < 12; ++repeat) {
                    const auto keys = RandomKeys(rng, size, alphabet, maxLength);
                    ASSERT_EQ(ExchangeSortOrder(keys), ExchangeSortOrderLiteral(keys))
                        << "alphabet " << alphabet << ", size " << size;
                    ++cases;
                }
            }
        }
    }
    EXPECT_GT(cases, 10000);
}

TEST(ExchangeSortOrder, MatchesTheExchangeSortOnLargeGroupsInterleavedWithSmallerKeys)
{
    // Big groups with many smaller entries between members make the ring
    // positions wrap many times over.
    std::mt19937 rng(7);
    for (int repeat = 0; repeat < 5; ++repeat) {
        const auto keys = RandomKeys(rng, 1500, "ABC", 1);
        ASSERT_EQ(ExchangeSortOrder(keys), ExchangeSortOrderLiteral(keys));
    }
    std::vector<std::string> alternating;
    for (int k = 0; k < 400; ++k)
        alternating.push_back(k % 3 == 2 ? "A" : "B");
    EXPECT_EQ(ExchangeSortOrder(alternating), ExchangeSortOrderLiteral(alternating));
}

TEST(ExchangeSortOrder, ViewsOfLongKeysOrderAsTheKeysThemselves)
{
    // Keys that share their first eight bytes or more, hold zero bytes and
    // high cp1253 bytes, or end inside those eight: the quick order of the
    // leading bytes must leave every decision the keys would make.
    std::mt19937 rng(3);
    const std::string prefixes[] = {"", "3PAPAS", "3PAPADOPOULOS    ", std::string("AB\0\0", 4)};
    for (int repeat = 0; repeat < 300; ++repeat) {
        auto keys = RandomKeys(rng, 40, std::string("A\0\xE1 ", 4), 3 + repeat % 12);
        for (auto& key : keys)
            key = prefixes[rng() % 4] + key;
        const std::vector<std::string_view> views(keys.begin(), keys.end());
        ASSERT_EQ(ExchangeSortOrderOfViews(views), ExchangeSortOrderLiteral(keys)) << "repeat " << repeat;
    }
}

TEST(ExchangeSortOrder, EqualKeysAreNotKeptInTheirOriginalOrder)
{
    // B, B, A: A first, then the two B entries in reverse.
    EXPECT_EQ(ExchangeSortOrder({"B", "B", "A"}), (std::vector<size_t>{2, 1, 0}));
    // Without a smaller entry after them, equal keys keep their order.
    EXPECT_EQ(ExchangeSortOrder({"A", "B", "B"}), (std::vector<size_t>{0, 1, 2}));
    EXPECT_EQ(ExchangeSortOrder({"C", "C", "C"}), (std::vector<size_t>{0, 1, 2}));
}

TEST(ExchangeSortOrder, HandlesEmptyAndSingleInputs)
{
    EXPECT_TRUE(ExchangeSortOrder({}).empty());
    EXPECT_EQ(ExchangeSortOrder({"X"}), (std::vector<size_t>{0}));
    EXPECT_EQ(ExchangeSortOrder({""}), (std::vector<size_t>{0}));
}

TEST(ExchangeSortOrder, ComparesBytesAsUnsignedValuesWithPrefixesFirst)
{
    // Bytes above 0x7F must sort after ASCII (a signed compare would put them first).
    const std::vector<std::string> keys = {"\xE1", "z", "A", "", "AB", "\x80", " "};
    EXPECT_EQ(Sorted(keys, ExchangeSortOrder(keys)),
              (std::vector<std::string>{"", " ", "A", "AB", "z", "\x80", "\xE1"}));
}

TEST(ExchangeSortOrder, OrdersRowsByTaxNumberThenByTheRestOfTheRecord)
{
    const auto row = [](const char* afm, const char* surname, const char* name) {
        return "3" + Padded(afm, 9) + " " + Padded(surname, 18) + Padded(name, 9);
    };
    const std::vector<std::string> byNumber = {row("200000000", "A", "A"), row("100000001", "A", "A"),
                                               row("100000000", "A", "A")};
    EXPECT_EQ(ExchangeSortOrder(byNumber), (std::vector<size_t>{2, 1, 0}));

    // Same number: the surname decides, then the first name.
    const std::vector<std::string> sameNumber = {row("100000000", "ZETA", "B"), row("100000000", "ALFA", "B"),
                                                 row("100000000", "ALFA", "A")};
    EXPECT_EQ(ExchangeSortOrder(sameNumber), (std::vector<size_t>{2, 1, 0}));
}

TEST(ExchangeSortOrder, OrdersSurnamesInCodeOrderOfTheGreekCodePage)
{
    // cp1253: ΠΑΠΑΣ, ΠΑΠΑΣΤΑΘΗΣ, ΑΓΓΕΛΟΣ, ΆΓΓΕΛΟΣ, padded to the surname's 18 bytes.
    const std::string papas = Padded("\xD0\xC1\xD0\xC1\xD3", 18);
    const std::string papastathis = Padded("\xD0\xC1\xD0\xC1\xD3\xD4\xC1\xC8\xC7\xD3", 18);
    const std::string aggelos = Padded("\xC1\xC3\xC3\xC5\xCB\xCF\xD3", 18);
    const std::string aggelosAccented = Padded("\xA2\xC3\xC3\xC5\xCB\xCF\xD3", 18);
    const std::string latin = Padded("ZORBAS", 18);
    const std::vector<std::string> keys = {papastathis, papas, aggelos, aggelosAccented, latin};
    // Latin capitals, then the accented Ά, then Α, and the padding space before any letter.
    EXPECT_EQ(Sorted(keys, ExchangeSortOrder(keys)),
              (std::vector<std::string>{latin, aggelosAccented, aggelos, papas, papastathis}));
}
