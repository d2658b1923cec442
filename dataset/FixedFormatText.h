#pragma once

// Text rules and messages the record store's parts share.

#include <string_view>

namespace FixedFormatText {

inline constexpr const char* kClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* kOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* kNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* kReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* kEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* kRecordNotFound = "Record not found";

inline bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

inline std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

// Only Latin letters fold: Greek capitals and small letters stay distinct.
inline char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace FixedFormatText
