#include "declaration/ChangedSpan.h"

#include <algorithm>

std::optional<ChangedSpan> ChangedSpan::Find(const std::vector<int32_t>& heldIds,
                                             const std::vector<TFixedFormatDataSet::TLine>& rows,
                                             std::optional<size_t> editedAt)
{
    const size_t now = rows.size();
    ChangedSpan span =
        Between(heldIds.size(), now, [&](size_t i, size_t j) { return heldIds[i] == rows[j].Id; });
    if (span.removed > 1 || span.added > 1)
        return std::nullopt;
    if (editedAt && *editedAt < now && span.removed == 0 && span.added == 0) {
        span = ChangedSpan{*editedAt, 1, 1};
    } else if (editedAt && *editedAt < now) {
        // The stretch grows to take the edited row in; the rows between keep
        // their ids and are carried over as they are.
        const size_t end = std::max(span.start + span.added, *editedAt + 1);
        span.start = std::min(span.start, *editedAt);
        const size_t grown = end - span.start - span.added;
        span.added += grown;
        span.removed += grown;
    } else if (editedAt) {
        return std::nullopt;
    }
    return span;
}
