#include "workspace/ExchangeSort.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string_view>
#include <utility>

// How the exchange sort lays out a group of equal keys: walk the original
// sequence; a member of the group joins the back of a queue, and an entry with
// a smaller key, met while the queue is not empty, moves the queue's front
// member to its back (it is the entry that the running minimum of some pass
// drops behind it). Entries with greater keys change nothing. The queue's
// final order is the group's order in the result, and the groups follow each
// other in ascending key order.
//
// The queue is kept as a ring with a front index: joining the back inserts a
// member into the ring just before the front, and each move of the front
// member to the back only advances the front index. The number of moves
// between two members is the count of smaller entries between them, which a
// Fenwick tree over the original positions answers once the smaller groups
// are in it. The ring itself is rebuilt from the insertion indices afterwards,
// latest insertion first, each member taking the free slot its index names.

namespace {

class FenwickTree
{
public:
    explicit FenwickTree(size_t size) : m_tree(size + 1, 0) {}

    size_t Size() const { return m_tree.size() - 1; }

    void Add(size_t index, int delta)
    {
        for (size_t i = index + 1; i < m_tree.size(); i += i & (~i + 1))
            m_tree[i] += delta;
    }

    // Sum over the indices below `end`.
    int PrefixSum(size_t end) const
    {
        int sum = 0;
        for (size_t i = end; i > 0; i -= i & (~i + 1))
            sum += m_tree[i];
        return sum;
    }

    // The index at which the prefix sum first exceeds `rank` (0-based), for a
    // tree of zeros and ones: the rank-th set index.
    size_t FindByRank(int rank) const
    {
        size_t position = 0;
        size_t step = 1;
        while (step * 2 < m_tree.size())
            step *= 2;
        for (; step > 0; step /= 2) {
            const size_t next = position + step;
            if (next < m_tree.size() && m_tree[next] <= rank) {
                position = next;
                rank -= m_tree[next];
            }
        }
        return position; // 1-based tree position minus one
    }

private:
    std::vector<int> m_tree;
};

// Appends the group's members (original positions, ascending) to `order` in
// the order the exchange sort leaves them. `smaller` holds every entry whose
// key is below the group's.
void LayOutEqualGroup(const std::vector<size_t>& members, const FenwickTree& smaller,
                      std::vector<size_t>& order)
{
    const size_t count = members.size();
    std::vector<size_t> insertAt(count);
    size_t front = 0;
    for (size_t t = 0; t < count; ++t) {
        insertAt[t] = front;
        const size_t ringSize = t + 1;
        const size_t until = t + 1 < count ? members[t + 1] : smaller.Size();
        const int moves = smaller.PrefixSum(until) - smaller.PrefixSum(members[t] + 1);
        front = (front + 1 + static_cast<size_t>(moves)) % ringSize;
    }

    std::vector<size_t> ring(count);
    FenwickTree freeSlots(count);
    for (size_t slot = 0; slot < count; ++slot)
        freeSlots.Add(slot, 1);
    for (size_t t = count; t-- > 0;) {
        const size_t slot = freeSlots.FindByRank(static_cast<int>(insertAt[t]));
        ring[slot] = members[t];
        freeSlots.Add(slot, -1);
    }

    for (size_t k = 0; k < count; ++k)
        order.push_back(ring[(front + k) % count]);
}

// A key seen eight bytes at a time: the word at `offset` orders as its bytes
// do, a key that ends inside it filled with zeros; `rest` (the bytes left
// from `offset`, at most 9) then puts the shorter key first and says whether
// the key goes on past this word.
struct Entry
{
    uint64_t word;
    uint32_t rest;
    uint32_t index;
};

Entry EntryAt(std::string_view key, size_t offset, size_t index)
{
    uint64_t word = 0;
    if (key.size() >= offset + 8) {
        std::memcpy(&word, key.data() + offset, 8);
        if constexpr (std::endian::native == std::endian::little)
            word = __builtin_bswap64(word);
    } else {
        for (size_t k = offset; k < offset + 8; ++k)
            word = (word << 8) | (k < key.size() ? static_cast<unsigned char>(key[k]) : 0u);
    }
    const size_t rest = key.size() > offset ? std::min<size_t>(key.size() - offset, 9) : 0;
    return {word, static_cast<uint32_t>(rest), static_cast<uint32_t>(index)};
}

bool SameWord(const Entry& a, const Entry& b)
{
    return a.word == b.word && a.rest == b.rest;
}

// The positions of `keys` in ascending key order, equal keys in their
// original order: sorted eight bytes at a time, each run of keys equal so
// far taken on to the next eight, so that no comparison reaches the keys
// and a long prefix shared by many keys costs one pass per word.
template <typename Key> std::vector<Entry> SortedByKey(const std::vector<Key>& keys)
{
    std::vector<Entry> entries(keys.size());
    for (size_t k = 0; k < keys.size(); ++k)
        entries[k] = EntryAt(keys[k], 0, k);
    struct Run
    {
        size_t begin, end, offset;
    };
    std::vector<Run> runs{{0, entries.size(), 0}};
    while (!runs.empty()) {
        const Run run = runs.back();
        runs.pop_back();
        const auto first = entries.begin() + static_cast<std::ptrdiff_t>(run.begin);
        const auto last = entries.begin() + static_cast<std::ptrdiff_t>(run.end);
        if (run.offset > 0)
            for (auto it = first; it != last; ++it)
                *it = EntryAt(keys[it->index], run.offset, it->index);
        // Within a run the entries stand in original order, the order every
        // sort below keeps for equal words; a word shared by the whole run
        // needs no sort at all.
        if (!std::all_of(first, last, [&](const Entry& e) { return SameWord(e, *first); }))
            std::sort(first, last, [](const Entry& a, const Entry& b) {
                if (a.word != b.word)
                    return a.word < b.word;
                return a.rest != b.rest ? a.rest < b.rest : a.index < b.index;
            });
        for (size_t begin = run.begin; begin < run.end;) {
            size_t end = begin + 1;
            while (end < run.end && SameWord(entries[end], entries[begin]))
                ++end;
            if (end - begin > 1 && entries[begin].rest > 8)
                runs.push_back({begin, end, run.offset + 8});
            begin = end;
        }
    }
    return entries;
}

template <typename Key> std::vector<size_t> OrderOf(const std::vector<Key>& keys)
{
    const size_t n = keys.size();
    const std::vector<Entry> byKey = SortedByKey(keys);

    std::vector<size_t> order;
    order.reserve(n);
    FenwickTree smaller(n);
    std::vector<size_t> members;
    for (size_t start = 0; start < n;) {
        const std::string_view first(keys[byKey[start].index]);
        members.assign(1, byKey[start].index);
        size_t end = start + 1;
        for (; end < n && std::string_view(keys[byKey[end].index]) == first; ++end)
            members.push_back(byKey[end].index);
        LayOutEqualGroup(members, smaller, order);
        for (size_t position : members)
            smaller.Add(position, 1);
        start = end;
    }
    return order;
}

} // namespace

std::vector<size_t> ExchangeSortOrder(const std::vector<std::string>& keys)
{
    return OrderOf(keys);
}

std::vector<size_t> ExchangeSortOrderOfViews(const std::vector<std::string_view>& keys)
{
    return OrderOf(keys);
}

std::vector<size_t> ExchangeSortOrderLiteral(const std::vector<std::string>& keys)
{
    std::vector<size_t> order(keys.size());
    std::iota(order.begin(), order.end(), size_t{0});
    for (size_t i = 0; i < order.size(); ++i)
        for (size_t j = i + 1; j < order.size(); ++j)
            if (keys[order[j]] < keys[order[i]])
                std::swap(order[i], order[j]);
    return order;
}
