#pragma once

#include <array>
#include <string_view>

// The fields of the employer header, in the window's keyboard order and then
// the two hidden name fields of a natural person. The workspace names a field
// by this when it sends the focus there; the window lays its fields out by it.
enum class HeaderField {
    YearOfData,
    AFM,
    AntikeimenoErgasion,
    CompanyName,
    Town,
    Street,
    Number,
    TK,
    Name,
    FatherName,
};

inline constexpr std::array<HeaderField, 10> AllHeaderFields{
    HeaderField::YearOfData,  HeaderField::AFM,  HeaderField::AntikeimenoErgasion,
    HeaderField::CompanyName, HeaderField::Town, HeaderField::Street,
    HeaderField::Number,      HeaderField::TK,   HeaderField::Name,
    HeaderField::FatherName,
};

// The field's control name ("YearOfData", "AFM" ...), as the window's objects
// and the accessibility tools know it.
constexpr std::string_view HeaderFieldName(HeaderField field)
{
    constexpr std::array<std::string_view, AllHeaderFields.size()> names{
        "YearOfData", "AFM",  "AntikeimenoErgasion", "CompanyName", "Town", "Street", "Number",
        "TK",         "Name", "FatherName",
    };
    return names[static_cast<size_t>(field)];
}
