#pragma once

#include "dataset/FixedFormatDataSet.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// What the totals and the duplicate check need of every stored detail line,
// kept per record id and worked out again only for lines whose text changed,
// so that storing one row in a large declaration costs a pass of comparisons
// rather than a re-read of every amount.
class StoredRowIndex
{
public:
    // Brings the index in line with `lines` (the store's lines, in order).
    void Sync(const std::vector<TFixedFormatDataSet::TLine>& lines);
    void Clear();
    // The store was reopened over the same lines in another order: line k
    // (0-based) now has id k + 1 and held id `formerIds[k]` before. Only a
    // hint: Sync still compares every text.
    void Renumber(const std::vector<int32_t>& formerIds);

    // Whether a synced line has `afm` and exactly `typeInc`; the numbers are
    // compared with blanks and control characters trimmed at both ends, as a
    // search of the store compares them.
    bool HasPair(const std::string& afm, const std::string& typeInc) const;
    // The key HasPair compares: equal for pairs it takes as the same.
    static std::string PairKeyOf(const std::string& afm, const std::string& typeInc);
    // The number of different AFM texts among the synced lines.
    size_t DistinctAfmCount() const { return m_afmCounts.size(); }

    // The nine sums in the order of the totals boxes, over the lines of the
    // last Sync in their order, leaving out income kinds 15 and 16. An amount
    // that cannot be read throws its conversion error, in the order a pass
    // over the rows would meet it.
    std::array<long double, 9> Totals() const;

private:
    struct Slot
    {
        bool live = false;
        uint32_t generation = 0;
        std::string text;
        std::string afm;     // as the store reads it
        std::string pairKey; // trimmed AFM and TypeInc
        bool excluded = false;
        // Per totals box: 0 empty, 1 read, 2 unreadable.
        std::array<uint8_t, 9> state{};
        std::array<long double, 9> value{};
    };
    void Describe(Slot& slot, const std::string& text);
    void Count(const Slot& slot, int delta);
    Slot& SlotFor(int32_t id);

    std::vector<Slot> m_byId;
    std::vector<int32_t> m_order;
    size_t m_live = 0;
    std::unordered_map<std::string, int> m_afmCounts;
    std::unordered_map<std::string, int> m_pairCounts;
    uint32_t m_generation = 0;
};
