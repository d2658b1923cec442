#include "declaration/ScratchDetailRow.h"

#include <algorithm>

using declaration::DetailLayout;
using declaration::RecordWidth;

ScratchDetailRow::ScratchDetailRow(std::string_view line)
    // The store hands out at most one record's width of a line.
    : m_text(line.substr(0, std::min<size_t>(line.size(), RecordWidth)))
{
}

std::string ScratchDetailRow::Get(declaration::DetailField field) const
{
    return std::string(declaration::DetailFieldText(m_text, field));
}

void ScratchDetailRow::Set(declaration::DetailField field, std::string_view value)
{
    const auto& layout = DetailLayout()[field];
    const size_t offset = static_cast<size_t>(layout.offset);
    const size_t width = static_cast<size_t>(layout.width);
    // A field beyond the end of a short record pads the gap with spaces; the
    // whole field is blanked before the value goes in left-aligned.
    if (m_text.size() < offset + width)
        m_text.resize(offset + width, ' ');
    std::fill_n(m_text.begin() + static_cast<std::ptrdiff_t>(offset), width, ' ');
    value = value.substr(0, std::min(value.size(), width));
    std::copy(value.begin(), value.end(), m_text.begin() + static_cast<std::ptrdiff_t>(offset));
}
