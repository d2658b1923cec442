#include "workspace/Workspace.h"

#include "workspace/BusyWindow.h"
#include "workspace/ExchangeSort.h"

bool Workspace::SortByAfm()
{
    return SortRows(SortKind::ByAfm);
}

bool Workspace::SortAlphabetically()
{
    return SortRows(SortKind::Alphabetical);
}

// The rows are put in their new order in memory, so the index and the
// crash-safe copy follow without reading anything back.
bool Workspace::SortRows(SortKind kind)
{
    if (!StorePendingRowFirst())
        return false;
    BusyWindow busy(m_ui);

    const auto& lines = FixedFormatDataSet1.Lines();
    // Each row as its record text: every field at full width, the whole
    // record; alphabetically the first three fields travel along unsorted.
    constexpr size_t head = 11;
    const size_t width = static_cast<size_t>(declaration::RecordWidth);
    // Views into the held lines: no key is copied.
    std::vector<std::string_view> keys;
    keys.reserve(lines.size());
    for (const auto& line : lines) {
        const std::string_view record = std::string_view(line.Text).substr(0, width);
        keys.push_back(kind == SortKind::ByAfm
                           ? record
                           : (record.size() > head ? record.substr(head) : std::string_view()));
    }
    const std::vector<size_t> order = ExchangeSortOrderOfViews(keys);
    keys = {};

    // Everything the new order needs is allocated before the store lets its
    // lines go, so that nothing can fail while they are out of it.
    std::vector<TFixedFormatDataSet::TLine> sorted;
    std::vector<int32_t> formerIds;
    sorted.reserve(order.size());
    formerIds.reserve(order.size());
    for (size_t index : order)
        formerIds.push_back(lines[index].Id);
    std::vector<TFixedFormatDataSet::TLine> held;
    FixedFormatDataSet1.Close(held);
    // The rows move into their new order, cut to a record, numbered anew as
    // record numbers follow positions; the index carries each row's reading over.
    for (size_t index : order) {
        std::string& text = held[index].Text;
        if (text.size() > width)
            text.resize(width);
        sorted.push_back({std::move(text), static_cast<int32_t>(sorted.size() + 1)});
    }
    FixedFormatDataSet1.OpenOnLines(std::move(sorted));
    m_index.Renumber(formerIds);
    m_modified = true;
    KeepWork(Keep::Everything);
    FixedFormatDataSet1.First();
    return true;
}
