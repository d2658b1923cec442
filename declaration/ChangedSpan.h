#pragma once

#include "dataset/FixedFormatDataSet.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The one stretch in which the rows now differ from those held before, told
// by their ids: `removed` held rows from `start` gave way to `added` rows.
// A store, an insert or a delete changes at most one row, so a holder of the
// rows (the totals' index, the crash-safe copy) follows it without comparing
// every text.
struct ChangedSpan
{
    size_t start = 0, removed = 0, added = 0;

    // `heldIds` are the ids of the rows held, in order. Rows whose id stands
    // where it stood are taken as unchanged, except the one at `editedAt`
    // (a row stored in place), which the span then takes in. Nothing when
    // the ids tell more than one row came or went: the caller compares
    // every row instead.
    static std::optional<ChangedSpan> Find(const std::vector<int32_t>& heldIds,
                                           const std::vector<TFixedFormatDataSet::TLine>& rows,
                                           std::optional<size_t> editedAt);

    // The stretch between the rows equal at both ends of `held` rows before
    // and `now` rows after; `same(i, j)` tells whether held row i is row j
    // now. The end run never reaches into the start one.
    template <typename Same> static ChangedSpan Between(size_t held, size_t now, Same same)
    {
        size_t start = 0;
        while (start < held && start < now && same(start, start))
            ++start;
        size_t tail = 0;
        while (tail < held - start && tail < now - start && same(held - 1 - tail, now - 1 - tail))
            ++tail;
        return ChangedSpan{start, held - start - tail, now - start - tail};
    }
};
