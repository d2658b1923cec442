#pragma once

#include "dataset/FixedFormatDataSet.h"
#include "declaration/KeyCounts.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the totals and the duplicate check need of every stored detail line,
// kept per record id and worked out again only for lines whose text changed,
// so that storing one row in a large declaration costs neither a re-read of
// every amount nor a comparison of every text.
class StoredRowIndex
{
public:
    // Brings the index in line with `lines` (the store's lines, in order),
    // comparing every text.
    void Sync(const std::vector<TFixedFormatDataSet::TLine>& lines);
    // The same after one store, insert or delete: only rows whose ids came or
    // went, and the row at `editedAt`, are looked at. Falls back to Sync when
    // the index was never synced whole since it was cleared or renumbered, or
    // the ids tell of more than one row changed.
    void Follow(const std::vector<TFixedFormatDataSet::TLine>& lines, std::optional<size_t> editedAt);
    void Clear();
    // The lines were replaced by a path that tells nothing of what changed:
    // the next Follow compares every text.
    void Distrust() { m_trusted = false; }
    // The store was reopened over the same lines in another order: line k
    // (0-based) now has id k + 1 and held id `formerIds[k]` before. Only a
    // hint: the next Sync or Follow still compares every text.
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
    // over the rows would meet it. Summed again only after an amount changed.
    std::array<long double, 9> Totals() const;

    // An amount as the store's conversion reads it (whose plain forms, such as
    // "1234,56", cost little): false for text it does not take.
    static bool ReadAmount(std::string_view text, long double& value);

private:
    struct Slot
    {
        bool live = false;
        uint32_t generation = 0;
        std::string text;
        std::string afm;     // as the store reads it
        std::string pairKey; // trimmed AFM and TypeInc
    };
    // The amounts of a line, apart from the texts so that a sum runs over
    // them alone. Per totals box: 0 empty, 1 read, 2 unreadable.
    struct Amounts
    {
        std::array<long double, 9> value{};
        std::array<uint8_t, 9> state{};
        bool excluded = false;
        bool operator==(const Amounts&) const = default;
        // Counted in the sums, with an amount they cannot read.
        bool Unreadable() const
        {
            return !excluded && std::find(state.begin(), state.end(), 2) != state.end();
        }
    };
    void Describe(size_t at, const std::string& text);
    void Count(const Slot& slot, int delta);
    void Forget(size_t at);
    size_t SlotFor(int32_t id);

    std::vector<Slot> m_byId;
    std::vector<Amounts> m_amounts; // by id, as m_byId
    std::vector<int32_t> m_order;
    size_t m_live = 0;
    // Live lines with an amount that cannot be read.
    size_t m_unreadable = 0;
    KeyCounts m_afmCounts;
    KeyCounts m_pairCounts;
    uint32_t m_generation = 0;
    bool m_trusted = false;
    // An amount came, went or changed since the last sum (set by Describe
    // and Forget, turned into m_sumsFrom by their callers).
    bool m_amountsChanged = false;
    // The sums stand as they were at every 1024th row: a change sums again
    // only from the mark before its row, exactly as a whole pass would go on
    // from there. m_sumsFrom is the first row not summed as it stands now.
    static constexpr size_t kMarkEvery = 1024;
    mutable std::vector<std::array<long double, 9>> m_marks;
    mutable size_t m_sumsFrom = 0;
    mutable std::array<long double, 9> m_sums{};
    void Unsum(size_t from);
};
