#include "dataset/FixedFormatDataSet.h"

#include "dataset/FixedFormatText.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <optional>
#include <stdexcept>

using namespace FixedFormatText;

namespace {

constexpr int kDefaultWidth = 250;
// Wider than this is a slip in the schema, not a record layout.
constexpr int kMaxFieldWidth = 1 << 20;

std::optional<int> ParseWidth(std::string_view text)
{
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int width = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), width);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (width < 0 || width > kMaxFieldWidth)
        return std::nullopt;
    return width;
}

using TFieldDef = TFixedFormatDataSet::TFieldDef;

// One definition per non-blank schema line: "Name=Width", or a bare name that
// takes the default width; no schema at all is one field "Line".
std::vector<TFieldDef> ParseSchema(const std::vector<std::string>& schema, int defaultWidth)
{
    std::vector<TFieldDef> defs;
    if (schema.empty()) {
        defs.push_back({"Line", defaultWidth});
        return defs;
    }
    for (const std::string& line : schema) {
        if (TrimBlanks(line).empty())
            continue;
        const std::string_view text = line;
        const size_t equals = text.find('=');
        if (equals == std::string_view::npos) {
            defs.push_back({std::string(TrimBlanks(text)), defaultWidth});
            continue;
        }
        const std::optional<int> width = ParseWidth(text.substr(equals + 1));
        defs.push_back({std::string(TrimBlanks(text.substr(0, equals))), width.value_or(defaultWidth)});
    }
    return defs;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

} // namespace

// ---------------------------------------------------------------- layout

void TFixedFormatDataSet::SetSchema(std::vector<std::string> lines)
{
    CheckInactive();
    m_schema = std::move(lines);
    m_fieldDefs = ParseSchema(m_schema, kDefaultWidth);
}

const TFixedFormatDataSet::TFieldDef* TFixedFormatDataSet::FindFieldDef(std::string_view name) const
{
    for (const TFieldDef& def : m_fieldDefs) {
        if (EqualsIgnoringCase(def.Name, name))
            return &def;
    }
    return nullptr;
}

void TFixedFormatDataSet::BuildFields(size_t longestLine)
{
    const int defaultWidth =
        longestLine == 0 ? kDefaultWidth : static_cast<int>(std::min<size_t>(longestLine, INT_MAX / 4));
    const std::vector<TFieldDef> defs = ParseSchema(m_schema, defaultWidth);
    int offset = 0;
    for (size_t i = 0; i < defs.size(); ++i) {
        if (i == m_fields.size())
            m_fields.push_back(std::make_unique<TField>(*this, std::string(), 0, 0, static_cast<int>(i)));
        TField& field = *m_fields[i];
        field.m_name = defs[i].Name;
        field.m_offset = offset;
        field.m_size = defs[i].Size;
        field.ReadOnly = false;
        field.OnValidate = nullptr;
        offset += defs[i].Size;
    }
    m_fieldCount = static_cast<int>(defs.size());
    m_recordWidth = offset == 0 ? kDefaultWidth : offset;
}

// ---------------------------------------------------------------- fields

TField& TFixedFormatDataSet::Fields(int index)
{
    if (index < 0 || index >= m_fieldCount)
        throw std::out_of_range(m_name + ": field index " + std::to_string(index) + " out of range");
    return *m_fields[static_cast<size_t>(index)];
}

TField* TFixedFormatDataSet::FindField(std::string_view name)
{
    for (int i = 0; i < m_fieldCount; ++i) {
        if (EqualsIgnoringCase(m_fields[static_cast<size_t>(i)]->FieldName(), name))
            return m_fields[static_cast<size_t>(i)].get();
    }
    return nullptr;
}

TField& TFixedFormatDataSet::FieldByName(std::string_view name)
{
    TField* field = FindField(name);
    if (!field)
        Raise("Field '" + std::string(name) + "' not found");
    return *field;
}

const std::string* TFixedFormatDataSet::ActiveRecordText() const
{
    switch (m_state) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
        return &m_editBuffer;
    case TDataSetState::dsFilter:
        return &m_filterRecord;
    case TDataSetState::dsBrowse:
    case TDataSetState::dsCalcFields:
        return m_hasRecord ? &m_activeRecord : nullptr;
    default:
        return nullptr;
    }
}

std::string_view TFixedFormatDataSet::FieldView(const std::string& record, const TField& field) const
{
    const size_t offset = static_cast<size_t>(field.Offset());
    if (offset >= record.size())
        return {};
    std::string_view value = std::string_view(record).substr(offset, static_cast<size_t>(field.Size()));
    if (m_trimSpace) {
        while (!value.empty() && value.back() == ' ')
            value.remove_suffix(1);
    }
    return value;
}

std::string TFixedFormatDataSet::FieldText(int line, int fieldIndex) const
{
    if (line < 0 || line >= RecordCount())
        throw EDatabaseError("No Records");
    const TField& field = const_cast<TFixedFormatDataSet*>(this)->Fields(fieldIndex);
    FetchInto(line, m_scratch);
    return std::string(FieldView(m_scratch, field));
}

void TFixedFormatDataSet::WriteField(TField& field, std::string_view value)
{
    if (!IsEditing() && m_state != TDataSetState::dsCalcFields)
        Raise(kNotEditing);
    if (field.ReadOnly)
        throw EDatabaseError("Field '" + field.FieldName() + "' cannot be modified");
    value = value.substr(0, static_cast<size_t>(field.Size()));
    // A line break would split the record in two when the file is read again,
    // and a NUL would end the file there: neither can be stored.
    if (value.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos)
        throw EDatabaseError("Invalid value for field '" + field.FieldName() + "'");
    if (field.OnValidate)
        field.OnValidate(field, value);

    std::string& record = m_editBuffer;
    const size_t offset = static_cast<size_t>(field.Offset());
    const size_t end = offset + static_cast<size_t>(field.Size());
    if (record.size() < end)
        record.resize(end, ' ');
    std::fill(record.begin() + static_cast<std::ptrdiff_t>(offset),
              record.begin() + static_cast<std::ptrdiff_t>(end), ' ');
    std::copy(value.begin(), value.end(), record.begin() + static_cast<std::ptrdiff_t>(offset));
    m_modified = true;
    NotifyRecordChanged(&field);
}
