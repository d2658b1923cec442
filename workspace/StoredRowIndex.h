#pragma once

#include "dataset/FixedFormatDataSet.h"

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// What the totals and the duplicate check need of every stored detail line,
// kept per record id and refreshed only for lines whose text changed, so that
// storing one row in a large declaration costs a pass of comparisons rather
// than a re-read of every amount.
class StoredRowIndex
{
public:
    // Brings the index in line with `lines` (the store's lines, in order).
    void Sync(const std::vector<TFixedFormatDataSet::TLine>& lines);
    void Clear();

    // Whether a synced line has `afm` and exactly `typeInc`; the numbers are
    // compared with blanks and control characters trimmed at both ends, as a
    // search of the store compares them.
    bool HasPair(const std::string& afm, const std::string& typeInc) const;
    // The number of different AFM texts among the synced lines.
    size_t DistinctAfmCount() const { return m_afmCounts.size(); }

    // The nine sums in the order of the totals boxes, over the lines of the
    // last Sync in their order, leaving out income kinds 15 and 16. An amount
    // that cannot be read throws its conversion error, in the order a pass
    // over the rows would meet it.
    std::array<long double, 9> Totals() const;

private:
    struct Facts
    {
        std::string text;
        std::string afm;     // as the store reads it
        std::string pairKey; // trimmed AFM and TypeInc
        bool excluded = false;
        // Per totals box: 0 empty, 1 read, 2 unreadable.
        std::array<uint8_t, 9> state{};
        std::array<long double, 9> value{};
        uint32_t generation = 0;
    };
    static Facts Describe(const std::string& text);
    void Add(const Facts& facts);
    void Remove(const Facts& facts);

    std::unordered_map<int32_t, Facts> m_byId;
    std::vector<const Facts*> m_order;
    std::unordered_map<std::string, int> m_afmCounts;
    std::unordered_map<std::string, int> m_pairCounts;
    uint32_t m_generation = 0;
};
