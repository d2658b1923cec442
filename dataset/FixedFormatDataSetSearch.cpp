#include "dataset/FixedFormatDataSet.h"

#include "dataset/FixedFormatText.h"

#include <algorithm>

using namespace FixedFormatText;

namespace {

// Key field names are separated by commas or blanks; a name in double quotes
// may hold blanks.
std::vector<std::string_view> SplitKeyFields(std::string_view list)
{
    std::vector<std::string_view> names;
    size_t i = 0;
    while (i < list.size()) {
        const char c = list[i];
        if (c == ',' || c == ' ') {
            ++i;
            continue;
        }
        size_t end;
        if (c == '"') {
            end = list.find('"', i + 1);
            if (end == std::string_view::npos)
                end = list.size();
            names.push_back(list.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        end = list.find_first_of(", ", i);
        if (end == std::string_view::npos)
            end = list.size();
        names.push_back(list.substr(i, end - i));
        i = end;
    }
    return names;
}

bool KeyMatches(std::string_view key, std::string_view value, TFixedFormatDataSet::TLocateOptions options)
{
    if (value.size() < key.size() || (value.size() > key.size() && !options.PartialKey))
        return false;
    if (!options.CaseInsensitive)
        return value.compare(0, key.size(), key) == 0;
    for (size_t i = 0; i < key.size(); ++i) {
        if (AsciiUpper(key[i]) != AsciiUpper(value[i]))
            return false;
    }
    return true;
}

} // namespace

// ---------------------------------------------------------------- search

bool TFixedFormatDataSet::Locate(std::string_view keyFields, std::string_view keyValue,
                                 TLocateOptions options)
{
    return Locate(keyFields, std::vector<std::string>{std::string(keyValue)}, options);
}

bool TFixedFormatDataSet::Locate(std::string_view keyFields, const std::vector<std::string>& keyValues,
                                 TLocateOptions options)
{
    CheckBrowseMode();
    const std::vector<std::string_view> names = SplitKeyFields(TrimBlanks(keyFields));
    if (m_lines.empty() || names.empty())
        return false;
    std::vector<const TField*> fields;
    for (std::string_view name : names)
        fields.push_back(&FieldByName(name));
    // One value serves every key field; otherwise one value per field.
    if (keyValues.size() != 1 && keyValues.size() != fields.size())
        Raise("Locate needs one key value for each key field");
    std::vector<std::string_view> keys;
    for (size_t i = 0; i < fields.size(); ++i)
        keys.push_back(TrimBlanks(keyValues[keyValues.size() == 1 ? 0 : i]));

    const int32_t start = m_hasRecord ? m_activeId : 0;
    // Views see where the search ends, not every record it passes.
    DisableControls();
    try {
        First();
        while (!m_eof) {
            if (LocateMatches(fields, keys, options)) {
                EnableControls();
                return true;
            }
            Next();
        }
        if (start != 0)
            GotoBookmark(start);
    } catch (...) {
        m_disableCount = std::max(0, m_disableCount - 1);
        throw;
    }
    EnableControls();
    return false;
}

bool TFixedFormatDataSet::LocateMatches(const std::vector<const TField*>& fields,
                                        const std::vector<std::string_view>& keys,
                                        TLocateOptions options) const
{
    const std::string* record = ActiveRecordText();
    if (!record)
        return false;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!KeyMatches(keys[i], TrimBlanks(FieldView(*record, *fields[i])), options))
            return false;
    }
    return true;
}
